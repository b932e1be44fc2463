// Reading legacy Access (Jet 4) files: every value exactly as stored, and
// each kind of file that can't be read told apart by its header.

#include "data/core/DataError.h"
#include "data/engine/JetFile.h"
#include "data/engine/JetHeader.h"
#include "support/LegacyFixtures.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

namespace {

// A value in the form of the fixtures' .expected files.
QString canonical(JetType type, const QVariant &v)
{
    if (!v.isValid())
        return QStringLiteral("\\N");
    switch (type) {
    case JetType::Text:
        // "" must reach the database as an empty text, not as NULL.
        return v.toString().isNull() ? QStringLiteral("<null string>") : expectedText(v.toString());
    case JetType::Memo:
        return expectedMemo(v.toString());
    case JetType::Ole:
        return expectedOle(v.toByteArray());
    case JetType::Currency:
        return expectedMoney(v.toLongLong());
    case JetType::DateTime:
        return v.toString().size() == 10 ? v.toString() + QStringLiteral(" 00:00:00") : v.toString();
    default:
        return v.toString();
    }
}

// Every row of the table in the fixtures' form, in the order of the key
// (the first column) where there is one.
QStringList dump(const JetFile &file, const QString &table)
{
    const QVector<JetColumn> columns = file.columns(table);
    JetRows rows(file, table);
    QVector<QPair<qint64, QString>> lines;
    while (rows.next()) {
        QString line = table;
        for (int i = 0; i < columns.size(); ++i)
            line += QLatin1Char('|') + columns[i].name + QLatin1Char('=') + canonical(columns[i].type, rows.value(i));
        lines.push_back({rows.value(0).toLongLong(), line});
    }
    std::stable_sort(lines.begin(), lines.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList out;
    for (const auto &l : lines)
        out << l.second;
    return out;
}

QString fromCodePoints(std::initializer_list<char32_t> points)
{
    return QString::fromUcs4(points.begin(), qsizetype(points.size()));
}

} // namespace

class TestDataJet : public QObject
{
    Q_OBJECT

private slots:
    void readsEveryValueExactly_data();
    void readsEveryValueExactly();
    void readsAccessMadeFiles();
    void toldApartByHeader_data();
    void toldApartByHeader();
    void missingPagesAreDamageNotFewerRows();
};

void TestDataJet::readsEveryValueExactly_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("catalogue") << QStringLiteral("legacy");
    QTest::newRow("rule breakers") << QStringLiteral("legacy-edge");
    // Rows that grew past their page, one of them deleted since, and a
    // column added after the first rows.
    QTest::newRow("edited") << QStringLiteral("legacy-edited");
}

void TestDataJet::readsEveryValueExactly()
{
    QFETCH(QString, file);
    const QStringList expected = QString::fromUtf8(bytesOf(jetFixture(file + QStringLiteral(".expected"))))
                                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY(!expected.isEmpty());
    const JetFile jet(jetFixture(file + QStringLiteral(".mdb")));
    QStringList tables;
    for (const QString &line : expected)
        if (const QString t = line.section(QLatin1Char('|'), 0, 0); !tables.contains(t))
            tables << t;
    QStringList read;
    for (const QString &t : tables)
        read << dump(jet, t);
    for (int i = 0; i < qMax(read.size(), expected.size()); ++i)
        QCOMPARE(read.value(i), expected.value(i));
    for (const QString &t : jet.tables()) // nothing left unread
        QVERIFY2(tables.contains(t) || jet.rowCount(t) == 0, qPrintable(t));
}

