#include "data/engine/DatabaseErrors.h"

#include <QSqlError>

namespace {

// SQLite's primary result codes (the low byte of an extended code).
enum : int {
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteReadOnly = 8,
    SqliteCorrupt = 11,
    SqliteFull = 13,
    SqliteCantOpen = 14,
    SqliteNotADb = 26,
    SqliteConstraintUnique = 2067,
    SqliteConstraintPrimaryKey = 1555
};

DataError::Kind kindOf(const QString &text, const QString &code)
{
    bool numeric = false;
    const int extended = code.toInt(&numeric);
    const int primary = numeric ? (extended & 0xff) : -1;
    if (extended == SqliteConstraintUnique || extended == SqliteConstraintPrimaryKey
        || text.contains(QLatin1String("UNIQUE constraint failed")))
        return DataError::Kind::Unique;
    if (primary == SqliteBusy || primary == SqliteLocked || text.contains(QLatin1String("database is locked")))
        return DataError::Kind::Locked;
    if (primary == SqliteReadOnly || text.contains(QLatin1String("readonly database")))
        return DataError::Kind::ReadOnly;
    if (primary == SqliteFull || text.contains(QLatin1String("database or disk is full")))
        return DataError::Kind::DiskFull;
    if (primary == SqliteNotADb || text.contains(QLatin1String("not a database")))
        return DataError::Kind::NotADatabase;
    if (primary == SqliteCorrupt || text.contains(QLatin1String("malformed")))
        return DataError::Kind::Corrupt;
    if (primary == SqliteCantOpen || text.contains(QLatin1String("unable to open database file")))
        return DataError::Kind::ReadOnly; // a journal that can't be made beside the file
    return DataError::Kind::General;
}

QString firstLine(DataError::Kind kind)
{
    switch (kind) {
    case DataError::Kind::Unique:
        return QStringLiteral("Запись с таким значением уже есть в базе данных.");
    case DataError::Kind::Locked:
        return QStringLiteral("Файл базы данных занят другой программой. Повторите попытку позже.");
    case DataError::Kind::ReadOnly:
        return QStringLiteral("Файл базы данных открыт только для чтения: изменения не сохранены.");
    case DataError::Kind::DiskFull:
        return QStringLiteral("Диск заполнен: изменения не сохранены.");
    case DataError::Kind::NotADatabase:
        return QStringLiteral("Файл не является базой данных.");
    case DataError::Kind::Corrupt:
        return QStringLiteral("Файл базы данных поврежден.");
    default:
        return {};
    }
}

} // namespace

DataError databaseError(const QString &engineText, const QString &nativeCode)
{
    return databaseError(kindOf(engineText, nativeCode), engineText);
}

DataError databaseError(DataError::Kind kind, const QString &engineText)
{
    const QString first = firstLine(kind);
    // Other refusals (a check of the schema, an overflow) keep the engine's words.
    return DataError(first.isEmpty() ? engineText : first + QLatin1Char('\n') + engineText, kind);
}

DataError databaseError(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return databaseError(text, error.nativeErrorCode());
}
