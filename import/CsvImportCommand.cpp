#include "import/CsvImportCommand.h"

#include "app/Messages.h"
#include "app/Seams.h"
#include "data/module/UnitDM.h"
#include "import/CsvImportDialog.h"

#include <QDir>
#include <QFile>

namespace {

void importCsv(QWidget *parent, CsvKind kind, const QString &caption)
{
    if (!Dm->tblProject->canModify()) {
        showNotice(parent, QStringLiteral("Ошибка"), QStringLiteral("Нельзя модифицировать данные"));
        return;
    }
    const QString path = seams().openFileName(parent, caption, QString(),
                                              QStringLiteral("Файлы CSV (*.csv *.txt);;Все файлы (*)"));
    if (path.isEmpty())
        return;
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        showStandardError(parent, QStringLiteral("Не удалось прочитать файл \"%1\": %2")
                                      .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    CsvImportDialog dialog(kind, path, bytes, parent);
    seams().modal(&dialog);
}

} // namespace

void importProjectsCsv(QWidget *parent)
{
    importCsv(parent, CsvKind::Projects, QStringLiteral("Проекты из CSV"));
}

void importSalesCsv(QWidget *parent)
{
    importCsv(parent, CsvKind::Sales, QStringLiteral("Продажи из CSV"));
}
