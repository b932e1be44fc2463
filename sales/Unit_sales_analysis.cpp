#include "sales/Unit_sales_analysis.h"

#include "app/Messages.h"
#include "app/NamedControls.h"
#include "app/Seams.h"
#include "app/UserSettings.h"
#include "data/core/Clock.h"
#include "data/core/DataError.h"
#include "data/module/UnitDM.h"
#include "output/SalesAnalysisReport.h"
#include "sales/SalesAnalysisPrint.h"
#include "sales/SalesAnalysisTables.h"

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QPainter>
#include <QPushButton>
#include <QSaveFile>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QCategoryAxis>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <functional>
#include <QVBoxLayout>

TfrmSalesAnalysis *frmSalesAnalysis = nullptr;

namespace {

const QString AllCategories = QStringLiteral("Все категории");
const QString NoCategory = QStringLiteral("Без категории");

using controls::button;
using controls::named;

void addLabelled(QHBoxLayout *layout, const QString &text, QWidget *control)
{
    auto *label = new QLabel(text, control->parentWidget());
    label->setBuddy(control);
    layout->addWidget(label);
    layout->addWidget(control);
    layout->addSpacing(8);
}

// The first textColumns columns are texts, aligned left; the others are figures.
QTableWidget *table(const char *name, const QStringList &headers, int textColumns, QWidget *parent)
{
    auto *t = named<QTableWidget>(name, parent);
    t->setProperty("textColumns", textColumns);
    t->setColumnCount(int(headers.size()));
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setAlternatingRowColors(true);
    t->verticalHeader()->hide();
    t->verticalHeader()->setDefaultSectionSize(t->fontMetrics().height() + 6);
    t->setWordWrap(false);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    t->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    return t;
}

// A titled frame around one table.
QGroupBox *tableFrame(const char *name, const QString &title, QTableWidget *table, QWidget *parent)
{
    auto *box = named<QGroupBox>(name, parent);
    box->setTitle(title);
    (new QVBoxLayout(box))->addWidget(table);
    return box;
}

// Sizing columns to their contents measures every row again after each cell:
// the columns are sized once, after the rows are filled.
void fillRows(QTableWidget *t, int rows, const std::function<void()> &fill)
{
    QHeaderView *header = t->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    t->setRowCount(rows);
    fill();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
}

void setRow(QTableWidget *t, int row, const QStringList &texts, bool bold = false)
{
    for (int column = 0; column < texts.size(); ++column) {
        auto *item = new QTableWidgetItem(texts.at(column));
        item->setTextAlignment(column < t->property("textColumns").toInt() ? Qt::AlignLeft | Qt::AlignVCenter
                                                                          : Qt::AlignRight | Qt::AlignVCenter);
        if (bold) {
            QFont f = item->font();
            f.setBold(true);
            item->setFont(f);
        }
        t->setItem(row, column, item);
    }
}

void showTable(QTableWidget *t, const PrintedTable &shown)
{
    fillRows(t, int(shown.rows.size()), [&] {
        for (int row = 0; row < shown.rows.size(); ++row)
            setRow(t, row, shown.rows.at(row), shown.boldRows.contains(row));
    });
}

double roubles(Money m)
{
    return double(m.units()) / double(Money::Scale);
}

// The money axis: about five round steps up to the highest bar, each labelled
// in roubles (a value axis would format its labels in Latin-1 only).
void setMoneySteps(QCategoryAxis *axis, double highest)
{
    const double raw = std::max(highest, 1.0) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double r = raw / magnitude;
    const double step = (r <= 1 ? 1 : r <= 2 ? 2 : r <= 5 ? 5 : 10) * magnitude;
    const int steps = int(std::ceil(std::max(highest, 1.0) / step - 1e-9));
    const QLocale russian(QLocale::Russian);
    for (const QString &label : axis->categoriesLabels())
        axis->remove(label);
    axis->setStartValue(-step / 1000);
    for (int i = 0; i <= steps; ++i)
        axis->append(russian.toString(qint64(std::llround(i * step))) + QStringLiteral(" руб."), i * step);
    axis->setRange(0, steps * step);
}

} // namespace

