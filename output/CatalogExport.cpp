#include "output/CatalogExport.h"

#include "app/Messages.h"
#include "data/core/Clock.h"
#include "data/module/UnitDM.h"
#include "output/HtmlCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

namespace {

const QString Caption = QStringLiteral("Сохранение");

} // namespace

// A write cut short leaves no error code, so the free space tells.
QString writeFailureReason(const QFileDevice &file)
{
    const QStorageInfo disk(QFileInfo(file.fileName()).absolutePath());
    if (file.error() == QFileDevice::ResourceError || (disk.isValid() && disk.bytesAvailable() < 65536))
        return QStringLiteral("на диске нет места");
    if (file.error() == QFileDevice::NoError)
        return QStringLiteral("запись прервана");
    return file.errorString();
}

namespace {

[[noreturn]] void writeFailed(const QString &path, const QString &reason)
{
    throw CatalogWriteError(QStringLiteral("Не удалось записать файл \"%1\": %2")
                                .arg(QDir::toNativeSeparators(path), reason));
}

// The page: written whole or not at all, replacing a file of that name.
void writePage(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // commit() alone would not notice a failed last flush.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        writeFailed(path, writeFailureReason(file));
}

// Pictures and support files go into the new folder, where nothing can be in
// their way; a plain write spares thousands of syncs to disk, and a failed one
// is removed.
void writeNewFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        writeFailed(path, writeFailureReason(file));
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = writeFailureReason(file);
        file.remove();
        writeFailed(path, reason);
    }
}

HtmlCatalog::Project projectAt(const TDm &dm, int row, const QString &pictureFile)
{
    const Dataset *ds = dm.tblProject;
    HtmlCatalog::Project p;
    p.id = ds->valueAt(row, dm.tblProjectproject_id).toString();
    p.name = ds->displayTextAt(row, dm.tblProjecttovName);
    p.ide = ds->displayTextAt(row, dm.tblProjectstrIde);
    p.year = ds->displayTextAt(row, dm.tblProjectstrYear);
    p.updated = ds->displayTextAt(row, dm.tblProjectdatetime_update);
    p.price = ds->displayTextAt(row, dm.tblProjectprice);
    p.pictureFile = pictureFile;
    p.withDescription = ds->valueAt(row, dm.tblProjectisExportsDesc).toBool();
    if (p.withDescription)
        p.description = ds->valueAt(row, dm.tblProjectdescription).toString();
    return p;
}

} // namespace

CatalogExport::CatalogExport(QWidget *parent, const QString &chosenFile, const QString &programFolder)
    : m_parent(parent), m_programFolder(programFolder), m_moment(Clock::now())
{
    const QFileInfo chosen(chosenFile);
    m_pageName = chosen.fileName();
    const QString stamp = m_moment.toString(QStringLiteral("dd-MM-yyyy-HH-mm-ss"));
    m_folder = QDir(chosen.absolutePath()).filePath(stamp);
}

QString CatalogExport::pagePath() const
{
    // ".html" is always appended, as the page has always been named.
    return QDir(m_folder).filePath(m_pageName + QStringLiteral(".html"));
}

const QStringList &CatalogExport::supportFiles()
{
    static const QStringList files = {
        QStringLiteral("css/style.css"), QStringLiteral("css/jquery-ui.css"),
        QStringLiteral("js/jquery.js"), QStringLiteral("js/jquery-ui.js"), QStringLiteral("js/my-js.js"),
    };
    return files;
}

bool CatalogExport::run(int count, const StepFn &step)
{
    if (!createFolders())
        return false;
    bool written = false;
    try {
        copySupportFiles();
        QStringList lines;
        if (buildPage(count, step, lines)) {
            writePage(pagePath(), HtmlCatalog::encode(lines));
            written = true;
        }
    } catch (...) {
        // A half export is no export: the folder was made by this run alone.
        QDir(m_folder).removeRecursively();
        throw;
    }
    if (!written) // cancelled
        QDir(m_folder).removeRecursively();
    return written;
}

bool CatalogExport::createFolders() const
{
    const QDir root(m_folder);
    const struct {
        QString path;
        QString failure;
    } folders[] = {
        {m_folder, QStringLiteral("Ошибка создания директории для хранения отчета")},
        {root.filePath(QStringLiteral("css")), QStringLiteral("Ошибка создания директории для хранения css")},
        {root.filePath(QStringLiteral("images")), QStringLiteral("Ошибка создания директории для хранения images")},
        {root.filePath(QStringLiteral("js")), QStringLiteral("Ошибка создания директории для хранения js")},
    };
    for (const auto &folder : folders) {
        // mkdir refuses a folder that exists, so an earlier export is never written into.
        if (!QDir().mkdir(folder.path)) {
            showNotice(m_parent, Caption, folder.failure);
            return false;
        }
    }
    return true;
}

void CatalogExport::copySupportFiles() const
{
    // A missing support file is left out; the page still refers to it. One
    // that is there but can't be copied fails the export.
    const QDir data(QDir(m_programFolder).filePath(QStringLiteral("Data")));
    const QDir target(m_folder);
    for (const QString &file : supportFiles()) {
        QFile source(data.filePath(file));
        if (!source.exists())
            continue;
        // Read and written here rather than by QFile::copy, whose error
        // would not tell a full disk from other failures.
        QByteArray bytes;
        if (source.open(QIODevice::ReadOnly))
            bytes = source.readAll();
        if (!source.isOpen() || source.error() != QFileDevice::NoError)
            throw CatalogWriteError(QStringLiteral("Не удалось прочитать файл \"%1\": %2")
                                        .arg(QDir::toNativeSeparators(source.fileName()), source.errorString()));
        writeNewFile(target.filePath(file), bytes);
    }
}

bool CatalogExport::buildPage(int count, const StepFn &step, QStringList &lines) const
{
    const TDm &dm = *Dm;
    lines = HtmlCatalog::head(dm.tblCategorycatName->asString(), count, m_moment);
    const QDir images(QDir(m_folder).filePath(QStringLiteral("images")));
    const Dataset *ds = dm.tblProject;
    const int rows = ds->recordCount();
    for (int row = 0; row < rows; ++row) {
        if (step && !step(row, rows))
            return false;
        if (!ds->valueAt(row, dm.tblProjectisExports).toBool())
            continue;
        QString pictureFile;
        const QByteArray picture = ds->valueAt(row, dm.tblProjectscreenshots).toByteArray();
        if (!picture.isEmpty()) {
            // Written as its section is built, so every picture is on disk before the page.
            pictureFile = HtmlCatalog::pictureFileName(ds->valueAt(row, dm.tblProjectproject_id).toString());
            writeNewFile(images.filePath(pictureFile), picture);
        }
        HtmlCatalog::appendSection(lines, projectAt(dm, row, pictureFile));
    }
    lines += HtmlCatalog::tail();
    return true;
}
