#pragma once

#include "data/core/Money.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

class Dataset;

enum class FieldType {
    AutoInc,  // key assigned by the database; read-only
    Integer,
    Text,     // bounded by size()
    Memo,
    Money,    // stored as qint64 ten-thousandths
    DateTime, // stored as QDate, or QDateTime when there is a time of day
    Boolean,
    Blob,     // loaded on demand for table datasets
    Lookup    // computed from a reference dataset
};

// One column of a dataset. Reads and writes the dataset's current row (the
// pending row while inserting or editing). Values are QVariants of the
// storage types above; a null QVariant is an empty value.
class Field
{
public:
    Field(Dataset *owner, int index, const QString &name, FieldType type, int size = 0);

    Dataset *dataset() const { return m_owner; }
    int index() const { return m_index; }
    QString name() const { return m_name; }
    // The name the user knows the field by, used in messages about its value.
    QString displayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    void setDisplayLabel(const QString &label) { m_label = label; }
    FieldType type() const { return m_type; }
    int size() const { return m_size; }
    bool isReadOnly() const { return m_type == FieldType::AutoInc || m_type == FieldType::Lookup; }
    bool isNumeric() const;

    // Date fields carry an edit mask: two digits, dot, two digits, dot, four digits.
    QString editMask() const;
    // Width in characters a grid column takes when no width is given.
    int displayWidth() const;

    QVariant value() const;
    bool isNull() const;
    int asInteger() const;              // 0 when empty
    QString asString() const;           // display text: dates dd.MM.yyyy, money plain decimal
    Money asMoney() const;              // 0 when empty
    QDateTime asDateTime() const;       // invalid when empty
    QDate asDate() const;
    bool asBoolean() const;             // false when empty
    QByteArray asBytes() const;

    // Writers put the dataset into nothing: it must be in insert or edit state.
    void setValue(const QVariant &value);
    void clear();
    // Text is converted to the field's type: "dd.mm.yyyy" (mask blanks allowed
    // when empty) for dates, money with '.' or ','; a text too long for a Text
    // field is cut to size(). Throws DataError(Conversion) for text that does
    // not convert, leaving the value unchanged.
    void setAsString(const QString &text);
    void setAsInteger(int v) { setValue(v); }
    void setAsMoney(Money v) { setValue(QVariant::fromValue<qlonglong>(v.units())); }
    void setAsBoolean(bool v) { setValue(v); }
    void setAsBytes(const QByteArray &v) { setValue(v); }
    void setAsDateTime(const QDateTime &v);

    // Display text of an arbitrary stored value of this field's type.
    QString displayText(const QVariant &v) const;
    // Converts user text to a stored value; throws DataError(Conversion).
    QVariant fromText(const QString &text) const;

    // Lookup definition: this field shows resultField of the row of lookupDataset
    // whose lookupKeyField equals keyField of this dataset; cut to size().
    void setLookup(const QString &keyField, Dataset *lookupDataset,
                   const QString &lookupKeyField, const QString &resultField);
    QString lookupKeyField() const { return m_keyField; }
    QVariant lookupValue(const QVariant &key) const;
    // The same name whole, for a file that is read back (a CSV export).
    QVariant wholeLookupValue(const QVariant &key) const;

private:
    Dataset *m_owner;
    int m_index;
    QString m_name;
    QString m_label;
    FieldType m_type;
    int m_size;
    QString m_keyField;
    Dataset *m_lookupDataset = nullptr;
    QString m_lookupKey;
    QString m_lookupResult;
};
