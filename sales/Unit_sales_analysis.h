#pragma once

#include "app/WindowFrame.h"
#include "data/sales/SalesAnalysis.h"

#include <QImage>

class QBarCategoryAxis;
class QCategoryAxis;
class QChart;
class QChartView;
class QComboBox;
class QDateEdit;
class QPushButton;
class QTableWidget;

// "Анализ продаж": the sales of a date range totalled per month, quarter or
// year, for all categories or one, as a table, a bar chart and the projects
// that sold best. The figures are totalled by the database.
class TfrmSalesAnalysis : public ModalWindow
{
    Q_OBJECT
public:
    explicit TfrmSalesAnalysis(QWidget *parent = nullptr);
    void bindData();

    QComboBox *cbPeriod;   // месяц, квартал, год
    QDateEdit *dtFrom;
    QDateEdit *dtTo;
    QComboBox *cbCategory; // item data: cat_id, 0 for all
    QPushButton *btnShow;  // "Показать"
    QTableWidget *gridPeriods;
    QTableWidget *gridProjects;
    QChartView *chartView;
    QPushButton *btnSavePicture; // "Сохранить рисунок…"
    QPushButton *btnPrint;       // "Печать"
    QPushButton *btnClose;       // "Закрыть", Esc

    void btnShowClick(QObject *sender = nullptr);
    void btnSavePictureClick(QObject *sender = nullptr);
    void btnPrintClick(QObject *sender = nullptr);
    void btnCloseClick(QObject *sender = nullptr);

    // What the window shows now.
    const SalesReport &report() const { return m_report; }
    // The chart drawn into a picture of the given size.
    QImage chartImage(const QSize &size) const;
    // The chosen unit, range and category in words, for the printed page.
    QString selectionText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *createControls();
    QWidget *createTables();
    QWidget *createButtons();
    void fillCategories();
    void setDefaultRange();
    SalesQuery currentQuery() const;
    void showPeriods();
    void showProjects();
    void showChart();
    QString categoryName(int catId) const;

    SalesQuery m_query;
    SalesReport m_report;
    QList<CategoryName> m_categories;
    bool m_rangeSet = false;
    QBarCategoryAxis *m_periodAxis;
    QCategoryAxis *m_moneyAxis;
};

extern TfrmSalesAnalysis *frmSalesAnalysis;