void TestDataJet::readsAccessMadeFiles()
{
    const JetFile unicode(jetFixture(QStringLiteral("testUnicodeCompV2003.mdb")));
    QString everyLatin1;
    for (char32_t c = 1; c <= 0xff; ++c)
        everyLatin1 += fromCodePoints({c});
    const QStringList texts{
        QStringLiteral("only ascii chars"),
        QStringLiteral("ääkkösiä"),
        QStringLiteral("Мир"),
        fromCodePoints({0x03F0, 0x03B1, 0x1F76, 0x0020, 0x03C4, 0x1F79, 0x03C4, 0x0027, 0x0020, 0x1F10, 0x03B3,
                        0x1F7C, 0x0020, 0x039A, 0x1F7B, 0x03F0, 0x03BB, 0x03C9, 0x03C0, 0x03B1}),
        QStringLiteral("漢字仮名交じり文"),
        fromCodePoints({0x33, 0x4C, 0x39, 0x1D, 0x35, 0x32, 0x02, 0x5F, 0x41, 0x42, 0x28, 0xA5, 0x05, 0x21, 0x21, 0x56}),
        QStringLiteral("ümlaut"),
        everyLatin1};
    QMap<qint64, QString> byKey;
    for (JetRows rows(unicode, QStringLiteral("Table"), {QStringLiteral("ID"), QStringLiteral("Unicode")});
         rows.next();)
        byKey.insert(rows.value(0).toLongLong(), rows.value(1).toString());
    QCOMPARE(byKey.values(), texts);

    const JetFile project(jetFixture(QStringLiteral("test2V2003.mdb")));
    JetRows rows(project, QStringLiteral("MSP_PROJECTS"),
                 {QStringLiteral("PROJ_PROP_TITLE"), QStringLiteral("PROJ_PROP_COMPANY"),
                  QStringLiteral("PROJ_INFO_CAL_NAME"), QStringLiteral("RESERVED_BINARY_DATA")});
    QVERIFY(rows.next());
    QCOMPARE(rows.value(0).toString(), QStringLiteral("Project1"));
    QCOMPARE(rows.value(1).toString(), QStringLiteral("T"));
    QCOMPARE(rows.value(2).toString(), QStringLiteral("Standard"));
    const QByteArray ole = rows.value(3).toByteArray();
    QCOMPARE(ole.size(), 22970);
    QCOMPARE(ole, bytesOf(jetFixture(QStringLiteral("test2BinData.dat"))));
}

void TestDataJet::toldApartByHeader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("says");

    const QByteArray jet4 = bytesOf(jetFixture(QStringLiteral("legacy.mdb")));
    auto patched = [&](int offset, const QByteArray &with) {
        QByteArray b = jet4;
        b.replace(offset, with.size(), with);
        return b;
    };
    auto flipped = [&](int offset) {
        QByteArray b = jet4;
        b[offset] = char(b[offset] ^ 0x5a);
        return b;
    };
    auto row = [](const char *name, const QByteArray &b, StoredFileKind k, const char *says) {
        QTest::newRow(name) << b << int(k) << QString::fromUtf8(says);
    };
    row("Jackcess-written Jet 4", jet4, StoredFileKind::Jet4, "");
    row("Access-made Jet 4", bytesOf(jetFixture(QStringLiteral("test2V2003.mdb"))), StoredFileKind::Jet4, "");
    row("Access-made Jet 4, other", bytesOf(jetFixture(QStringLiteral("testUnicodeCompV2003.mdb"))), StoredFileKind::Jet4, "");
    row("Access 97", patched(0x14, QByteArray(1, '\0')), StoredFileKind::Jet3, "Access 97");
    row("Access 2007", patched(4, QByteArrayLiteral("Standard ACE DB")) .replace(0x14, 1, "\x02"),
        StoredFileKind::Accdb, "Access 2007");
    row("encrypted", flipped(0x3e), StoredFileKind::Encrypted, "зашифрованная");
    row("password", flipped(0x42 + 7), StoredFileKind::Password, "паролем");
    row("truncated", jet4.left(100000), StoredFileKind::Truncated, "повреждённая");
    row("empty", QByteArray(), StoredFileKind::Empty, "пуст");
    row("text", QByteArrayLiteral("category;catName\n1;Игры\n"), StoredFileKind::NotADatabase,
        "не каталог программы и не база данных Access");
    row("catalogue", QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\0'), StoredFileKind::Catalogue, "");
}

void TestDataJet::toldApartByHeader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, kind);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db.mdb"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    QCOMPARE(int(storedFileKind(path)), kind);
    if (says.isEmpty())
        return;
    try {
        JetFile jet(path);
        QFAIL("a file that is no readable Jet 4 file was opened");
    } catch (const DataError &e) {
        QVERIFY2(e.text().contains(says), qPrintable(e.text()));
        QVERIFY2(e.text().contains(path), qPrintable(e.text()));
    }
    QFile back(path);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll(), bytes);
}

void TestDataJet::missingPagesAreDamageNotFewerRows()
{
    // Cut at a page boundary: the header is whole, the sales' page is gone.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db.mdb"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytesOf(jetFixture(QStringLiteral("legacy.mdb"))).left(70 * 4096));
    f.close();
    QCOMPARE(storedFileKind(path), StoredFileKind::Jet4);
    try {
        const JetFile jet(path);
        for (const QString &t : jet.tables())
            for (JetRows rows(jet, t); rows.next();) {
            }
        QFAIL("a file with missing pages read as if whole");
    } catch (const DataError &e) {
        QCOMPARE(e.kind(), DataError::Kind::Corrupt);
        QVERIFY2(e.text().contains(QStringLiteral("повреждённая")), qPrintable(e.text()));
    }
}

QTEST_GUILESS_MAIN(TestDataJet)
#include "test_data_jet.moc"
