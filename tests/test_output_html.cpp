// The HTML catalogue export: the folder tree, the page's bytes and lines, the
// pictures, which projects are written, and the failures it reports.
#include "data/core/Clock.h"
#include "data/module/UnitDM.h"
#include "main/Unit_tr.h"
#include "output/CatalogExport.h"
#include "data/core/Cp1251.h"
#include "support/RecordingSeams.h"
#include "support/Requires.h"
#include "support/TestDb.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString Stamp = QStringLiteral("25-12-2013-14-05-09");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray bitmap(Qt::GlobalColor color)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// The page's lines as the browser reads them: Windows-1251, split at CR LF.
QStringList pageLines(const QByteArray &bytes)
{
    QStringList lines = Cp1251::toUnicode(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Headings of the sections: the <h3> lines that open a panel.
QStringList sectionNames(const QStringList &lines)
{
    QStringList names;
    for (int i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].startsWith("<h3>") && lines[i + 1] == "<div>")
            names << lines[i].mid(4, lines[i].size() - 9);
    return names;
}

int announcedCount(const QStringList &lines)
{
    static const QRegularExpression re(QStringLiteral("Количество проектов: <span class=\"number\">(\\d+)<"));
    for (const QString &line : lines) {
        const auto m = re.match(line);
        if (m.hasMatch())
            return m.captured(1).toInt();
    }
    return -1;
}

// The tree of an export; the support files copied from beside the test are
// left out, since whether the build put them there is not the export's concern.
QStringList filesUnder(const QString &folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = QDir(folder).relativeFilePath(it.next());
        if (!path.startsWith("css/") && !path.startsWith("js/"))
            out << path;
    }
    out.sort();
    return out;
}

} // namespace

class TestOutputHtml : public QObject
{
    Q_OBJECT
    std::unique_ptr<TestDb> db;
    std::unique_ptr<RecordingSeams> rec;
    std::unique_ptr<TfrmMain> window;
    std::unique_ptr<QTemporaryDir> out;

    TDm *open()
    {
        TDm *dm = db->openDm();
        window = std::make_unique<TfrmMain>();
        window->bindData();
        dm->tblCategory->locate("cat_id", 1);
        window->filterCategory();
        dm->tblProject->setSort("tovName");
        return dm;
    }

    QString exportAs(const QString &name)
    {
        rec->saveFileAnswers.enqueue(out->filePath(name));
        window->mnuExportCatClick(window->mnuExportCat);
        return out->filePath(Stamp);
    }

