#pragma once

class QWidget;

// "Экспорт" → "Экспорт каталога в HTML": the page asked for over parent,
// the listed projects marked for the export written beside it with their
// support files, under a progress window.
void exportHtmlCatalogue(QWidget *parent);
