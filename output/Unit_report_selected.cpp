#include "output/Unit_report_selected.h"

#include "data/core/Clock.h"
#include "data/module/UnitDM.h"

namespace {

constexpr qreal BandWidth = 190;
constexpr qreal RowTop = 12;    // row 2, level with the picture's top
constexpr qreal RowStep = 7.5;
constexpr qreal RowHeight = 6;
constexpr qreal LeftWidth = 82; // left of the picture box
constexpr qreal PictureLeft = BandWidth - 105.8;

QFont makeFont(const QString &family, qreal points, bool bold = false, bool underline = false)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setBold(bold);
    f.setUnderline(underline);
    return f;
}

qreal rowY(int row)
{
    return RowTop + (row - 2) * RowStep;
}

ReportItem fixedText(const QString &name, const QRectF &rect, const QString &text)
{
    ReportItem item;
    item.name = name;
    item.rect = rect;
    item.fixedText = text;
    return item;
}

ReportItem computedText(const QString &name, const QRectF &rect, TextSource text)
{
    ReportItem item;
    item.name = name;
    item.rect = rect;
    item.text = std::move(text);
    return item;
}

// The display text of a column of the project's row, read when the page is produced.
TextSource projectValue(const QString &field)
{
    return [field](const ReportContext &) { return Dm->sqlProjectRep->fieldByName(field)->asString(); };
}

// A label and the value that follows it on the same line.
void addLabelled(ReportBand &band, int row, const QString &label, const QString &name, TextSource value)
{
    const QRectF rect(0, rowY(row), LeftWidth, RowHeight);
    band.items.push_back(fixedText(QStringLiteral("lbl_") + name, rect, label));
    ReportItem item = computedText(name, rect, std::move(value));
    item.followGap = 2;
    band.items.push_back(item);
}

// Rows whose labels end at one edge and whose values start at one position.
void addAligned(ReportBand &band, int row, const QString &label, const QString &field)
{
    constexpr qreal Edge = 48;
    ReportItem caption = fixedText(QStringLiteral("lbl_") + field, QRectF(0, rowY(row), Edge, RowHeight), label);
    caption.align = Qt::AlignRight | Qt::AlignTop;
    band.items.push_back(caption);
    band.items.push_back(computedText(field, QRectF(Edge + 2, rowY(row), LeftWidth - Edge - 2, RowHeight),
                                      projectValue(field)));
}

ReportItem heading(const QString &name, qreal y, const QString &text)
{
    ReportItem item = fixedText(name, QRectF(0, y, BandWidth, 9), text);
    item.font = makeFont(QStringLiteral("Tahoma"), 18, true);
    return item;
}

// The sales columns: the headings of the title band and the detail lines share them.
struct Column {
    const char *field;
    const char *title;
    qreal left;
    qreal width;
};
const Column SalesColumns[] = {
    {"date_orders", "Дата", 0, 35},
    {"summ", "Сумма, руб.", 35, 40},
    {"comments", "Комментарий", 75, BandWidth - 75},
};

} // namespace

TfrmRepSelect::TfrmRepSelect(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmRepSelect"));
    setWindowTitle(QStringLiteral("Информация по выделенному товару"));
    m_orders.setDataSet(Dm->sqlOrdersRep);
    repSelect.name = QStringLiteral("repSelect");
    repSelect.pageSize = QPageSize(QPageSize::A4);
    repSelect.orientation = QPageLayout::Portrait;
    repSelect.margins = QMarginsF(10, 10, 10, 10);
    repSelect.font = makeFont(QStringLiteral("Arial"), 10);
    repSelect.data = &m_orders; // printed even when there are no sales
    repSelect.bands = {createTitleBand(), createOrdersBand(), createFooterBand()};
}