TfrmSalesAnalysis::TfrmSalesAnalysis(QWidget *parent)
    : ModalWindow(QStringLiteral("Анализ продаж"), parent)
{
    setObjectName(QStringLiteral("frmSalesAnalysis"));
    setWindowFrame(this, QSize(1000, 720), WindowBorder::Sizeable,
                   Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(createControls());
    chartView = named<QChartView>("chartView", this);
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumHeight(260);
    chartView->chart()->setTitle(QStringLiteral("Сумма продаж, руб."));
    chartView->chart()->legend()->setAlignment(Qt::AlignBottom);
    // The axes stay for the window's life and only take new labels: axes
    // made anew while the window was hidden left the old ones drawn.
    // Bars stand at 0, 1, 2…; the period axis labels runs of them, as many
    // as its width holds, and is labelled again when the plot is resized.
    m_periodAxis = new QCategoryAxis(chartView->chart());
    m_periodAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    m_moneyAxis = new QCategoryAxis(chartView->chart());
    m_moneyAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chartView->chart()->addAxis(m_periodAxis, Qt::AlignBottom);
    chartView->chart()->addAxis(m_moneyAxis, Qt::AlignLeft);
    // A shadow would be printed as a picture.
    chartView->chart()->setDropShadowEnabled(false);
    connect(chartView->chart(), &QChart::plotAreaChanged, this, [this] { labelPeriods(); });
    layout->addWidget(chartView, 3);
    layout->addWidget(createTables(), 2);
    layout->addWidget(createButtons());
}

QWidget *TfrmSalesAnalysis::createControls()
{
    auto *box = named<QWidget>("pnlControls", this);
    cbPeriod = named<QComboBox>("cbPeriod", box);
    cbPeriod->addItems({QStringLiteral("месяц"), QStringLiteral("квартал"), QStringLiteral("год")});
    dtFrom = named<QDateEdit>("dtFrom", box);
    dtTo = named<QDateEdit>("dtTo", box);
    for (QDateEdit *edit : {dtFrom, dtTo}) {
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        edit->setCalendarPopup(true);
    }
    cbCategory = named<QComboBox>("cbCategory", box);
    cbCategory->setMinimumWidth(200);
    btnShow = button("btnShow", QStringLiteral("Показать"), box);
    btnShow->setDefault(true);
    connect(btnShow, &QPushButton::clicked, this, [this] { btnShowClick(btnShow); });

    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    addLabelled(row, QStringLiteral("Период:"), cbPeriod);
    addLabelled(row, QStringLiteral("с"), dtFrom);
    addLabelled(row, QStringLiteral("по"), dtTo);
    addLabelled(row, QStringLiteral("Категория:"), cbCategory);
    row->addWidget(btnShow);
    row->addStretch(1);
    return box;
}

QWidget *TfrmSalesAnalysis::createTables()
{
    auto *area = new QWidget(this);
    const PrintedTable periods = periodsTable({}, SalesPeriod::Month);
    const PrintedTable projects = projectsTable({});
    gridPeriods = table("gridPeriods", periods.headers, periods.textColumns, area);
    gridProjects = table("gridProjects", projects.headers, projects.textColumns, area);
    auto *layout = new QHBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tableFrame("grpPeriods", QStringLiteral("По периодам"), gridPeriods, area), 1);
    layout->addWidget(tableFrame("grpProjects", QStringLiteral("Лучшие проекты"), gridProjects, area), 1);
    return area;
}

QWidget *TfrmSalesAnalysis::createButtons()
{
    auto *box = new QWidget(this);
    btnSavePicture = button("btnSavePicture", QStringLiteral("Сохранить рисунок…"), box);
    btnPrint = button("btnPrint", QStringLiteral("Печать"), box);
    btnClose = button("btnClose", QStringLiteral("Закрыть"), box);
    connect(btnSavePicture, &QPushButton::clicked, this, [this] { btnSavePictureClick(btnSavePicture); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(btnPrint); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(btnClose); });

    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(btnSavePicture);
    row->addWidget(btnPrint);
    row->addStretch(1);
    row->addWidget(btnClose);
    return box;
}

