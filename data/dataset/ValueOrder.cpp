#include "data/dataset/ValueOrder.h"

#include <QLocale>

bool isEmptyValue(const QVariant &v) { return !v.isValid() || v.isNull(); }

QDateTime dateTimeOf(const QVariant &v)
{
    return v.typeId() == QMetaType::QDate ? v.toDate().startOfDay() : v.toDateTime();
}

bool ordersByText(FieldType type)
{
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
    case FieldType::Money:
    case FieldType::Boolean:
    case FieldType::DateTime:
        return false;
    default:
        return true;
    }
}

qint64 numberKey(const QVariant &v, FieldType type)
{
    if (isEmptyValue(v))
        return EmptyKey;
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        // Keys as the snapshot holds them: no conversion.
        return v.typeId() == QMetaType::Int ? v.toInt() : v.toLongLong();
    case FieldType::Boolean:
        return v.toBool() ? -1 : 0;
    case FieldType::DateTime:
        return dateTimeOf(v).toMSecsSinceEpoch();
    default:
        return v.toLongLong();
    }
}

const QCollator &textCollator()
{
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::Russian, QLocale::Russia));
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

int compareValues(const QVariant &a, const QVariant &b, FieldType type)
{
    const bool na = isEmptyValue(a), nb = isEmptyValue(b);
    if (na || nb)
        return na == nb ? 0 : (na ? -1 : 1);
    if (ordersByText(type))
        return QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
    const qint64 x = numberKey(a, type), y = numberKey(b, type);
    return x < y ? -1 : (x > y ? 1 : 0);
}
