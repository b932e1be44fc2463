// Printed output: the banded report renderer, the report project files, the
// project sheet and the catalogue print, rendered to PDF through the preview
// seam and read back as text (pdftotext) and as pictures (pdftoppm).
#include "program/Application.h"
#include "data/core/Clock.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "output/BandedReport.h"
#include "output/CatalogPrint.h"
#include "output/ReportConnection.h"
#include "output/ReportError.h"
#include "output/ReportFileParser.h"
#include "output/ReportProject.h"
#include "output/ReportSystem.h"
#include "output/Unit_report_selected.h"
#include "support/RecordingSeams.h"
#include "support/Requires.h"
#include "support/TestDb.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <memory>

namespace {

const QString Printed = QStringLiteral("25.12.2013 14:05:09");

bool havePoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

// Only the cases that read printed pages need poppler-utils.
#define REQUIRE_POPPLER() \
    REQUIRE_PACKAGE(havePoppler(), "pdftotext and pdftoppm (poppler-utils) are not installed")

QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}

// The text of a PDF, or of one page of it, as laid out on the page.
QString pdfText(const QString &path, int page = 0)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    return QString::fromUtf8(run(QStringLiteral("pdftotext"), args << path << QStringLiteral("-")));
}

QImage pdfPage(const QString &path, int page, int dpi)
{
    const QString p = QString::number(page);
    return QImage::fromData(run(QStringLiteral("pdftoppm"),
                                {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
                                 QStringLiteral("-f"), p, QStringLiteral("-l"), p, path}));
}

// The texts appear in this order (each after the one before).
bool inOrder(const QString &text, const QStringList &parts, QString *missing)
{
    int from = 0;
    for (const QString &part : parts) {
        const int at = int(text.indexOf(part, from));
        if (at < 0) {
            *missing = part;
            return false;
        }
        from = at + int(part.size());
    }
    return true;
}

#define QVERIFY_IN_ORDER(text, ...)                                                         \
    do {                                                                                    \
        QString missing_;                                                                   \
        QVERIFY2(inOrder(text, __VA_ARGS__, &missing_),                                     \
                 qPrintable(QStringLiteral("missing or out of order: ") + missing_ + "\n" + text)); \
    } while (false)

QByteArray bitmap(int width, int height, Qt::GlobalColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

bool isRed(QRgb c) { return qRed(c) > 200 && qGreen(c) < 80 && qBlue(c) < 80; }
bool isWhite(QRgb c) { return qRed(c) > 240 && qGreen(c) < 256 && qGreen(c) > 240 && qBlue(c) > 240; }

// Rows of a report without a database.
class ListData : public ReportData
{
public:
    QStringList values;
    int rowCount() const override { return int(values.size()); }
    bool hasField(const QString &field) const override { return field == QLatin1String("value"); }
    QString text(int row, const QString &) const override { return values.value(row); }
    QByteArray bytes(int, const QString &) const override { return {}; }
};

ReportItem textItem(const QRectF &rect, const QString &text, bool wrap = false)
{
    ReportItem item;
    item.name = text.left(12);
    item.rect = rect;
    item.fixedText = text;
    item.wrap = wrap;
    return item;
}

ReportBand band(ReportBand::Kind kind, const QString &name, qreal height, std::vector<ReportItem> items)
{
    ReportBand b;
    b.kind = kind;
    b.name = name;
    b.height = height;
    b.items = std::move(items);
    return b;
}

// Metrics of a 1200 dpi PDF, as the tests' previews use.
struct Measure {
    QBuffer buffer;
    QPdfWriter writer{&buffer};
    Measure() { writer.setResolution(1200); }
};

std::vector<ReportPage> layOut(const BandedReport &report, const QFont &base = QFont(QStringLiteral("Arial"), 10))
{
    Measure m;
    return layoutReport(report, base, &m.writer);
}

const PlacedElement *find(const ReportPage &page, const QString &item)
{
    for (const PlacedElement &e : page.elements)
        if (e.item == item)
            return &e;
    return nullptr;
}

QString longText(int words)
{
    QStringList list;
    for (int i = 1; i <= words; ++i)
        list << QStringLiteral("слово%1").arg(i);
    return list.join(QLatin1Char(' '));
}

} // namespace