void TfrmSalesAnalysis::bindData()
{
    m_rangeSet = false;
}

void TfrmSalesAnalysis::showEvent(QShowEvent *event)
{
    ModalWindow::showEvent(event);
    // Categories and sales may have changed since the last showing.
    try {
        fillCategories();
        if (!m_rangeSet && !restoreChoices())
            setDefaultRange();
    } catch (const DataError &error) {
        showStandardError(this, error.text());
        return;
    }
    btnShowClick();
}

void TfrmSalesAnalysis::fillCategories()
{
    const int current = cbCategory->currentData().toInt();
    m_categories = SalesAnalysis(Dm->ADOConnection).categories();
    cbCategory->clear();
    cbCategory->addItem(AllCategories, 0);
    for (const CategoryName &c : m_categories)
        cbCategory->addItem(c.name, c.catId);
    cbCategory->setCurrentIndex(qMax(0, cbCategory->findData(current)));
}

// The last twelve months that have sales, up to the month of the latest one.
void TfrmSalesAnalysis::setDefaultRange()
{
    const QDate last = SalesAnalysis(Dm->ADOConnection).lastSaleDate().value_or(Clock::today());
    const QDate end = QDate(last.year(), last.month(), 1).addMonths(1).addDays(-1);
    dtFrom->setDate(QDate(last.year(), last.month(), 1).addMonths(-11));
    dtTo->setDate(end);
    m_rangeSet = true;
}

// The user's last shown choices, from an earlier run: false when there are none.
bool TfrmSalesAnalysis::restoreChoices()
{
    const QVariantMap choices = rememberedChoices(this);
    const QDate from = choices.value(QStringLiteral("from")).toDate();
    const QDate to = choices.value(QStringLiteral("to")).toDate();
    if (!from.isValid() || !to.isValid())
        return false;
    cbPeriod->setCurrentIndex(qBound(0, choices.value(QStringLiteral("period")).toInt(), cbPeriod->count() - 1));
    dtFrom->setDate(from);
    dtTo->setDate(to);
    // A category deleted since: all categories.
    cbCategory->setCurrentIndex(qMax(0, cbCategory->findData(choices.value(QStringLiteral("category")).toInt())));
    m_rangeSet = true;
    return true;
}

SalesQuery TfrmSalesAnalysis::currentQuery() const
{
    SalesQuery q;
    q.period = static_cast<SalesPeriod>(cbPeriod->currentIndex());
    q.from = dtFrom->date();
    q.to = dtTo->date();
    q.catId = cbCategory->currentData().toInt();
    return q;
}

void TfrmSalesAnalysis::btnShowClick(QObject *)
{
    const SalesQuery query = currentQuery();
    if (query.to < query.from) {
        showNotice(this, QStringLiteral("Анализ продаж"),
                   QStringLiteral("Начальная дата периода позже конечной"));
        return;
    }
    try {
        m_report = SalesAnalysis(Dm->ADOConnection).run(query);
    } catch (const DataError &error) {
        showStandardError(this, error.text());
        return;
    }
    m_query = query;
    rememberChoices(this, {{QStringLiteral("period"), int(query.period)},
                           {QStringLiteral("from"), query.from},
                           {QStringLiteral("to"), query.to},
                           {QStringLiteral("category"), query.catId}});
    showPeriods();
    showProjects();
    showChart();
}

void TfrmSalesAnalysis::showPeriods()
{
    showTable(gridPeriods, periodsTable(m_report, m_query.period));
}

void TfrmSalesAnalysis::showProjects()
{
    showTable(gridProjects, projectsTable(m_report));
}

QString TfrmSalesAnalysis::categoryName(int catId) const
{
    for (const CategoryName &c : m_categories)
        if (c.catId == catId)
            return c.name;
    return NoCategory;
}

