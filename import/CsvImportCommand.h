#pragma once

class QWidget;

// "Импорт" → "Проекты из CSV…" and "Продажи из CSV…": a file is chosen
// over parent and its import window shown.
void importProjectsCsv(QWidget *parent);
void importSalesCsv(QWidget *parent);
