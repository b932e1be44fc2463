#pragma once

#include "app/WindowFrame.h"
#include "data/sales/SalesAnalysis.h"
#include "sales/SalesChart.h"

#include <QImage>

class QBarSet;
class QCategoryAxis;
class QPainter;
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
    // The chart drawn into a picture of the given size, titled with the
    // selection (also the picture's "Title" text).
    QImage chartImage(const QSize &size);
    // The chart laid out at layoutSize and painted into target, in lines and
    // text where the painter's device takes them.
    void paintChart(QPainter *painter, const QRectF &target, const QSize &layoutSize,
                    const QString &title = QString());
    // What the tooltip of bar index of set says.
    QString barToolTip(const QBarSet *set, int index) const;
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
    bool restoreChoices();
    SalesQuery currentQuery() const;
    void showPeriods();
    void showProjects();
    void showChart();
    void labelPeriods();
    QString categoryName(int catId) const;
    int categoryIndex(int catId) const;

    SalesQuery m_query;
    SalesReport m_report;
    QList<CategoryName> m_categories;
    bool m_rangeSet = false;
    QCategoryAxis *m_periodAxis;
    QCategoryAxis *m_moneyAxis;
    QList<QDate> m_periodStarts; // one per bar
    QList<PeriodAxisLabel> m_periodLabels;
    bool m_labelling = false;
};

extern TfrmSalesAnalysis *frmSalesAnalysis;