int TfrmSalesAnalysis::categoryIndex(int catId) const
{
    for (int i = 0; i < m_categories.size(); ++i)
        if (m_categories.at(i).catId == catId)
            return i;
    return -1;
}

// One bar per period; with all categories each bar is stacked from the
// categories' sums, with one category it is that category's sum. A category
// has the same colour either way.
void TfrmSalesAnalysis::showChart()
{
    QMap<int, int> column; // period start as a Julian day -> bar
    m_periodStarts.clear();
    for (const SalesTotal &p : m_report.periods) {
        column.insert(int(p.periodStart.toJulianDay()), int(m_periodStarts.size()));
        m_periodStarts << p.periodStart;
    }
    QMap<QString, QBarSet *> sets; // by category name, so the legend is in name order
    for (const SalesCell &cell : m_report.cells) {
        const QString name = categoryName(cell.catId);
        QBarSet *&set = sets[name];
        if (!set) {
            set = new QBarSet(name);
            set->setProperty("catId", cell.catId);
            const QColor colour = categoryColour(categoryIndex(cell.catId));
            set->setColor(colour);
            set->setBorderColor(colour.darker(115));
            for (int i = 0; i < m_periodStarts.size(); ++i)
                set->append(0);
            connect(set, &QBarSet::hovered, chartView, [this, set](bool over, int index) {
                if (over)
                    QToolTip::showText(QCursor::pos(), barToolTip(set, index), chartView);
                else
                    QToolTip::hideText();
            });
        }
        const int at = column.value(int(cell.periodStart.toJulianDay()));
        set->replace(at, set->at(at) + roubles(cell.sum));
    }

    QAbstractBarSeries *series = m_query.catId == 0 ? static_cast<QAbstractBarSeries *>(new QStackedBarSeries)
                                                    : static_cast<QAbstractBarSeries *>(new QBarSeries);
    for (QBarSet *set : std::as_const(sets))
        series->append(set);

    // The chart and its axes stay; the series is made anew, which costs far
    // less than a new chart with its theme and layout.
    QChart *chart = chartView->chart();
    chart->removeAllSeries();
    m_periodLabels.clear();
    labelPeriods();
    double highest = 0;
    for (const SalesTotal &p : m_report.periods)
        highest = std::max(highest, roubles(p.sum));
    setMoneySteps(m_moneyAxis, highest);
    chart->addSeries(series);
    series->attachAxis(m_periodAxis);
    series->attachAxis(m_moneyAxis);
    chart->legend()->setVisible(m_query.catId == 0 && !sets.isEmpty());
}

// Labels that fit the plot's width now; the axis is rebuilt only when they
// differ, so the layout that follows a new axis ends here.
void TfrmSalesAnalysis::labelPeriods()
{
    if (m_labelling)
        return;
    QChart *chart = chartView->chart();
    const qreal width = chart->plotArea().width() > 0 ? chart->plotArea().width() : chartView->width() * 0.85;
    const QList<PeriodAxisLabel> labels
        = periodAxisLabels(m_periodStarts, m_query.period, width, QFontMetricsF(m_periodAxis->labelsFont()));
    if (labels == m_periodLabels && !m_periodAxis->categoriesLabels().isEmpty())
        return;
    m_labelling = true;
    m_periodLabels = labels;
    for (const QString &label : m_periodAxis->categoriesLabels())
        m_periodAxis->remove(label);
    m_periodAxis->setStartValue(-0.5);
    QString blank; // the axis wants every label different
    for (const PeriodAxisLabel &label : labels)
        m_periodAxis->append(label.text.isEmpty() ? (blank += QLatin1Char(' ')) : label.text, label.last + 0.5);
    m_periodAxis->setRange(-0.5, std::max(0.5, qreal(m_periodStarts.size()) - 0.5));
    m_labelling = false;
}

