#pragma once

// "Сервис" → "Резервные копии…": the backups window, brought to the front
// (it is not modal, so the user may keep it open beside the main window).
void showBackups();
