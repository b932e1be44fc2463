#include "data/dataset/SqlValues.h"

#include <cmath>

namespace {

// Money is an integer count, but a file may hold anything in the column (a
// total past 64 bits, a floating value, text): an exact count where there is
// one, an approximate number where it is out of range, nothing for garbage.
QVariant moneyFromSql(const QVariant &stored)
{
    if (stored.typeId() == QMetaType::LongLong || stored.typeId() == QMetaType::Int)
        return QVariant::fromValue<qlonglong>(stored.toLongLong());
    bool ok = false;
    const qlonglong exact = stored.toString().toLongLong(&ok);
    if (ok)
        return QVariant::fromValue<qlonglong>(exact);
    const double d = stored.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return {};
    if (std::abs(d) < 9.2e18 && d == std::trunc(d))
        return QVariant::fromValue<qlonglong>(qlonglong(d));
    return d;
}

} // namespace

namespace SqlValues {

QVariant fromSql(FieldType type, const QVariant &stored)
{
    if (!stored.isValid() || stored.isNull())
        return {};
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return stored.toInt();
    case FieldType::Money:
        return moneyFromSql(stored);
    case FieldType::Boolean:
        return stored.toLongLong() != 0;
    case FieldType::DateTime: {
        const QString text = stored.toString();
        if (text.size() <= 10) {
            const QDate d = QDate::fromString(text, Qt::ISODate);
            return d.isValid() ? QVariant(d) : QVariant();
        }
        QDateTime dt = QDateTime::fromString(text, Qt::ISODate);
        if (!dt.isValid())
            dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        if (!dt.isValid())
            return {};
        return dt.time() == QTime(0, 0) ? QVariant(dt.date()) : QVariant(dt);
    }
    case FieldType::Blob: {
        const QByteArray bytes = stored.toByteArray();
        return bytes.isEmpty() ? QVariant() : QVariant(bytes);
    }
    default:
        return stored.toString();
    }
}

QVariant toSql(FieldType type, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (type) {
    case FieldType::Money:
        return value.toLongLong();
    case FieldType::Boolean:
        return value.toBool() ? 1 : 0;
    case FieldType::DateTime:
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().toString(Qt::ISODate);
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case FieldType::Blob:
        return value.toByteArray();
    case FieldType::AutoInc:
    case FieldType::Integer:
        return value.toInt();
    default:
        return value.toString();
    }
}

FieldType typeOfColumn(const QVariant &sample, QMetaType declared)
{
    const int id = sample.isValid() && !sample.isNull() ? sample.typeId() : declared.id();
    switch (id) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return FieldType::Integer;
    case QMetaType::QByteArray:
        return FieldType::Blob;
    default:
        return FieldType::Text;
    }
}

} // namespace SqlValues
