#pragma once

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QPrinter;

// A small banded report: a title band once at the top, a page header and a
// page footer on every page, a detail band once per data row and a summary
// after the last row. Everything is laid out in millimetres inside the page
// margins; text sizes are in points.

// The rows a report walks, with values by field name.
class ReportData
{
public:
    virtual ~ReportData() = default;
    virtual int rowCount() const = 0;
    virtual bool hasField(const QString &field) const = 0;
    // Display text of a field; empty for a row out of range.
    virtual QString text(int row, const QString &field) const = 0;
    // Raw bytes of a field (pictures); empty for a row out of range.
    virtual QByteArray bytes(int row, const QString &field) const = 0;
};

// Where a value is being produced.
struct ReportContext {
    int row = 0;       // the data row the band reads
    int page = 1;      // 1-based
    int pageCount = 0; // known in the page header and footer only
};

using TextSource = std::function<QString(const ReportContext &)>;
using BytesSource = std::function<QByteArray(const ReportContext &)>;
// Paints into target (device pixels) at the device's own resolution, so
// what can be drawn as lines and text stays so on paper.
using DrawSource = std::function<void(QPainter *painter, const QRectF &target)>;

struct ReportItem {
    enum class Kind { Text, Picture, Line, Drawing };

    Kind kind = Kind::Text;
    QString name;
    // Box in millimetres from the band's top-left corner. A line runs from
    // the box's top-left to its bottom-right corner.
    QRectF rect;
    std::optional<QFont> font; // none: the band's, the report's or the base font
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop;
    // Several lines, breaking at words; the band grows downwards with them.
    // Without it the text is one line cut at the box's edges.
    bool wrap = false;
    // The box starts this far after the end of the previous item's text
    // (its own left edge is ignored; its right edge stays).
    std::optional<qreal> followGap;
    qreal penWidth = 0.3; // lines, millimetres

    // The value: a computed text, a field of the report's data, or fixed text.
    TextSource text;
    QString field;
    QString fixedText;
    BytesSource picture; // pictures: computed bytes, else the field's bytes
    DrawSource draw;     // drawings: painted into the box
};

struct ReportBand {
    enum class Kind { Title, PageHeader, Detail, PageFooter, Summary };

    Kind kind = Kind::Detail;
    QString name;
    qreal height = 0; // millimetres; text items that wrap may make it taller
    std::optional<QFont> font;
    std::vector<ReportItem> items;
};

struct BandedReport {
    QString name;
    QPageSize pageSize{QPageSize::A4};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10}; // millimetres
    std::optional<QFont> font;
    std::vector<ReportBand> bands;
    const ReportData *data = nullptr; // rows of the detail band; none: no detail lines

    ReportBand *band(const QString &name);
    const ReportBand *firstBand(ReportBand::Kind kind) const;
    QPageLayout pageLayout() const;
    // Width and height inside the margins, millimetres.
    QSizeF bodySize() const;
};

// One drawn thing on a laid-out page, in millimetres from the top-left corner
// of the area inside the margins.
struct PlacedElement {
    ReportItem::Kind kind = ReportItem::Kind::Text;
    QString band;
    QString item;
    QRectF rect;
    QFont font;
    Qt::Alignment align;
    QString text;   // one line of text
    QImage image;   // drawn at its own size, centred in rect, cut at rect
    DrawSource draw; // drawn to fill rect
    qreal penWidth = 0;
};

struct ReportPage {
    int row = 0; // the data row the page header and footer read
    std::vector<PlacedElement> elements;
    QStringList texts() const; // the page's texts, top to bottom, left to right
};

// Told the rows (or pages) done of those to do; returning false cancels the
// run, which then throws ReportCancelled.
using ReportStep = std::function<bool(int done, int total)>;
struct ReportCancelled {};

// Lays the report out with the text metrics of device. baseFont is used by
// items that have no font of their own and whose band and report have none.
std::vector<ReportPage> layoutReport(const BandedReport &report, const QFont &baseFont,
                                     QPaintDevice *device, const ReportStep &step = {});

// Draws laid-out pages; the painter must stand on the first page, with its
// origin at the top-left corner inside the margins.
void paintPages(const std::vector<ReportPage> &pages, QPagedPaintDevice *device,
                const std::function<void(int page)> &onPage = {}, const ReportStep &step = {});

// Sets the printer's page to the report's, lays the report out and prints it.
// Returns the number of pages.
int printReport(const BandedReport &report, const QFont &baseFont, QPrinter *printer,
                const std::function<void(int page)> &onPage = {}, const ReportStep &step = {});

// A picture's size in millimetres when drawn at its own size (96 pixels an inch).
QSizeF pictureSizeMm(const QImage &image);
