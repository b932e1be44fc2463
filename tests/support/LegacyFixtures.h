#pragma once
// The legacy Access files of tests/data/jet and what the suites compare them
// with. A suite that includes this defines JET_FIXTURES, the folder's path.

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>

inline QString jetFixture(const QString &name)
{
    return QStringLiteral(JET_FIXTURES "/") + name;
}

inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file of a folder with its bytes' hash: "as it was" means this is equal.
inline QMap<QString, QByteArray> folderState(const QString &dir)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System))
        files.insert(name, QCryptographicHash::hash(bytesOf(QDir(dir).filePath(name)), QCryptographicHash::Sha256));
    return files;
}

// A text as the fixtures' .expected files write it.
inline QString expectedText(const QString &s)
{
    QString out = QStringLiteral("'");
    for (const QChar c : s) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        case '|': out += QLatin1String("\\|"); break;
        default: out += c;
        }
    }
    return out + QLatin1Char('\'');
}

inline QString sha256Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// Currency as the fixtures write it: the exact decimal with four places.
inline QString expectedMoney(qint64 units)
{
    const quint64 magnitude = units < 0 ? quint64(0) - quint64(units) : quint64(units);
    return QStringLiteral("%1%2.%3")
        .arg(units < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 10000)
        .arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
}

inline QString expectedMemo(const QString &s)
{
    const QByteArray utf8 = s.toUtf8();
    return QStringLiteral("memo(chars=%1,utf8=%2,sha256=%3)").arg(s.toUcs4().size()).arg(utf8.size()).arg(sha256Hex(utf8));
}

inline QString expectedOle(const QByteArray &bytes)
{
    return QStringLiteral("ole(len=%1,sha256=%2)").arg(bytes.size()).arg(sha256Hex(bytes));
}
