#include "data/legacy/LegacyReplacement.h"

#include "data/core/DataError.h"
#include "data/engine/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

namespace {

// path + suffix, or with a number after it when that is taken.
QString freeName(const QString &path, const QString &suffix)
{
    QString name = path + suffix;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = path + suffix + QStringLiteral("-%1").arg(n);
    return name;
}

DataError failed(const QString &what, const QString &path)
{
    return DataError(QStringLiteral("%1 «%2». Папка осталась как была.").arg(what, QDir::toNativeSeparators(path)));
}

} // namespace

LegacyReplacement::LegacyReplacement(const QString &path)
    : m_path(QFileInfo(path).absoluteFilePath()),
      m_keptAs(freeName(m_path, QStringLiteral(".access"))),
      m_reportPath(freeName(m_path, QStringLiteral(".repairs.txt"))),
      m_conversion(path)
{
}

bool LegacyReplacement::convert(const LegacyConversion::Progress &progress)
{
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/projectsales-conversion-XXXXXX"));
    if (!work.isValid())
        throw DataError(QStringLiteral("Не удалось создать временную папку для переноса: %1").arg(work.errorString()));
    const QString made = work.filePath(QStringLiteral("db.mdb"));
    Database::create(made);
    {
        Database target(QStringLiteral("legacy"));
        target.open(made);
        if (!m_conversion.write(target, progress))
            return false;
    }
    m_conversion.closeSource();
    putInPlace(made, work);
    return true;
}

void LegacyReplacement::putInPlace(const QString &made, QTemporaryDir &work)
{
    // First beside the original (a copy when the temporary folder is on
    // another disk), then two renames in the folder.
    const QString staged = freeName(m_path, QStringLiteral(".new"));
    if (!QFile::rename(made, staged)) {
        QFile::remove(staged);
        throw failed(QStringLiteral("Не удалось записать новый каталог в папку"), staged);
    }
    work.remove(); // nothing of the conversion is left outside the folder from here on
    if (!QFile::rename(m_path, m_keptAs)) {
        QFile::remove(staged);
        throw failed(QStringLiteral("Не удалось отложить старую базу в"), m_keptAs);
    }
    if (!QFile::rename(staged, m_path)) {
        QFile::rename(m_keptAs, m_path);
        QFile::remove(staged);
        throw failed(QStringLiteral("Не удалось поставить новый каталог на место"), m_path);
    }
    QFile::setPermissions(m_path, QFile::permissions(m_keptAs));
    if (m_conversion.hasReport()) {
        QSaveFile report(m_reportPath);
        if (report.open(QIODevice::WriteOnly | QIODevice::Text)) {
            report.write(m_conversion.reportText().toUtf8());
            report.commit();
        }
    }
}