class TestOutputPrint : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> rec;
    std::unique_ptr<TfrmMain> window;
    std::unique_ptr<QTemporaryDir> files;

    TDm *open(int category = 1)
    {
        TDm *dm = db->openDm();
        window = std::make_unique<TfrmMain>();
        window->bindData();
        dm->tblProject->setSort("tovName");
        dm->tblCategory->locate("cat_id", category);
        window->filterCategory();
        return dm;
    }

    void select(const QString &name) { QVERIFY(Dm->tblProject->locate("tovName", name)); }

    QString printSheet()
    {
        rec->clear();
        window->mnuPrintSelectClick(window->mnuPrintSelect);
        return rec->previewFiles.value(0);
    }

    // The sheet of the project the queries were last opened for, as laid out.
    std::vector<ReportPage> sheetLayout()
    {
        TfrmRepSelect form;
        return layOut(form.repSelect, form.font());
    }

    QString projectFile(const QString &text)
    {
        const QString path = files->filePath(QStringLiteral("Reports/Catalog.rav"));
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text.toUtf8());
        return path;
    }

    void printCatalogue(const QString &file)
    {
        rec->clear();
        window->catalogPrint().RvProject->projectFile = file;
        window->mnuPrintCatalogClick(window->mnuPrintCatalog);
    }

    QString defaultCatalogue() { return QFINDTESTDATA("../resources/Reports/Catalog.rav"); }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    }

    void init()
    {
        TESTDB_REQUIRE_ENGINE();
        Clock::set(QDateTime(QDate(2013, 12, 25), QTime(14, 5, 9)));
        db = std::make_unique<TestDb>();
        db->fillSample();
        rec = std::make_unique<RecordingSeams>();
        files = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        window.reset();
        db.reset();
        rec.reset();
        files.reset();
        Clock::reset();
    }

    // --- the renderer ---------------------------------------------------------

    void wrappingTextGrowsItsBandAndPushesWhatLiesBelow()
    {
        BandedReport r;
        ReportItem follower = textItem(QRectF(0, 20, 60, 6), QStringLiteral("значение"));
        follower.name = QStringLiteral("follower");
        follower.followGap = 2;
        r.bands.push_back(band(ReportBand::Kind::Title, QStringLiteral("title"), 30,
                               {textItem(QRectF(0, 0, 40, 5), longText(30), true),
                                textItem(QRectF(50, 0, 40, 5), QStringLiteral("рядом")),
                                textItem(QRectF(0, 6, 40, 5), QStringLiteral("ниже")),
                                textItem(QRectF(0, 12, 20, 5), QStringLiteral("обрезанный длинный текст")),
                                textItem(QRectF(0, 20, 60, 6), QStringLiteral("Метка:")), follower}));
        r.bands.push_back(band(ReportBand::Kind::Detail, QStringLiteral("detail"), 5,
                               {textItem(QRectF(0, 0, 10, 5), QStringLiteral("после"))}));
        const std::vector<ReportPage> pages = layOut(r);
        QCOMPARE(pages.size(), size_t(1));
        const ReportPage &page = pages[0];

        int lines = 0;
        qreal lastLineBottom = 0;
        for (const PlacedElement &e : page.elements)
            if (e.item == longText(30).left(12)) {
                ++lines;
                QCOMPARE(e.rect.width(), 40.0);
                lastLineBottom = e.rect.bottom();
            }
        QVERIFY2(lines > 3, "the long text wraps");
        const qreal growth = lastLineBottom - 5;
        QCOMPARE(find(page, "рядом")->rect.top(), 0.0);        // beside it: stays
        QCOMPARE(find(page, "ниже")->rect.top(), 6 + growth);   // below it: pushed down
        const PlacedElement *cut = find(page, "обрезанный д");
        QCOMPARE(cut->rect, QRectF(0, 12 + growth, 20, 5));    // one line, cut at its box
        QCOMPARE(cut->text, QStringLiteral("обрезанный длинный текст"));
        // The value starts after its label's text, not at its own x.
        const qreal labelLeft = find(page, "Метка:")->rect.left();
        const PlacedElement *value = find(page, "follower");
        QVERIFY(value->rect.left() > labelLeft + 8 && value->rect.left() < labelLeft + 25);
        QCOMPARE(value->rect.right(), 60.0);
        QCOMPARE(find(page, "после"), nullptr); // no data: no detail lines
    }

    void bandsFlowOverPagesBetweenHeaderAndFooter()
    {
        ListData data;
        for (int i = 1; i <= 100; ++i)
            data.values << QStringLiteral("строка %1").arg(i);
        ReportItem value;
        value.name = QStringLiteral("value");
        value.field = QStringLiteral("value");
        value.rect = QRectF(0, 0, 100, 8);
        ReportItem number;
        number.name = QStringLiteral("number");
        number.rect = QRectF(0, 0, 100, 5);
        number.text = [](const ReportContext &c) { return QStringLiteral("%1/%2").arg(c.page).arg(c.pageCount); };

        BandedReport r;
        r.data = &data;
        r.bands.push_back(band(ReportBand::Kind::Title, QStringLiteral("title"), 50, {textItem(QRectF(0, 0, 50, 5), "Заголовок")}));
        r.bands.push_back(band(ReportBand::Kind::PageHeader, QStringLiteral("header"), 7, {textItem(QRectF(0, 0, 50, 5), "Шапка")}));
        r.bands.push_back(band(ReportBand::Kind::Detail, QStringLiteral("detail"), 10, {value}));
        r.bands.push_back(band(ReportBand::Kind::PageFooter, QStringLiteral("footer"), 10, {number}));
        r.bands.push_back(band(ReportBand::Kind::Summary, QStringLiteral("summary"), 10, {textItem(QRectF(0, 0, 50, 5), "Итог")}));
        const std::vector<ReportPage> pages = layOut(r);

        // 277 mm inside the margins: 260 between header and footer; 26 lines a page, 21 under the title.
        QCOMPARE(pages.size(), size_t(5));
        QStringList all;
        for (size_t p = 0; p < pages.size(); ++p) {
            const QStringList texts = pages[p].texts();
            QCOMPARE(texts.first(), QStringLiteral("Шапка"));
            QCOMPARE(texts.last(), QStringLiteral("%1/5").arg(p + 1));
            QCOMPARE(texts.contains("Заголовок"), p == 0);
            for (const PlacedElement &e : pages[p].elements)
                if (e.band != "footer")
                    QVERIFY2(e.rect.bottom() <= 267.0001, "nothing runs into the footer");
            all << texts.mid(1, texts.size() - 2);
        }
        QCOMPARE(pages[0].texts().size(), 1 + 1 + 21 + 1);
        QCOMPARE(all.first(), QStringLiteral("Заголовок"));
        QCOMPARE(all.last(), QStringLiteral("Итог"));
        QCOMPARE(all.mid(1, 100), data.values);
    }

    void aBandTallerThanAPageIsCutBetweenItsLines()
    {
        const QString text = longText(2500);
        BandedReport r;
        r.bands.push_back(band(ReportBand::Kind::Title, QStringLiteral("title"), 10,
                               {textItem(QRectF(0, 0, 190, 10), text, true)}));
        r.bands.push_back(band(ReportBand::Kind::PageFooter, QStringLiteral("footer"), 10, {}));
        const std::vector<ReportPage> pages = layOut(r);
        QVERIFY(pages.size() >= 3);
        QStringList lines;
        for (const ReportPage &page : pages) {
            qreal previous = -1;
            for (const PlacedElement &e : page.elements) {
                QVERIFY(e.rect.top() >= previous - 0.0001); // no line over another
                QVERIFY(e.rect.bottom() <= 267.0001);
                previous = e.rect.bottom();
                lines << e.text;
            }
        }
        QCOMPARE(lines.join(QLatin1Char(' ')), text);
    }

    void textsWithoutAFontUseTheBaseFont()
    {
        BandedReport r;
        ReportItem own = textItem(QRectF(0, 10, 50, 8), QStringLiteral("свой"));
        own.font = QFont(QStringLiteral("Verdana"), 11);
        r.bands.push_back(band(ReportBand::Kind::Title, QStringLiteral("title"), 30,
                               {textItem(QRectF(0, 0, 50, 8), QStringLiteral("база")), own}));
        QFont base(QStringLiteral("MS SansSerif"), 14);
        std::vector<ReportPage> pages = layOut(r, base);
        QCOMPARE(find(pages[0], "база")->font, base);
        QCOMPARE(find(pages[0], "свой")->font.family(), QStringLiteral("Verdana"));
        r.bands[0].font = QFont(QStringLiteral("Tahoma"), 9);
        pages = layOut(r, base);
        QCOMPARE(find(pages[0], "база")->font.family(), QStringLiteral("Tahoma"));
    }

    // --- report project files -------------------------------------------------

    void aProjectFileReadsItsReportsInOrder()
    {
        const auto reports = parseReportProject(
            "# two reports\n"
            "report \"Первый отчёт\"\n"
            "  page A5 landscape\n"
            "  margins 5 6 7 8.5\n"
            "  data rvConnectCatalog\n"
            "  band title 20   # a comment\n"
            "    font \"Tahoma\" 12 bold\n"
            "    label 0 0 100 8 \"Каталог \\\"А\\\"\" font \"Arial\" 20 bold underline align center\n"
            "    field 0 10 100 8 tovName wrap\n"
            "    line 0 19 100 19 width 0.5\n"
            "  end\n"
            "  band footer 10\n"
            "    pagenumber 0 0 100 5 \"Стр. %p из %n\" align right\n"
            "    date 0 5 100 5 \"yyyy\"\n"
            "  end\n"
            "end\n"
            "REPORT Второй\n"
            "END\n",
            "test.rav");
        QCOMPARE(reports.size(), size_t(2));
        const BandedReport &first = reports[0].report;
        QCOMPARE(first.name, QStringLiteral("Первый отчёт"));
        QCOMPARE(reports[0].connection, QStringLiteral("rvConnectCatalog"));
        QCOMPARE(first.pageLayout().pageSize().id(), QPageSize::A5);
        QCOMPARE(first.orientation, QPageLayout::Landscape);
        QCOMPARE(first.margins, QMarginsF(5, 6, 7, 8.5));
        QCOMPARE(first.bands.size(), size_t(2));
        const ReportBand &title = first.bands[0];
        QCOMPARE(title.kind, ReportBand::Kind::Title);
        QCOMPARE(title.height, 20.0);
        QCOMPARE(title.font->family(), QStringLiteral("Tahoma"));
        QCOMPARE(title.items.size(), size_t(3));
        QCOMPARE(title.items[0].fixedText, QStringLiteral("Каталог \"А\""));
        QVERIFY(title.items[0].font->bold() && title.items[0].font->underline());
        QCOMPARE(title.items[0].align, Qt::AlignHCenter | Qt::AlignTop);
        QCOMPARE(title.items[1].field, QStringLiteral("tovName"));
        QVERIFY(title.items[1].wrap && !title.items[1].font);
        QCOMPARE(title.items[2].kind, ReportItem::Kind::Line);
        QCOMPARE(title.items[2].rect, QRectF(QPointF(0, 19), QPointF(100, 19)));
        QCOMPARE(title.items[2].penWidth, 0.5);
        const ReportBand &footer = first.bands[1];
        QCOMPARE(footer.kind, ReportBand::Kind::PageFooter);
        QCOMPARE(footer.items[0].text({0, 2, 7}), QStringLiteral("Стр. 2 из 7"));
        QCOMPARE(footer.items[1].text({}), QStringLiteral("2013"));
        QCOMPARE(reports[1].report.name, QStringLiteral("Второй"));
        QVERIFY(reports[1].report.bands.empty());
        QVERIFY(parseReportProject("# nothing but a comment\n\n", "empty.rav").empty());
    }

    void aLineThatDoesNotReadNamesItsLineAndWhatWasExpected_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString head = "report R\n  data c\n";
        QTest::newRow("outside a report") << "\nband title 10\n"
                                          << "line 2: expected \"report\", found \"band\"";
        QTest::newRow("band kind") << head + "  band middle 10\n"
                                   << "line 3: expected a band kind: title, header, detail, footer or summary, found \"middle\"";
        QTest::newRow("height") << head + "  band detail tall\n"
                                << "line 3: expected a number (the band's height), found \"tall\"";
        QTest::newRow("negative") << head + "  band detail 10\n    label 0 0 -5 5 \"x\"\n"
                                  << "line 4: expected a number not below 0 (a width), found \"-5\"";
        QTest::newRow("item") << head + "  band detail 10\n    circle 0 0 5 5\n"
                              << "line 4: expected an item (label, field, picture, line, pagenumber, date), \"font\" or \"end\", found \"circle\"";
        QTest::newRow("quote") << head + "  band detail 10\n    label 0 0 5 5 \"open\n"
                               << "line 4: expected a closing double quote, found end of line";
        QTest::newRow("text") << head + "  band detail 10\n    label 0 0 5 5\n"
                              << "line 4: expected the label's text in double quotes, found end of line";
        QTest::newRow("option") << head + "  band detail 10\n    field 0 0 5 5 tovName bold\n"
                                << "line 4: expected an option (font, align, wrap, follow) or the end of the line, found \"bold\"";
        QTest::newRow("field without data") << "report R\n  band detail 10\n    field 0 0 5 5 tovName\n"
                                            << "line 3: expected a \"data\" line in the report before its first field, found \"tovName\"";
        QTest::newRow("band not ended") << head + "  band detail 10\n    label 0 0 5 5 \"x\"\n"
                                        << "line 5: expected \"end\" of the band opened on line 3, found end of file";
        QTest::newRow("report not ended") << head
                                          << "line 3: expected \"end\" of the report opened on line 1, found end of file";
    }

    void aLineThatDoesNotReadNamesItsLineAndWhatWasExpected()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        try {
            parseReportProject(text, "/x/Catalog.rav");
            QFAIL("the file was read");
        } catch (const ReportError &e) {
            QCOMPARE(e.text(), QStringLiteral("Report project \"/x/Catalog.rav\", ") + message);
        }
    }

    // --- the project sheet ----------------------------------------------------

    void theSheetPrintsLabelsAndValuesInOrder()
    {
        REQUIRE_POPPLER();
        db->exec("INSERT INTO configs (repository_ip, path_TortoiseSVN) VALUES ('10.1.2.3', 'C:\\svn')");
        db->exec("INSERT INTO orders (project_id, date_orders, summ, comments) VALUES (1, '2011-01-20', 5000, 'Вторая в тот же день')");
        open();
        select("Касса");
        const int recNo = Dm->tblProject->recNo();
        const QString pdf = printSheet();
        QCOMPARE(rec->previewFiles.size(), 1);
        QCOMPARE(rec->previewPages, 1);
        QCOMPARE(Dm->tblProject->recNo(), recNo); // the list keeps its position
        const QString text = pdfText(pdf);
        QVERIFY_IN_ORDER(text, {"Касса", "Категория: Бухгалтерия", "Версия IDE: Студия", "ID проекта: 1",
                                "Цена: 1500,5", "Год разработки: 2010", "Начало разработки: 01.03.2010",
                                "Конец разработки: 30.09.2010", "Последнее обновление: 15.01.2011",
                                "IP репозитория: 10.1.2.3", "Относительный путь к репозиторию:", "trunk/kassa",
                                "Описание проекта", "Учёт кассы", "Продажи", "Дата", "Сумма, руб.", "Комментарий",
                                "20.01.2011", "1400", "20.01.2011", "0,5", "Вторая в тот же день",
                                "01.02.2011", "1500,5", "Первая", Printed});
    }

    void theSheetLaysItsRowsOutAsDesigned()
    {
        REQUIRE_POPPLER();
        db->exec("UPDATE projects SET screenshots = ? WHERE project_id = 1", {bitmap(200, 100, Qt::red)});
        open();
        select("Касса");
        const QString pdf = printSheet();
        const ReportPage page = sheetLayout().front();
        // Values follow their labels on the same line; rows 7 to 9 share a right edge and a start.
        for (const char *field : {"catName", "ide", "project_id", "price", "years", "repository_ip"})
            QVERIFY2(find(page, QStringLiteral("lbl_") + field), field);
        const PlacedElement *category = find(page, "catName");
        QCOMPARE(category->rect.top(), find(page, "lbl_catName")->rect.top());
        QVERIFY(category->rect.left() > 20 && category->rect.left() < 30);
        QVERIFY(find(page, "price")->rect.left() < category->rect.left());
        for (const char *field : {"project_begin", "project_end", "datetimeupdate"}) {
            QCOMPARE(find(page, QStringLiteral("lbl_") + field)->align, Qt::AlignRight | Qt::AlignTop);
            QCOMPARE(find(page, field)->rect.left(), find(page, "project_begin")->rect.left());
        }
        QVERIFY(find(page, "path_repository")->rect.top() > find(page, "lbl_path_repository")->rect.bottom() - 0.1);
        QCOMPARE(find(page, "path_repository")->rect.width(), 80.0);

        // The picture at its own size, centred in the box right of rows 2 to 11.
        const int dpi = 50;
        const QImage image = pdfPage(pdf, 1, dpi);
        QVERIFY(!image.isNull());
        auto at = [&](qreal xMm, qreal yMm) { return image.pixel(int(xMm * dpi / 25.4), int(yMm * dpi / 25.4)); };
        const qreal cx = 10 + 84.2 + 52.9, cy = 10 + 12 + 41.65;
        QVERIFY(isRed(at(cx, cy)));
        QVERIFY(isRed(at(cx - 24, cy - 11)) && isRed(at(cx + 24, cy + 11)));
        QVERIFY(isWhite(at(cx - 30, cy)) && isWhite(at(cx, cy + 16)) && isWhite(at(cx + 30, cy - 16)));
    }

    void emptyValuesLeaveTheirLabels()
    {
        REQUIRE_POPPLER();
        open();
        select("Зарплата"); // no end, update, description, path; no settings row
        const QString text = pdfText(printSheet());
        QVERIFY_IN_ORDER(text, {"Зарплата", "Версия IDE: Редактор", "Начало разработки: 01.02.2011",
                                "Конец разработки:\n", "Последнее обновление:\n", "IP репозитория:\n",
                                "Относительный путь к репозиторию:\n", "Описание проекта", "Продажи",
                                "Дата", "Сумма, руб.", "Комментарий", Printed});
        QCOMPARE(text.count(QRegularExpression("\\d\\d\\.\\d\\d\\.\\d{4}")), 2); // the start and the footer
    }

    void aProjectWithoutIdeVersionStillPrints()
    {
        REQUIRE_POPPLER();
        db->exec("UPDATE projects SET cat_id = 99 WHERE project_id = 3"); // nor a category
        TDm *dm = open();
        dm->tblProject->setFiltered(false);
        dm->tblProject->setFilter("project_id = '3'");
        dm->tblProject->setFiltered(true);
        const QString text = pdfText(printSheet());
        QCOMPARE(rec->previewFiles.size(), 1);
        QVERIFY_IN_ORDER(text, {"Тетрис", "Категория:\n", "Версия IDE:\n", "ID проекта: 3", "Цена: 99,99",
                                "Год разработки: 2011", "Продажи", "01.06.2011", "99,99", "Игра продана"});
    }

    void salesRunOntoFurtherPagesInDateThenNumberOrder()
    {
        REQUIRE_POPPLER();
        // Entered out of order; several on the same day.
        for (int i = 60; i >= 1; --i)
            db->exec("INSERT INTO orders (project_id, date_orders, summ, comments) VALUES (4, ?, ?, ?)",
                     {QDate(2012, 1, 1).addDays((i - 1) / 3).toString(Qt::ISODate), i * 10000,
                      QStringLiteral("Продажа %1").arg(61 - i, 2, 10, QLatin1Char('0'))});
        open();
        select("Авансы");
        const QString pdf = printSheet();
        // Five lines under the title band, then 38 to a page.
        QCOMPARE(rec->previewPages, 3);
        QStringList comments;
        for (int page = 1; page <= 3; ++page) {
            const QString text = pdfText(pdf, page);
            QVERIFY2(text.contains(Printed), "every page has its footer");
            QCOMPARE(text.contains("Комментарий"), page == 1);
            QCOMPARE(text.contains("Продажи"), page == 1);
            static const QRegularExpression sale("Продажа (\\d\\d)");
            for (auto it = sale.globalMatch(text); it.hasNext();)
                comments << it.next().captured(1);
        }
        // By day; within a day by number, which follows the order of entry.
        QStringList expected;
        for (int day = 0; day < 20; ++day)
            for (int i = day * 3 + 3; i > day * 3; --i)
                expected << QStringLiteral("%1").arg(61 - i, 2, 10, QLatin1Char('0'));
        QCOMPARE(comments.size(), 60);
        QCOMPARE(comments, expected);
        QCOMPARE(pdfText(pdf, 1).count(QRegularExpression("Продажа \\d\\d")), 5);
    }

    void theSheetDoesNothingWithoutACurrentProject()
    {
        TDm *dm = open(3); // a category without projects
        printSheet();
        QVERIFY(rec->previewFiles.isEmpty());

        dm->tblCategory->locate("cat_id", 1);
        window->filterCategory();
        dm->tblProject->append();
        printSheet();
        QVERIFY(rec->previewFiles.isEmpty());
        dm->tblProject->cancel();

        // A project gone from the file since the list was read: no row, nothing shown.
        select("Касса");
        db->exec("DELETE FROM projects WHERE project_id = 1");
        printSheet();
        QVERIFY(rec->previewFiles.isEmpty());
        QVERIFY(rec->errors.isEmpty());
    }

    void theReportFormLivesOnlyWhileItsPreviewIsOpen()
    {
        open();
        select("Касса");
        auto forms = [] {
            int n = 0;
            for (QWidget *w : QApplication::topLevelWidgets())
                n += qobject_cast<TfrmRepSelect *>(w) != nullptr;
            return n;
        };
        int during = -1;
        seams().preview = [&](QWidget *, const QString &, std::function<void(QPrinter *)>) { during = forms(); };
        window->mnuPrintSelectClick(window->mnuPrintSelect);
        QCOMPARE(during, 1);
        QCOMPARE(forms(), 0);
    }

    // --- the catalogue --------------------------------------------------------

    void theCatalogueListsTheCategorysProjects()
    {
        REQUIRE_POPPLER();
        open();
        QSignalSpy statuses(window->catalogPrint().RvSystem, &ReportSystem::status);
        QString statusTitle;
        connect(window->catalogPrint().RvSystem, &ReportSystem::status, this, [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->objectName() == "ReportStatus" && w->isVisible())
                    statusTitle = w->windowTitle();
        });
        printCatalogue(defaultCatalogue());
        QCOMPARE(rec->errors, QStringList());
        QCOMPARE(rec->previewTitles, QStringList({"Report Preview"}));
        QCOMPARE(rec->previewPages, 1);
        const QString text = pdfText(rec->previewFiles[0]);
        QVERIFY_IN_ORDER(text, {"Каталог программных проектов", "Бухгалтерия",
                                "Авансы", "Категория:", "Бухгалтерия", "Цена, руб.:", "1234,5678", "Год разработки:", "2010",
                                "Версия IDE:", "Студия", "Начало:", "10.01.2010",
                                "Зарплата", "250", "2011", "Редактор", "01.02.2011",
                                "Касса", "1500,5", "Студия", "01.03.2010", "Окончание:", "30.09.2010",
                                "Обновление:", "15.01.2011", "Учёт кассы",
                                "25.12.2013", "Страница 1 из 1"});
        QVERIFY(!text.contains("Тетрис"));
        QCOMPARE(statuses.size(), 1);
        QCOMPARE(statuses[0][0].toString(), QStringLiteral("Generating page 1"));
        QCOMPARE(statusTitle, QStringLiteral("Report Status"));
        QVERIFY(!window->catalogPrint().RvProject->isActive());
    }

    void cancellingThePageLayoutLeavesThePreviewEmpty()
    {
        open();
        rec->clear();
        rec->cancelAtStep = 2; // at the second of the three projects
        window->catalogPrint().RvProject->projectFile = defaultCatalogue();
        window->mnuPrintCatalogClick(window->mnuPrintCatalog);
        QCOMPARE(rec->errors, QStringList());
        QCOMPARE(rec->progressTexts, QStringList({"Формирование страниц каталога…"}));
        QCOMPARE(rec->progressSteps, 2);
        QCOMPARE(rec->previewPages, 0);
        QVERIFY(!window->catalogPrint().RvProject->isActive());
    }

    void theCatalogueFollowsASearchAcrossCategories()
    {
        REQUIRE_POPPLER();
        for (int i = 0; i < 40; ++i)
            db->exec("INSERT INTO projects (cat_id, year_id, tovName, price) VALUES (2, 1, ?, 10000)",
                     {QStringLiteral("Игра %1").arg(i, 2, 10, QLatin1Char('0'))});
        TDm *dm = open(3);
        dm->tblProject->setFiltered(false);
        dm->tblProject->setFilter("tovName LIKE '%с%' OR tovName LIKE 'Игра 3%'");
        dm->tblProject->setFiltered(true);
        printCatalogue(defaultCatalogue());
        QCOMPARE(rec->errors, QStringList());
        QCOMPARE(rec->previewFiles.size(), 1);
        const int pages = rec->previewPages;
        QVERIFY(pages >= 2);
        QString text;
        for (int p = 1; p <= pages; ++p) {
            const QString page = pdfText(rec->previewFiles[0], p);
            QVERIFY(page.contains(QStringLiteral("Страница %1 из %2").arg(p).arg(pages)));
            text += page;
        }
        QVERIFY_IN_ORDER(text, {"Авансы", "Игра 30", "Игра 31", "Игра 39", "Касса", "Тетрис"});
        QVERIFY(!text.contains("Игра 29") && !text.contains("Зарплата"));
    }

    void anEmptyListStillRunsTheReport()
    {
        REQUIRE_POPPLER();
        open(3);
        printCatalogue(defaultCatalogue());
        QCOMPARE(rec->previewFiles.size(), 1);
        QCOMPARE(rec->previewPages, 1);
        const QString text = pdfText(rec->previewFiles[0]);
        QVERIFY(text.contains("Каталог программных проектов") && text.contains("Страница 1 из 1"));
        QVERIFY(!text.contains("Категория:"));
    }

    void everyReportOfTheFileRunsInTurn()
    {
        REQUIRE_POPPLER();
        open();
        const QString twoReports = projectFile(
            "report Имена\n data rvConnectCatalog\n"
            " band detail 6\n  field 0 0 100 5 tovName\n end\nend\n"
            "report Цены\n data rvConnectCatalog\n"
            " band title 8\n  label 0 0 100 6 \"Прайс\"\n end\n"
            " band detail 6\n  field 0 0 60 5 tovName\n  field 60 0 40 5 price align right\n end\nend\n");
        QStringList order;
        seams().preview = [&, recorded = seams().preview](QWidget *w, const QString &title,
                                                          std::function<void(QPrinter *)> render) {
            order << QStringLiteral("open");
            recorded(w, title, render);
            order << QStringLiteral("closed");
        };
        printCatalogue(twoReports);
        QCOMPARE(order, QStringList({"open", "closed", "open", "closed"}));
        QCOMPARE(rec->previewFiles.size(), 2);
        const QString first = pdfText(rec->previewFiles[0]);
        const QString second = pdfText(rec->previewFiles[1]);
        QVERIFY_IN_ORDER(first, {"Авансы", "Зарплата", "Касса"});
        QVERIFY(!first.contains("Прайс"));
        QVERIFY_IN_ORDER(second, {"Прайс", "Авансы", "1234,5678", "Зарплата", "250", "Касса", "1500,5"});

        printCatalogue(projectFile("# no reports yet\n"));
        QVERIFY(rec->previewFiles.isEmpty());
        QVERIFY(rec->errors.isEmpty());
    }

    void theBeforePrintHandlerSetsTheBaseFont()
    {
        open();
        ReportCanvas canvas;
        window->RvSystemBeforePrint(&canvas);
        QCOMPARE(canvas.baseFont.family(), QStringLiteral("MS SansSerif"));
        QCOMPARE(canvas.baseFont.pointSize(), 14);
        QVERIFY(!canvas.baseFont.bold() && !canvas.baseFont.italic() && !canvas.baseFont.underline()
                && !canvas.baseFont.strikeOut());
        // The output system calls it once before each report it produces.
        int calls = 0;
        connect(window->catalogPrint().RvSystem, &ReportSystem::beforePrint, this, [&] { ++calls; });
        printCatalogue(projectFile("report A\nend\nreport B\nend\nreport C\nend\n"));
        QCOMPARE(calls, 3);
        QCOMPARE(rec->previewFiles.size(), 3);
    }

    void fileErrorsShowTheStandardErrorBoxAndNothingElse_data()
    {
        QTest::addColumn<QString>("text"); // empty: no file at all
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QString() << "Unable to open report project file \"%1\"";
        QTest::newRow("bad") << "report A\n band detail x\n end\nend\n"
                             << "Report project \"%1\", line 2: expected a number (the band's height), found \"x\"";
        QTest::newRow("unknown field") << "report A\n data rvConnectCatalog\n band detail 5\n  field 0 0 5 5 nope\n end\nend\n"
                                       << "Report \"A\": field \"nope\" not found in data connection \"rvConnectCatalog\"";
        QTest::newRow("unknown connection") << "report A\n data other\nend\n"
                                            << "Report \"A\": data connection \"other\" not found";
    }

    void fileErrorsShowTheStandardErrorBoxAndNothingElse()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        open();
        const QString file = text.isEmpty() ? files->filePath("Reports/Catalog.rav") : projectFile(text);
        window->catalogPrint().RvProject->projectFile = file;
        rec->clear();
        // Through the event loop, as a click comes, so the application's box shows the error.
        QMetaObject::invokeMethod(window.get(), [this] { window->mnuPrintCatalog->trigger(); }, Qt::QueuedConnection);
        QCoreApplication::processEvents();
        QCOMPARE(rec->errors.size(), 1);
        const QString expected = message.contains("%1") ? message.arg(QDir::toNativeSeparators(file)) : message;
        QVERIFY2(rec->errors[0].startsWith(expected), qPrintable(rec->errors[0]));
        QVERIFY(rec->previewFiles.isEmpty());
        QVERIFY(!window->catalogPrint().RvProject->isActive());
    }

    void theDefaultProjectFileLiesBesideTheProgram()
    {
        open();
        QCOMPARE(window->catalogPrint().RvProject->projectFile,
                 QCoreApplication::applicationDirPath() + "/Reports/Catalog.rav");
        QCOMPARE(window->catalogPrint().rvConnectCatalog->dataSet(), Dm->tblProject);
    }
};

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    initResources();
    TestOutputPrint test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_output_print.moc"
