#include "data/legacy/LegacyPicture.h"

#include <QByteArray>
#include <QtEndian>
#include <optional>

namespace {

// Reads an OLE object's fields in order, refusing to run past its end.
class Reader
{
public:
    explicit Reader(const QByteArray &bytes, qsizetype at = 0) : m_bytes(bytes), m_at(at) {}

    bool ok() const { return m_ok; }
    qsizetype at() const { return m_at; }
    quint32 u16() { return take(2) ? qFromLittleEndian<quint16>(m_bytes.constData() + m_at - 2) : 0; }
    quint32 u32() { return take(4) ? qFromLittleEndian<quint32>(m_bytes.constData() + m_at - 4) : 0; }
    QByteArray bytes(quint32 n) { return take(n) ? m_bytes.mid(m_at - n, n) : QByteArray(); }
    QByteArray counted() { return bytes(u32()); }
    QByteArray zeroEnded()
    {
        const qsizetype end = m_bytes.indexOf('\0', m_at);
        if (end < 0) {
            m_ok = false;
            return QByteArray();
        }
        const QByteArray s = m_bytes.mid(m_at, end - m_at);
        m_at = end + 1;
        return s;
    }

private:
    bool take(qint64 n)
    {
        m_ok = m_ok && n >= 0 && m_at + n <= m_bytes.size();
        if (m_ok)
            m_at += n;
        return m_ok;
    }

    const QByteArray &m_bytes;
    qsizetype m_at;
    bool m_ok = true;
};

struct OleObject {
    QByteArray className;
    QByteArray data; // the embedded object's own bytes
};

// Access's OLE field: its own header (signature 0x1C15, the class name),
// then an OLE 1.0 object whose native data is the embedded object.
std::optional<OleObject> oleObject(const QByteArray &bytes)
{
    Reader header(bytes);
    if (header.u16() != 0x1c15)
        return std::nullopt;
    const quint32 headerSize = header.u16();
    Reader ole(bytes, headerSize);
    ole.u32(); // OLE version
    const quint32 format = ole.u32();
    OleObject object{ole.counted(), {}};
    object.className.chop(object.className.endsWith('\0') ? 1 : 0);
    ole.counted(); // topic
    ole.counted(); // item
    object.data = ole.counted();
    if (!ole.ok() || format != 2) // 2: embedded
        return object.className.isEmpty() ? std::nullopt : std::optional<OleObject>(OleObject{object.className, {}});
    return object;
}

struct PackagedFile {
    QByteArray name;
    QByteArray bytes;
};

// A "Package" holds one file: its name, where it came from, and its bytes.
std::optional<PackagedFile> packagedFile(const QByteArray &package)
{
    Reader r(package);
    r.u16();
    PackagedFile file;
    file.name = r.zeroEnded();
    r.zeroEnded(); // the path it was packaged from
    r.u16();
    const quint32 type = r.u16();
    r.counted(); // a temporary path
    file.bytes = r.counted();
    if (!r.ok() || type != 3) // 3: an embedded file
        return std::nullopt;
    return file;
}

bool isBmp(const QByteArray &bytes)
{
    return bytes.startsWith("BM");
}

QString sizeText(qsizetype n)
{
    return QStringLiteral("%1 байт").arg(n);
}

} // namespace

LegacyPicture legacyPicture(const QVariant &ole)
{
    if (!ole.isValid())
        return {QVariant(), {}};
    const QByteArray bytes = ole.toByteArray();
    if (bytes.isEmpty() || isBmp(bytes))
        return {bytes, {}};
    const std::optional<OleObject> object = oleObject(bytes);
    if (!object)
        return {QVariant(), QStringLiteral("снимок экрана не перенесён: это не рисунок BMP и не объект OLE (%1)")
                                .arg(sizeText(bytes.size()))};
    const QString className = QString::fromLatin1(object->className);
    if (object->className == "Package") {
        const std::optional<PackagedFile> file = packagedFile(object->data);
        const QString name = file ? QString::fromLatin1(file->name) : QString();
        if (file && isBmp(file->bytes))
            return {file->bytes, QStringLiteral("снимок экрана извлечён из объекта OLE «Package» (файл «%1»)").arg(name)};
        if (file)
            return {QVariant(), QStringLiteral("снимок экрана не перенесён: в объекте OLE «Package» не рисунок BMP, "
                                               "а файл «%1» (%2)").arg(name, sizeText(file->bytes.size()))};
    }
    return {QVariant(), QStringLiteral("снимок экрана не перенесён: это объект OLE «%1», а не рисунок BMP (%2)")
                            .arg(className, sizeText(bytes.size()))};
}