QString TfrmSalesAnalysis::barToolTip(const QBarSet *set, int index) const
{
    if (index < 0 || index >= m_report.periods.size())
        return {};
    const SalesTotal &period = m_report.periods.at(index);
    const int catId = set->property("catId").toInt();
    Money sum;
    for (const SalesCell &cell : m_report.cells)
        if (cell.periodStart == period.periodStart && cell.catId == catId)
            sum = sum + cell.sum;
    QString text = fullPeriodName(period.periodStart, m_query.period) + QLatin1Char('\n') + set->label()
        + QStringLiteral(": ") + moneyText(sum) + QStringLiteral(" руб.");
    if (m_query.catId == 0)
        text += QStringLiteral("\nВсего: ") + moneyText(period.sum) + QStringLiteral(" руб.");
    return text;
}

// Laid out again at layoutSize, so its texts keep their size against the
// page whatever the window's shape; then put back as the window shows it.
void TfrmSalesAnalysis::paintChart(QPainter *painter, const QRectF &target, const QSize &layoutSize,
                                   const QString &title)
{
    QChart *chart = chartView->chart();
    const QRectF shown = chart->geometry();
    const QString shownTitle = chart->title();
    if (!title.isEmpty())
        chart->setTitle(title);
    chart->setGeometry(QRectF(shown.topLeft(), QSizeF(layoutSize)));
    chart->layout()->activate();
    labelPeriods();
    chart->layout()->activate();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    chartView->scene()->render(painter, target, chart->geometry());
    painter->restore();
    chart->setTitle(shownTitle);
    chart->setGeometry(shown);
    chart->layout()->activate();
    labelPeriods();
}

QImage TfrmSalesAnalysis::chartImage(const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paintChart(&painter, QRectF(image.rect()), size,
                   chartView->chart()->title() + QStringLiteral("<br>") + selectionText());
    }
    image.setText(QStringLiteral("Title"), selectionText());
    return image;
}

QString TfrmSalesAnalysis::selectionText() const
{
    return QStringLiteral("Период: %1; с %2 по %3; категория: %4")
        .arg(cbPeriod->itemText(int(m_query.period)), m_query.from.toString(QStringLiteral("dd.MM.yyyy")),
             m_query.to.toString(QStringLiteral("dd.MM.yyyy")),
             m_query.catId == 0 ? AllCategories.toLower() : categoryName(m_query.catId));
}

void TfrmSalesAnalysis::btnSavePictureClick(QObject *)
{
    QString path = seams().saveFileName(this, QStringLiteral("Сохранить рисунок"), QString(),
                                        QStringLiteral("Рисунок PNG (*.png)"), QStringLiteral("png"), true);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".png");
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly)
        && chartImage(chartView->viewport()->size()).save(&file, "PNG") && file.flush() && file.commit();
    if (!written)
        showStandardError(this, QStringLiteral("Не удалось записать файл \"%1\": %2")
                                    .arg(QDir::toNativeSeparators(path), file.errorString()));
}

void TfrmSalesAnalysis::btnPrintClick(QObject *)
{
    // A legend that does not fit the page's narrower chart gets a smaller
    // font rather than cut names.
    const QSize paper = SalesAnalysisReport::chartPixels();
    QLegend *legend = chartView->chart()->legend();
    const QFont shown = legend->font();
    const QFontMetricsF metrics(shown);
    qreal wanted = 0; // each name beside its box, in one row
    for (const QLegendMarker *marker : legend->markers())
        wanted += metrics.horizontalAdvance(marker->label()) + 4 * metrics.height();
    QFont printed = shown;
    if (legend->isVisible() && wanted > paper.width() && shown.pointSizeF() > 0)
        printed.setPointSizeF(shown.pointSizeF() * std::max(0.6, paper.width() / wanted));
    printSalesAnalysis(this, m_report, m_query.period, selectionText(),
                       [this, paper, legend, shown, printed](QPainter *painter, const QRectF &target) {
                           legend->setFont(printed);
                           paintChart(painter, target, paper);
                           legend->setFont(shown);
                       });
}

void TfrmSalesAnalysis::btnCloseClick(QObject *)
{
    close();
}
