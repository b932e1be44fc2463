#include "program/LegacyStart.h"

#include "app/Messages.h"
#include "app/Progress.h"
#include "app/Seams.h"
#include "data/core/DataError.h"
#include "data/engine/Engine.h"
#include "data/legacy/LegacyReplacement.h"
#include "data/engine/JetHeader.h"
#include "import/LegacyQuestion.h"
#include "import/LegacyRepairsDialog.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>

namespace {

LegacyStart ended(int exitCode)
{
    LegacyStart start;
    start.outcome = LegacyStart::Outcome::Ended;
    start.exitCode = exitCode;
    return start;
}

LegacyStart failed(const QString &text)
{
    showStandardError(nullptr, text);
    return ended(1);
}

// The check, the list of refused rows when there are any, the writing:
// each with a progress window of its own, so none stays over the list.
LegacyStart convert(LegacyReplacement &replacement, const QString &path)
{
    const auto run = [&](const std::function<bool(const LegacyConversion::Progress &)> &job) {
        const auto progress = startProgress(nullptr, legacyProgressText(path), {}, Qt::ApplicationModal);
        return job([&](qint64 done, qint64 total) { return progress->step(done, total); });
    };
    if (!run([&](const auto &step) { return replacement.conversion().check(step); }))
        return ended(0);
    if (!replacement.conversion().problems().isEmpty()) {
        LegacyRepairsDialog dialog(path, replacement.conversion().problems());
        if (seams().modal(&dialog) != QDialog::Accepted)
            return ended(0);
    }
    if (!run([&](const auto &step) { return replacement.convert(step); }))
        return ended(0);
    LegacyStart start;
    start.outcome = LegacyStart::Outcome::Converted;
    start.keptAs = replacement.keptAs();
    start.report = replacement.conversion().hasReport() ? replacement.reportPath() : QString();
    return start;
}

} // namespace

LegacyStart convertLegacyCatalogue(const QString &path)
{
    if (Engine::isServerUrl(path) || !QFileInfo(path).isFile())
        return {};
    const StoredFileKind kind = storedFileKind(path);
    if (!isAccessKind(kind))
        return {};
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (kind != StoredFileKind::Jet4)
        return failed(refusalText(kind, absolute));
    if (!QFileInfo(QFileInfo(absolute).absolutePath()).isWritable())
        return failed(QStringLiteral("Файл «%1» — база данных Access, её нужно перенести в формат программы, но "
                                     "папка недоступна для записи. Перенесите файл в папку, куда можно писать, "
                                     "и запустите программу снова.").arg(QDir::toNativeSeparators(absolute)));
    try {
        LegacyReplacement replacement(absolute);
        if (!askLegacyConversion(nullptr, absolute, replacement.keptAs()))
            return ended(0);
        return convert(replacement, absolute);
    } catch (const DataError &e) {
        return failed(e.text());
    }
}
