#pragma once

// "История изменений…": of the current project with its sales (the
// project's popup menu), or of the whole catalogue with the filters
// ("Сервис"); not modal, so it may stay open beside the main window.
void showProjectHistory();
void showHistory();
