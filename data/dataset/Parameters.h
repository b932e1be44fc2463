#pragma once

#include <QHash>
#include <QString>
#include <QVariant>

// Named parameters of a statement (":name" in its text).
class Parameters
{
public:
    void set(const QString &name, const QVariant &value) { m_values[name] = value; }
    QVariant value(const QString &name) const { return m_values.value(name); }
    const QHash<QString, QVariant> &all() const { return m_values; }

private:
    QHash<QString, QVariant> m_values;
};