    QStringList exportedLines()
    {
        return pageLines(readAll(exportAs("catalog") + "/catalog.html"));
    }

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
        out = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        window.reset();
        db.reset();
        rec.reset();
        out.reset();
        Clock::reset();
    }

    void codePageKeepsEveryCharacter()
    {
        QCOMPARE(Cp1251::fromUnicodeForHtml("Az Привет Ёё№€»"),
                 QByteArray("Az \xCF\xF0\xE8\xE2\xE5\xF2 \xA8\xB8\xB9\x88\xBB"));
        // Characters the code page lacks become references, and what follows is still encoded.
        QCOMPARE(Cp1251::fromUnicodeForHtml(QString::fromUtf8("ș✓ы")), QByteArray("&#537;&#10003;\xFB"));
        QCOMPARE(Cp1251::fromUnicodeForHtml(QString::fromUtf8("😀я")), QByteArray("&#128512;\xFF"));
        QString lone;
        lone += QChar(0xD800);
        lone += QChar(u'я');
        QCOMPARE(Cp1251::fromUnicodeForHtml(lone), QByteArray("&#65533;\xFF"));
        QString all;
        for (int b = 0x20; b < 0x100; ++b)
            if (b != 0x98)
                all += Cp1251::toUnicode(QByteArray(1, char(b)));
        QCOMPARE(Cp1251::toUnicode(Cp1251::fromUnicodeForHtml(all)), all);
    }

    void writesTheFolderTreeAndThePageLineByLine()
    {
        const QByteArray shot = bitmap(Qt::red);
        db->exec("UPDATE projects SET screenshots = ?, datetime_update = '2011-01-15 10:20:30',"
                 " description = ? WHERE project_id = 1",
                 {shot, QString("Учёт кассы\nи отчёты")});
        TDm *dm = open();
        dm->tblProject->setRecNo(2);

        const QString folder = exportAs("catalog");

        QCOMPARE(filesUnder(folder),
                 QStringList({"catalog.html", "css", "images", "images/project_1.bmp", "js"}));
        QCOMPARE(readAll(folder + "/images/project_1.bmp"), shot);
        QVERIFY2(!QFile::exists(out->filePath("catalog")), "the chosen file itself is never written");
        const QByteArray bytes = readAll(folder + "/catalog.html");
        QVERIFY(bytes.startsWith("<html><head>\r\n")); // no byte-order mark
        QVERIFY(bytes.endsWith("</body></html>\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n")); // the description's lines too
        const QStringList expected = {
            "<html><head>",
            "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">",
            "<title>Категория: Бухгалтерия</title>",
            "<link type=\"text/css\" href=\"css/style.css\" rel=\"stylesheet\">",
            "<link type=\"text/css\" href=\"css/jquery-ui.css\" rel=\"stylesheet\">",
            "<script src=\"js/jquery.js\"></script>",
            "<script src=\"js/jquery-ui.js\"></script>",
            "<script src=\"js/my-js.js\"></script>",
            "</head><body>",
            "<div id=\"carrier\">",
            "<div id=\"header\">Каталог проектов (Бухгалтерия)</div>",
            "<div id=\"content\">",
            "<div>",
            "<p>Количество проектов: <span class=\"number\">3</span></p>",
            "<p>Файл сгенерирован: <span class=\"number\">25.12.2013 14:05:09</span></p>",
            "</div>",
            "<h2>Каталог проектов</h2>",
            "<div id=\"accordion\">",
            "<h3>Авансы</h3>",
            "<div>",
            "<p>Код проекта: 4</p>",
            "<p>Версия IDE: Студия</p>",
            "<p>Год разработки: 2010</p>",
            "<p>Цена, руб: 1234,5678</p>",
            "<br  clear=\"all\" />",
            "</div>",
            "<h3>Зарплата</h3>",
            "<div>",
            "<p>Код проекта: 2</p>",
            "<p>Версия IDE: Редактор</p>",
            "<p>Год разработки: 2011</p>",
            "<p>Цена, руб: 250</p>",
            "<br  clear=\"all\" />",
            "</div>",
            "<h3>Касса</h3>",
            "<div>",
            "<img class=\"projectImg\" width=\"400\" height=\"315\" src=\"images/project_1.bmp\" />",
            "<p>Код проекта: 1</p>",
            "<p>Версия IDE: Студия</p>",
            "<p>Год разработки: 2010</p>",
            "<p>Последнее обновление: 15.01.2011 10:20:30</p>",
            "<p>Цена, руб: 1500,5</p>",
            "<br  clear=\"all\" />",
            "<h3>Краткое описание проекта</h3>",
            "<p class=\"projectDesc\">",
            "Учёт кассы",
            "и отчёты",
            "</p>",
            "</div>",
            "</div>",
            "</div>",
            "<div id=\"footer\">&copy; Каталог программных проектов. Все права защищены.</div>",
            "</div>",
            "</body></html>",
        };
        const QStringList lines = pageLines(bytes);
        for (int i = 0; i < qMin(lines.size(), expected.size()); ++i)
            QCOMPARE(lines[i], expected[i]);
        QCOMPARE(lines.size(), expected.size());
        QCOMPARE(dm->tblProject->recNo(), 2);
        QVERIFY(rec->notices.isEmpty());
        QVERIFY(rec->errors.isEmpty());
    }

    void dateOnlyUpdateAndEmptyValuesFollowTheirRules()
    {
        db->exec("UPDATE projects SET year_id = NULL, price = NULL, version_id = NULL,"
                 " datetime_update = '2012-07-01', isExportsDesc = 1, description = NULL WHERE project_id = 4");
        open();
        const QStringList lines = exportedLines();
        const int at = lines.indexOf("<h3>Авансы</h3>");
        QVERIFY(at > 0);
        QCOMPARE(lines.mid(at + 2, 9),
                 QStringList({"<p>Код проекта: 4</p>", "<p>Год разработки: </p>",
                              "<p>Последнее обновление: 01.07.2012</p>", "<p>Цена, руб: </p>",
                              "<br  clear=\"all\" />", "<h3>Краткое описание проекта</h3>",
                              "<p class=\"projectDesc\">", "", "</p>"}));
    }

    void namesAreEscapedAndDescriptionsKeptAsStored()
    {
        db->exec("UPDATE category SET catName = 'R&D <лаб>' WHERE cat_id = 1");
        db->exec("UPDATE ide SET ide = 'C++ \"Q&A\"' WHERE version_id = 1");
        db->exec("UPDATE projects SET tovName = ?, isExportsDesc = 1, description = '<b>жирно</b> & ş'"
                 " WHERE project_id = 1", {QString::fromUtf8("Касса <v2> & ș")});
        open();
        const QByteArray bytes = readAll(exportAs("catalog") + "/catalog.html");
        const QStringList lines = pageLines(bytes);
        QVERIFY(lines.contains("<title>Категория: R&amp;D &lt;лаб&gt;</title>"));
        QVERIFY(lines.contains("<div id=\"header\">Каталог проектов (R&amp;D &lt;лаб&gt;)</div>"));
        QVERIFY(lines.contains("<p>Версия IDE: C++ &quot;Q&amp;A&quot;</p>"));
        QVERIFY(bytes.contains("<h3>\xCA\xE0\xF1\xF1\xE0 &lt;v2&gt; &amp; &#537;</h3>\r\n"));
        QVERIFY(bytes.contains("\r\n<b>\xE6\xE8\xF0\xED\xEE</b> & &#351;\r\n"));
    }

    void writesOnlyMarkedProjectsOfTheListInItsOrder()
    {
        db->exec("INSERT INTO projects (cat_id, year_id, tovName, price, isExports, isExportsDesc, description)"
                 " VALUES (2, 1, 'Шахматы', 10000, 1, 1, 'Ходы'),"
                 " (1, 1, 'Только описание', 10000, 0, 1, 'y')");
        TDm *dm = open();
        QVERIFY(dm->tblCategory->locate("cat_id", 2)); // the title follows the category grid
        // A search that spans categories replaces the category filter.
        dm->tblProject->setFiltered(false);
        dm->tblProject->setFilter("tovName LIKE '%а%'");
        dm->tblProject->setFiltered(true);
        dm->tblProject->setSort("price DESC");

        const QStringList lines = exportedLines();
        QVERIFY(lines.contains("<title>Категория: Игры</title>"));
        QCOMPARE(sectionNames(lines), QStringList({"Касса", "Авансы", "Зарплата", "Шахматы"}));
        QCOMPARE(announcedCount(lines), 4);
        QVERIFY(!lines.contains("y"));
        QVERIFY(lines.contains("Ходы"));
    }

    void anEmptyListStillGivesThePage()
    {
        TDm *dm = open();
        QVERIFY(dm->tblCategory->locate("cat_id", 3));
        window->filterCategory();
        QCOMPARE(dm->tblProject->recNo(), -1);

        const QString folder = exportAs("catalog");
        const QStringList lines = pageLines(readAll(folder + "/catalog.html"));
        QCOMPARE(announcedCount(lines), 0);
        const int at = lines.indexOf("<div id=\"accordion\">");
        QCOMPARE(lines.mid(at, 3), QStringList({"<div id=\"accordion\">", "</div>", "</div>"}));
        QCOMPARE(dm->tblProject->recNo(), -1);
        QVERIFY(QDir(folder + "/images").isEmpty());
    }

    void pageNameIsTheChosenNamePlusHtml()
    {
        open();
        const QString folder = exportAs("catalog.html");
        QVERIFY(QFile::exists(folder + "/catalog.html.html"));
        QVERIFY(!QFile::exists(out->filePath("catalog.html")));
    }

    void cancelCreatesNothing()
    {
        TDm *dm = open();
        dm->tblProject->setRecNo(3);
        window->mnuExportCatClick(window->mnuExportCat);
        QVERIFY(QDir(out->path()).isEmpty());
        QCOMPARE(dm->tblProject->recNo(), 3);
        QVERIFY(rec->notices.isEmpty());
    }

    void asksForAnHtmlFile()
    {
        open();
        QString filter;
        seams().saveFileName = [&](QWidget *, const QString &, const QString &, const QString &f,
                                   const QString &, bool) {
            filter = f;
            return QString();
        };
        window->mnuExportCatClick(window->mnuExportCat);
        QCOMPARE(filter, QString("HTML-страницы (*.html)"));
    }

    void aSecondExportInTheSameSecondIsRefused()
    {
        open();
        const QString folder = exportAs("first");
        const QStringList before = filesUnder(folder);
        const QByteArray page = readAll(folder + "/first.html");

        // With the real progress window, which must not come up over the message.
        seams().progress = progressDialog;
        bool covered = false;
        const auto record = seams().notice;
        seams().notice = [&](QWidget *parent, const QString &caption, const QString &text) {
            record(parent, caption, text);
            QTest::qWait(700);
            for (QWidget *w : QApplication::topLevelWidgets())
                covered = covered || (w->inherits("QProgressDialog") && w->isVisible());
        };
        exportAs("second");
        QVERIFY(!covered);
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].caption, QString("Сохранение"));
        QCOMPARE(rec->notices[0].text, QString("Ошибка создания директории для хранения отчета"));
        QCOMPARE(filesUnder(folder), before);
        QCOMPARE(readAll(folder + "/first.html"), page);
    }

    void aFolderThatCannotBeMadeIsReported()
    {
        open();
        rec->saveFileAnswers.enqueue(out->filePath("missing/catalog"));
        window->mnuExportCatClick(window->mnuExportCat);
        QCOMPARE(rec->notices.size(), 1);
        QCOMPARE(rec->notices[0].text, QString("Ошибка создания директории для хранения отчета"));
        QVERIFY(QDir(out->path()).isEmpty());
    }

    void aPageThatCannotBeWrittenIsAnError()
    {
        TDm *dm = open();
        dm->tblProject->setRecNo(2);
        const QString tooLong(300, QLatin1Char('n')); // no file system takes such a name
        const QString folder = exportAs(tooLong);
        QCOMPARE(rec->errors.size(), 1);
        QVERIFY(rec->errors[0].contains(tooLong));
        QVERIFY(!QFileInfo::exists(folder)); // a failed export leaves nothing behind
        QCOMPARE(dm->tblProject->recNo(), 2);
    }

    void copiesTheSupportFilesThatExist()
    {
        open();
        QTemporaryDir program;
        const QStringList present = {"css/style.css", "css/jquery-ui.css", "js/jquery.js", "js/jquery-ui.js"};
        for (const QString &file : present)
            writeAll(program.filePath("Data/" + file), file.toUtf8() + " body");
        const QString chosen = out->filePath("catalog");

        CatalogExport job(window.get(), chosen, program.path());
        QVERIFY(job.run(3));
        const QString folder = out->filePath(Stamp);
        QCOMPARE(job.exportFolder(), folder);
        for (const QString &file : present)
            QCOMPARE(readAll(folder + "/" + file), file.toUtf8() + " body");
        QVERIFY(!QFile::exists(folder + "/js/my-js.js"));
        QVERIFY(pageLines(readAll(job.pagePath())).contains("<script src=\"js/my-js.js\"></script>"));
    }

    // Opens an exported catalogue the way a user would and asks the browser
    // whether the accordion was built and the pictures loaded.
    void theBrowserShowsAnAccordionWithPictures()
    {
        const QString chromium = QStandardPaths::findExecutable("chromium");
        REQUIRE_PACKAGE(!chromium.isEmpty(), "chromium is not installed");
        db->exec("UPDATE projects SET screenshots = ? WHERE project_id = 1", {bitmap(Qt::darkCyan)});
        db->exec("UPDATE projects SET screenshots = ? WHERE project_id = 4", {bitmap(Qt::darkYellow)});
        open();
        QTemporaryDir program;
        const QString data = QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../resources/Data";
        for (const QString &file : CatalogExport::supportFiles())
            writeAll(program.filePath("Data/" + file), readAll(data + "/" + file));
        CatalogExport job(window.get(), out->filePath("catalog"), program.path());
        QVERIFY(job.run(3));

        // A copy of the page reports what the browser made of it in the body's attributes,
        // once the pictures are in and the page's own ready handler has run.
        QByteArray page = readAll(job.pagePath());
        page.replace("</body></html>",
                     "<script>window.addEventListener('load', function () { $(function () {"
                     " var imgs = $('img.projectImg').filter(function () { return this.naturalWidth > 0; });"
                     " var acc = $('#accordion');"
                     " document.body.setAttribute('data-check', [acc.hasClass('ui-accordion'),"
                     " acc.children('h3').length, acc.children('h3').eq(0).attr('aria-expanded'),"
                     " acc.children('div').eq(0).is(':visible'), acc.children('div').eq(1).is(':visible'),"
                     " imgs.length].join('/')); }); });</script></body></html>");
        const QString probe = job.exportFolder() + "/probe.html";
        writeAll(probe, page);

        QTemporaryDir profile;
        QProcess browser;
        browser.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                                 "--disable-component-update", "--disable-sync", "--no-first-run",
                                 "--user-data-dir=" + profile.path(), "--virtual-time-budget=5000",
                                 "--dump-dom", QUrl::fromLocalFile(probe).toString()});
        QVERIFY(browser.waitForFinished(90000));
        const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
        const QRegularExpression check(QStringLiteral("data-check=\"([^\"]*)\""));
        const auto m = check.match(dom);
        QVERIFY2(m.hasMatch(), qPrintable(QString::fromUtf8(browser.readAllStandardError()).right(2000)));
        // Accordion built, three sections, the first open and the second closed, both pictures shown.
        QCOMPARE(m.captured(1), QString("true/3/true/true/false/2"));
    }
};

QTEST_MAIN(TestOutputHtml)
#include "test_output_html.moc"
