#include "data/dataset/Field.h"

#include "data/core/DataError.h"
#include "data/dataset/Dataset.h"
#include "data/dataset/ValueOrder.h"

#include <QLocale>
#include <cmath>
#include <QRegularExpression>
#include <limits>

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// "dd.mm.yyyy" as typed through the mask; blanks of the mask may remain.
QVariant dateFromText(const QString &text)
{
    QString t = text;
    t.remove(QLatin1Char('_'));
    t.remove(QLatin1Char(' '));
    const QString bare = t.trimmed();
    if (bare.isEmpty() || bare == QLatin1String("..") || bare == QLatin1String("//"))
        return {};
    QDate iso = QDate::fromString(bare.left(10), Qt::ISODate);
    if (iso.isValid() && bare.size() == 10)
        return iso;
    const QStringList parts = bare.split(QRegularExpression(QStringLiteral("[./-]")));
    if (parts.size() == 3) {
        bool okD = false, okM = false, okY = false;
        const int d = parts[0].trimmed().toInt(&okD);
        const int m = parts[1].trimmed().toInt(&okM);
        const int y = parts[2].trimmed().toInt(&okY);
        const QDate date(y, m, d);
        if (okD && okM && okY && parts[2].trimmed().size() == 4 && date.isValid())
            return date;
    }
    throw DataError(quoted(text) + QStringLiteral(" не является допустимой датой"),
                    DataError::Kind::Conversion);
}

} // namespace

Field::Field(Dataset *owner, int index, const QString &name, FieldType type, int size)
    : m_owner(owner), m_index(index), m_name(name), m_type(type), m_size(size)
{
}

bool Field::isNumeric() const
{
    return m_type == FieldType::AutoInc || m_type == FieldType::Integer
        || m_type == FieldType::Money || m_type == FieldType::Boolean;
}

QString Field::editMask() const
{
    return m_type == FieldType::DateTime ? QStringLiteral("!99/99/0000;1;_") : QString();
}

int Field::displayWidth() const
{
    switch (m_type) {
    case FieldType::Text:
    case FieldType::Lookup:
        return m_size > 0 ? m_size : 20;
    case FieldType::DateTime:
        return 10;
    case FieldType::Memo:
    case FieldType::Blob:
        return 10;
    default:
        return 10;
    }
}

QVariant Field::value() const { return m_owner->currentValue(this); }
bool Field::isNull() const
{
    const QVariant v = value();
    return !v.isValid() || v.isNull();
}
int Field::asInteger() const { return isNull() ? 0 : value().toInt(); }
QString Field::asString() const { return displayText(value()); }
Money Field::asMoney() const
{
    if (isNull())
        return {};
    const QVariant v = value();
    if (v.typeId() != QMetaType::Double)
        return Money::fromUnits(v.toLongLong());
    // A total beyond the money type is held as an approximate number.
    const double d = v.toDouble();
    return Money::fromUnits(d >= 9.2e18 ? std::numeric_limits<qint64>::max()
                                        : (d <= -9.2e18 ? std::numeric_limits<qint64>::min() : qint64(d)));
}
bool Field::asBoolean() const { return !isNull() && value().toBool(); }
QByteArray Field::asBytes() const { return isNull() ? QByteArray() : value().toByteArray(); }

QDateTime Field::asDateTime() const
{
    return isNull() ? QDateTime() : dateTimeOf(value());
}

QDate Field::asDate() const { return asDateTime().date(); }

void Field::setValue(const QVariant &value)
{
    QVariant v = value;
    if (v.isValid() && !v.isNull()) {
        switch (m_type) {
        case FieldType::Text:
        case FieldType::Memo: {
            QString s = v.toString();
            if (s.contains(QChar(0)))
                throw DataError(QStringLiteral("%1: текст содержит нулевой символ, его нельзя сохранить")
                                    .arg(displayLabel()),
                                DataError::Kind::Conversion);
            if (m_type == FieldType::Text && m_size > 0 && s.size() > m_size) {
                // The column keeps no more than its size; never half a character.
                s.truncate(s.at(m_size - 1).isHighSurrogate() ? m_size - 1 : m_size);
            }
            v = s.isEmpty() ? QVariant() : QVariant(s);
            break;
        }
        case FieldType::Integer:
        case FieldType::AutoInc:
            v = v.toInt();
            break;
        case FieldType::Money:
            v = QVariant::fromValue<qlonglong>(v.toLongLong());
            break;
        case FieldType::Boolean:
            v = v.toBool();
            break;
        case FieldType::DateTime:
            if (v.typeId() == QMetaType::QDateTime) {
                const QDateTime dt = v.toDateTime();
                if (!dt.isValid())
                    v = QVariant();
                else if (dt.time() == QTime(0, 0))
                    v = dt.date(); // dates without a time of day stay plain dates
            } else if (v.typeId() != QMetaType::QDate) {
                v = dateFromText(v.toString());
            } else if (!v.toDate().isValid()) {
                v = QVariant();
            }
            break;
        case FieldType::Blob:
            v = v.toByteArray().isEmpty() ? QVariant() : QVariant(v.toByteArray());
            break;
        case FieldType::Lookup:
            break;
        }
    } else {
        v = QVariant();
    }
    m_owner->setCurrentValue(this, v);
}

