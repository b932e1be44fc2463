#include "data/engine/JetHeader.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <array>
#include <cmath>
#include <cstring>

namespace {

const qint64 JetPageSize = 4096;
const int VersionOffset = 0x14;
// Jet masks part of its first page with a fixed RC4 stream: the encoding key,
// the password and the creation date are read through it.
const int MaskedStart = 0x18;
const int MaskedLength = 128;
const int EncodingKeyOffset = 0x3e;
const int PasswordOffset = 0x42;
const int PasswordLength = 40;
const int CreationDateOffset = 0x72;

std::array<quint8, MaskedLength> headerMask()
{
    const quint8 key[4] = {0xc7, 0xda, 0x39, 0x6b};
    std::array<quint8, 256> s{};
    for (int i = 0; i < 256; ++i)
        s[i] = quint8(i);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xff;
        std::swap(s[i], s[j]);
    }
    std::array<quint8, MaskedLength> mask{};
    for (int n = 0, i = 0, j = 0; n < MaskedLength; ++n) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        mask[n] = s[(s[i] + s[j]) & 0xff];
    }
    return mask;
}

// A fixed-size copy: the caller has checked the page is whole, and the
// compiler can see every read below stays inside it.
using JetHeaderBytes = std::array<char, MaskedStart + MaskedLength>;

JetHeaderBytes unmaskedHeader(const QByteArray &page)
{
    static const std::array<quint8, MaskedLength> mask = headerMask();
    JetHeaderBytes header{};
    std::memcpy(header.data(), page.constData(), header.size());
    for (int n = 0; n < MaskedLength; ++n)
        header[MaskedStart + n] = char(quint8(header[MaskedStart + n]) ^ mask[n]);
    return header;
}

// The password is further masked with the creation date's whole days.
bool hasPassword(const JetHeaderBytes &header)
{
    const double created = qFromLittleEndian<double>(header.data() + CreationDateOffset);
    const qint32 days = std::isfinite(created) && std::fabs(created) < 2e9 ? qint32(created) : 0;
    quint8 dateMask[4];
    qToLittleEndian(days, dateMask);
    for (int n = 0; n < PasswordLength; ++n)
        if ((quint8(header[PasswordOffset + n]) ^ dateMask[n % 4]) != 0)
            return true;
    return false;
}

StoredFileKind jet4Kind(const QByteArray &firstPage, qint64 fileSize)
{
    if (fileSize < JetPageSize || fileSize % JetPageSize != 0 || firstPage.size() < JetPageSize)
        return StoredFileKind::Truncated;
    const JetHeaderBytes header = unmaskedHeader(firstPage);
    if (qFromLittleEndian<quint32>(header.data() + EncodingKeyOffset) != 0)
        return StoredFileKind::Encrypted;
    if (hasPassword(header))
        return StoredFileKind::Password;
    return StoredFileKind::Jet4;
}

} // namespace

StoredFileKind storedFileKind(const QByteArray &firstPage, qint64 fileSize)
{
    if (fileSize == 0)
        return StoredFileKind::Empty;
    if (firstPage.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return StoredFileKind::Catalogue;
    const QByteArray magic = firstPage.left(20);
    const bool jet = magic == QByteArrayLiteral("\x00\x01\x00\x00Standard Jet DB\x00");
    const bool ace = magic == QByteArrayLiteral("\x00\x01\x00\x00Standard ACE DB\x00");
    if (!jet && !ace)
        return StoredFileKind::NotADatabase;
    if (firstPage.size() <= VersionOffset)
        return StoredFileKind::Truncated;
    const quint8 version = quint8(firstPage.at(VersionOffset));
    if (ace || version >= 2)
        return StoredFileKind::Accdb;
    if (version == 0)
        return StoredFileKind::Jet3;
    return jet4Kind(firstPage, fileSize);
}

StoredFileKind storedFileKind(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return StoredFileKind::NotADatabase;
    return storedFileKind(file.read(JetPageSize), file.size());
}

bool isAccessKind(StoredFileKind kind)
{
    return kind != StoredFileKind::Empty && kind != StoredFileKind::Catalogue
        && kind != StoredFileKind::NotADatabase;
}

QString refusalText(StoredFileKind kind, const QString &shownPath)
{
    const QString file = QDir::toNativeSeparators(shownPath);
    switch (kind) {
    case StoredFileKind::Jet4:
        return QStringLiteral("Файл «%1» — база данных Access 2000–2003 (Jet 4), а не каталог программы. Её можно "
                              "перенести: запустите программу на этом файле (она предложит перенос) или "
                              "перенесите его командой projectsales-copy.").arg(file);
    case StoredFileKind::Jet3:
        return QStringLiteral("Файл «%1» — база данных Access 97 (Jet 3). Программа переносит только базы "
                              "Access 2000–2003 (Jet 4). Откройте файл в Access, сохраните его в формате "
                              "Access 2000 или 2002–2003 и запустите программу снова.").arg(file);
    case StoredFileKind::Accdb:
        return QStringLiteral("Файл «%1» — база данных Access 2007 или новее (формат .accdb). Программа "
                              "переносит только базы Access 2000–2003 (.mdb). Сохраните базу в Access в "
                              "формате 2002–2003 и запустите программу снова.").arg(file);
    case StoredFileKind::Encrypted:
        return QStringLiteral("Файл «%1» — зашифрованная база данных Access. Программа не читает "
                              "зашифрованные базы: снимите шифрование в Access и запустите программу снова.")
            .arg(file);
    case StoredFileKind::Password:
        return QStringLiteral("Файл «%1» — база данных Access, защищённая паролем. Программа не читает такие "
                              "базы: снимите пароль в Access и запустите программу снова.").arg(file);
    case StoredFileKind::Truncated:
        return damagedText(shownPath, QStringLiteral("файл обрезан, его длина не кратна странице базы"));
    case StoredFileKind::Empty:
        return QStringLiteral("Файл «%1» пуст (0 байт): это ни каталог программы, ни база данных Access.")
            .arg(file);
    default:
        return QStringLiteral("Файл «%1» — не каталог программы и не база данных Access.").arg(file);
    }
}

QString damagedText(const QString &shownPath, const QString &what)
{
    return QStringLiteral("Файл «%1» — повреждённая база данных Access (%2). Восстановите её в Access "
                          "(«Сжать и восстановить базу данных») или возьмите резервную копию.")
        .arg(QDir::toNativeSeparators(shownPath), what);
}
