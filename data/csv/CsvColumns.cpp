#include "data/csv/CsvColumns.h"

#include <QHash>

namespace CsvColumns {

namespace {

struct Known
{
    CsvField field;
    const char *title;   // as the window lists it
    const char *aliases; // further titles, '|' between them, compared as normalized
};

const Known Fields[] = {
    {CsvField::Skip, "(не импортировать)", "код проекта|id|номер|№|код"},
    {CsvField::Name, "Название проекта", "наименование|название|проект"},
    {CsvField::Category, "Категория", "категория проекта"},
    {CsvField::Year, "Год разработки", "год"},
    {CsvField::Ide, "Версия IDE", "ide|среда разработки"},
    {CsvField::Price, "Стоимость по умолчанию", "цена|стоимость"},
    {CsvField::Begin, "Начало разработки", "начало"},
    {CsvField::End, "Конец разработки", "конец|окончание"},
    {CsvField::Update, "Последнее обновление", "обновление"},
    {CsvField::Repository, "Путь в репозитории", "репозиторий|путь"},
    {CsvField::ExportProject, "Экспорт проекта", "доступность проекта для экспорта"},
    {CsvField::ExportDescription, "Экспорт описания", "выводить описание в экспортируемый html-каталог"},
    {CsvField::Description, "Описание", "описание проекта"},
    {CsvField::ProjectCode, "Код проекта", ""},
    {CsvField::SaleDate, "Дата продажи", "дата"},
    {CsvField::SaleSum, "Сумма, руб.", "сумма|сумма продажи"},
    // Earlier exports titled the sale's comment "Описание".
    {CsvField::SaleComment, "Краткий комментарий", "краткий комментарий к продаже|комментарий|описание"},
};

// Case, "ё", blanks and trailing colons, dots and commas don't tell titles apart.
QString normalized(const QString &title)
{
    QString t = title.simplified().toLower();
    t.replace(QChar(0x0451), QChar(0x0435));
    while (!t.isEmpty() && QStringLiteral(":.,").contains(t.back()))
        t.chop(1);
    t.remove(QLatin1Char(' '));
    t.remove(QLatin1Char(','));
    return t;
}

const Known &known(CsvField field)
{
    for (const Known &k : Fields)
        if (k.field == field)
            return k;
    return Fields[0];
}

// Every title and alias of the fields a kind fills; a later field's wins
// ("Код проекта" is a sale's project, and skipped in a list of projects).
const QHash<QString, CsvField> &titlesOf(CsvKind kind)
{
    static const auto build = [](CsvKind k) {
        QHash<QString, CsvField> byTitle;
        const QVector<CsvField> usable = fields(k);
        for (const Known &f : Fields) {
            if (!usable.contains(f.field))
                continue;
            QStringList names = QString::fromUtf8(f.aliases).split(QLatin1Char('|'), Qt::SkipEmptyParts);
            if (f.field != CsvField::Skip)
                names << QString::fromUtf8(f.title);
            for (const QString &n : names)
                byTitle.insert(normalized(n), f.field);
        }
        return byTitle;
    };
    static const QHash<QString, CsvField> projects = build(CsvKind::Projects);
    static const QHash<QString, CsvField> sales = build(CsvKind::Sales);
    return kind == CsvKind::Projects ? projects : sales;
}

} // namespace

QVector<CsvField> fields(CsvKind kind)
{
    if (kind == CsvKind::Sales)
        return {CsvField::Skip, CsvField::ProjectCode, CsvField::Name, CsvField::SaleDate, CsvField::SaleSum,
                CsvField::SaleComment};
    return {CsvField::Skip,  CsvField::Name,       CsvField::Category,      CsvField::Year,
            CsvField::Ide,   CsvField::Price,      CsvField::Begin,         CsvField::End,
            CsvField::Update, CsvField::Repository, CsvField::ExportProject, CsvField::ExportDescription,
            CsvField::Description};
}

QString title(CsvField field)
{
    return QString::fromUtf8(known(field).title);
}

CsvField guess(CsvKind kind, const QString &columnTitle)
{
    return titlesOf(kind).value(normalized(columnTitle), CsvField::Skip);
}

QVector<CsvField> guessAll(CsvKind kind, const QStringList &titles)
{
    QVector<CsvField> result;
    for (const QString &t : titles) {
        const CsvField f = guess(kind, t);
        result << (f != CsvField::Skip && result.contains(f) ? CsvField::Skip : f);
    }
    return result;
}

bool isKnownTitle(const QString &columnTitle)
{
    const QString key = normalized(columnTitle);
    return !key.isEmpty() && (titlesOf(CsvKind::Projects).contains(key) || titlesOf(CsvKind::Sales).contains(key));
}

int maxLength(CsvField field)
{
    switch (field) {
    case CsvField::Name:
        return 100;
    case CsvField::Category:
        return 50;
    case CsvField::Year:
        return 4;
    case CsvField::Ide:
        return 25;
    case CsvField::Repository:
    case CsvField::SaleComment:
        return 255;
    default:
        return 0;
    }
}

} // namespace CsvColumns
