#pragma once

class QWidget;

// "Печать" → "Печатать проект": the project sheet of the current project in
// the preview over parent; nothing without a current project.
void printProjectSheet(QWidget *parent);
