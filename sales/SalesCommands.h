#pragma once

class QWidget;

// The sales commands of the main window's menu "Продажи" and of its frame
// "Продажи": each checks its preconditions with notices over parent.
namespace SalesCommands {

// A new sale of the current project, in the sale editor.
void addSale(QWidget *parent);
// The current sale, in the sale editor.
void editSale(QWidget *parent);
// The current sale, after a question.
void deleteSale(QWidget *parent);
// "Анализ продаж", modal.
void showAnalysis();

} // namespace SalesCommands