void Field::clear() { setValue(QVariant()); }

void Field::setAsString(const QString &text) { setValue(fromText(text)); }

void Field::setAsDateTime(const QDateTime &v) { setValue(v.isValid() ? QVariant(v) : QVariant()); }

QVariant Field::fromText(const QString &text) const
{
    switch (m_type) {
    case FieldType::DateTime:
        return dateFromText(text);
    case FieldType::Text:
    case FieldType::Memo:
    case FieldType::Lookup:
        return text.isEmpty() ? QVariant() : QVariant(text);
    default:
        break;
    }
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    switch (m_type) {
    case FieldType::Integer:
    case FieldType::AutoInc: {
        bool ok = false;
        const int n = t.toInt(&ok);
        if (!ok)
            throw DataError(quoted(text) + QStringLiteral(" не является допустимым целым числом"),
                            DataError::Kind::Conversion);
        return n;
    }
    case FieldType::Money: {
        const auto m = Money::parse(t);
        if (!m)
            throw DataError(quoted(text) + QStringLiteral(" не является допустимым числом"),
                            DataError::Kind::Conversion);
        if (m->units() > Money::MaxInputUnits || m->units() < -Money::MaxInputUnits)
            throw DataError(QStringLiteral("%1: сумма %2 слишком велика, допускается не более %3 руб.")
                                .arg(displayLabel(), t, Money::fromUnits(Money::MaxInputUnits).toDisplayString()),
                            DataError::Kind::Conversion);
        return QVariant::fromValue<qlonglong>(m->units());
    }
    case FieldType::Boolean: {
        const QString l = t.toLower();
        if (l == QLatin1String("1") || l == QLatin1String("true") || l == QStringLiteral("да"))
            return true;
        if (l == QLatin1String("0") || l == QLatin1String("false") || l == QStringLiteral("нет"))
            return false;
        throw DataError(quoted(text) + QStringLiteral(" не является допустимым логическим значением"),
                        DataError::Kind::Conversion);
    }
    case FieldType::Blob:
        return t.toUtf8();
    default:
        return t;
    }
}

QString Field::displayText(const QVariant &v) const
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (m_type) {
    case FieldType::Money:
        if (v.typeId() == QMetaType::Double) {
            // Beyond the money type: an approximate amount, in whole roubles.
            const double roubles = v.toDouble() / Money::Scale;
            const bool huge = std::abs(roubles) >= 1e18;
            return QStringLiteral("≈ ") + QLocale().toString(roubles, huge ? 'g' : 'f', huge ? 6 : 0);
        }
        return Money::fromUnits(v.toLongLong()).toDisplayString();
    case FieldType::DateTime:
        if (v.typeId() == QMetaType::QDate)
            return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
        return v.toDateTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("Да") : QStringLiteral("Нет");
    case FieldType::Blob:
        return {};
    default:
        return v.toString();
    }
}

void Field::setLookup(const QString &keyField, Dataset *lookupDataset,
                      const QString &lookupKeyField, const QString &resultField)
{
    m_keyField = keyField;
    m_lookupDataset = lookupDataset;
    m_lookupKey = lookupKeyField;
    m_lookupResult = resultField;
}

QVariant Field::lookupValue(const QVariant &key) const
{
    const QVariant whole = wholeLookupValue(key);
    return m_size > 0 && whole.isValid() ? QVariant(whole.toString().left(m_size)) : whole;
}

QVariant Field::wholeLookupValue(const QVariant &key) const
{
    if (!m_lookupDataset || !key.isValid() || key.isNull())
        return {};
    const Field *k = m_lookupDataset->findField(m_lookupKey);
    const Field *r = m_lookupDataset->findField(m_lookupResult);
    if (!k || !r)
        return {};
    const qlonglong wanted = key.toLongLong();
    const RowStore &rows = m_lookupDataset->m_rows;
    for (int i = 0; i < rows.size(); ++i) {
        const QVariant rowKey = rows.value(i, k->index());
        if (rowKey.isValid() && !rowKey.isNull() && rowKey.toLongLong() == wanted)
            return rows.value(i, r->index()).toString();
    }
    return {};
}