ReportBand TfrmRepSelect::createTitleBand() const
{
    ReportBand band;
    band.kind = ReportBand::Kind::Title;
    band.name = QStringLiteral("bandTitle");
    band.height = 227.3;
    band.font = makeFont(QStringLiteral("Arial"), 12);

    ReportItem name = computedText(QStringLiteral("tovName"), QRectF(0, 0, BandWidth, 9),
                                   projectValue(QStringLiteral("tovName")));
    name.font = makeFont(QStringLiteral("Arial"), 18, true);
    name.wrap = true;
    band.items.push_back(name);

    addLabelled(band, 2, QStringLiteral("Категория:"), QStringLiteral("catName"), projectValue(QStringLiteral("catName")));
    addLabelled(band, 3, QStringLiteral("Версия IDE:"), QStringLiteral("ide"), projectValue(QStringLiteral("ide")));
    addLabelled(band, 4, QStringLiteral("ID проекта:"), QStringLiteral("project_id"), projectValue(QStringLiteral("project_id")));
    addLabelled(band, 5, QStringLiteral("Цена:"), QStringLiteral("price"), projectValue(QStringLiteral("price")));
    addLabelled(band, 6, QStringLiteral("Год разработки:"), QStringLiteral("years"), projectValue(QStringLiteral("years")));
    addAligned(band, 7, QStringLiteral("Начало разработки:"), QStringLiteral("project_begin"));
    addAligned(band, 8, QStringLiteral("Конец разработки:"), QStringLiteral("project_end"));
    addAligned(band, 9, QStringLiteral("Последнее обновление:"), QStringLiteral("datetimeupdate"));
    addLabelled(band, 10, QStringLiteral("IP репозитория:"), QStringLiteral("repository_ip"),
                [](const ReportContext &) { return Dm->tblConfigsrepository_ip->asString(); });

    ReportItem pathLabel = fixedText(QStringLiteral("lbl_path_repository"), QRectF(0, rowY(11), LeftWidth, RowHeight),
                                     QStringLiteral("Относительный путь к репозиторию:"));
    pathLabel.font = makeFont(QStringLiteral("Arial"), 12, false, true);
    band.items.push_back(pathLabel);
    band.items.push_back(computedText(QStringLiteral("path_repository"), QRectF(0, rowY(11) + RowHeight + 0.5, 80, RowHeight),
                                      projectValue(QStringLiteral("path_repository"))));

    ReportItem picture;
    picture.kind = ReportItem::Kind::Picture;
    picture.name = QStringLiteral("screenshots");
    picture.rect = QRectF(PictureLeft, RowTop, 105.8, 83.3);
    picture.picture = [](const ReportContext &) { return Dm->sqlProjectRep->fieldByName(QStringLiteral("screenshots"))->asBytes(); };
    band.items.push_back(picture);

    band.items.push_back(heading(QStringLiteral("lblDescription"), 99, QStringLiteral("Описание проекта")));
    ReportItem description = computedText(QStringLiteral("description"), QRectF(0, 110, BandWidth, 92),
                                          projectValue(QStringLiteral("description")));
    description.font = makeFont(QStringLiteral("Verdana"), 11);
    description.wrap = true;
    band.items.push_back(description);

    band.items.push_back(heading(QStringLiteral("lblOrders"), 205, QStringLiteral("Продажи")));
    for (const Column &c : SalesColumns) {
        ReportItem title = fixedText(QStringLiteral("lbl_") + QLatin1String(c.field),
                                     QRectF(c.left, 216.5, c.width, RowHeight), QString::fromUtf8(c.title));
        title.font = makeFont(QStringLiteral("Arial"), 12, false, true);
        band.items.push_back(title);
    }
    return band;
}

ReportBand TfrmRepSelect::createOrdersBand() const
{
    ReportBand band;
    band.kind = ReportBand::Kind::Detail;
    band.name = QStringLiteral("bandOrders");
    band.height = 6.9;
    for (const Column &c : SalesColumns) {
        ReportItem item;
        item.name = QLatin1String(c.field);
        item.field = QLatin1String(c.field);
        item.rect = QRectF(c.left, 0.9, c.width - 2, 5);
        band.items.push_back(item);
    }
    // A long comment wraps and makes its line taller rather than being lost.
    band.items.back().wrap = true;
    return band;
}

ReportBand TfrmRepSelect::createFooterBand() const
{
    ReportBand band;
    band.kind = ReportBand::Kind::PageFooter;
    band.name = QStringLiteral("bandFooter");
    band.height = 10.6;
    ReportItem now = computedText(QStringLiteral("printedAt"), QRectF(BandWidth - 80, 3, 78, 5),
                                  [](const ReportContext &) {
                                      return Clock::now().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
                                  });
    now.align = Qt::AlignRight | Qt::AlignTop;
    band.items.push_back(now);
    return band;
}
