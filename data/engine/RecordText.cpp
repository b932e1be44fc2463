#include "data/engine/RecordText.h"

RecordText::RecordText(QStringView record)
{
    if (record.startsWith(u'(') && record.endsWith(u')'))
        m_rest = record.mid(1, record.size() - 2);
    else
        m_rest = record;
}

std::optional<QStringView> RecordText::next()
{
    if (m_rest.isNull())
        return std::nullopt;
    if (!m_rest.startsWith(u'"')) {
        const qsizetype comma = m_rest.indexOf(u',');
        const QStringView field = m_rest.left(comma < 0 ? m_rest.size() : comma);
        m_rest = comma < 0 ? QStringView() : m_rest.mid(comma + 1);
        if (field.isEmpty())
            return std::nullopt;
        return field;
    }
    // Quoted: a quote or backslash inside is doubled (a backslash also
    // escapes the character after it).
    qsizetype i = 1;
    bool plain = true;
    const qsizetype n = m_rest.size();
    while (i < n) {
        const QChar c = m_rest[i];
        if (c == u'\\' || (c == u'"' && i + 1 < n && m_rest[i + 1] == u'"')) {
            plain = false;
            i += 2;
        } else if (c == u'"') {
            break;
        } else {
            ++i;
        }
    }
    QStringView field = m_rest.mid(1, i - 1);
    if (!plain) {
        m_unquoted.clear();
        for (qsizetype k = 0; k < field.size(); ++k) {
            if (field[k] == u'\\' || field[k] == u'"')
                ++k;
            if (k < field.size())
                m_unquoted += field[k];
        }
        field = m_unquoted;
    }
    m_rest = i + 1 < n ? m_rest.mid(i + 2) : QStringView();
    return field;
}
