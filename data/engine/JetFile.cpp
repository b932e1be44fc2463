#include "data/engine/JetFile.h"

#include "data/core/DataError.h"
#include "data/engine/JetHeader.h"
#include "data/engine/JetValues.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

// libmdb's header needs glib's declarations first.
#include <glib.h>
#include <mdbtools.h>

namespace {

// Flags in the high bits of a row's offset on its page.
const int DeletedRow = 0x8000;
const int MovedRow = 0x4000;
const int OffsetMask = 0x1fff;
// The Jet 4 table definition keeps the last AutoNumber after the row count.
const int LastAutoNumberOffset = 20;

JetType jetType(int mdbType)
{
    switch (mdbType) {
    case MDB_BOOL: return JetType::Bool;
    case MDB_BYTE: return JetType::Byte;
    case MDB_INT: return JetType::Integer;
    case MDB_LONGINT: return JetType::Long;
    case MDB_MONEY: return JetType::Currency;
    case MDB_FLOAT: return JetType::Single;
    case MDB_DOUBLE: return JetType::Double;
    case MDB_DATETIME: return JetType::DateTime;
    case MDB_BINARY: return JetType::Binary;
    case MDB_TEXT: return JetType::Text;
    case MDB_OLE: return JetType::Ole;
    case MDB_MEMO: return JetType::Memo;
    default: return JetType::Other;
    }
}

MdbColumn *columnAt(MdbTableDef *t, int i)
{
    return static_cast<MdbColumn *>(g_ptr_array_index(t->columns, i));
}

} // namespace

struct JetFile::Handle {
    MdbHandle *mdb = nullptr;
    ~Handle()
    {
        if (mdb)
            mdb_close(mdb);
    }
};

struct JetFile::Table {
    QString name;
    MdbTableDef *def = nullptr;
    QVector<JetColumn> columns;
    qint64 lastAutoNumber = 0;
    ~Table() { mdb_free_tabledef(def); }
};

JetFile::JetFile(const QString &path) : m_path(path), m_handle(std::make_unique<Handle>())
{
    const StoredFileKind kind = storedFileKind(path);
    if (kind != StoredFileKind::Jet4)
        throw DataError(refusalText(kind, QFileInfo(path).absoluteFilePath()),
                        kind == StoredFileKind::Truncated ? DataError::Kind::Corrupt
                                                          : DataError::Kind::NotADatabase);
    m_handle->mdb = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
    MdbHandle *mdb = m_handle->mdb;
    if (!mdb)
        damaged(QStringLiteral("файл не открывается"));
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        damaged(QStringLiteral("не читается список таблиц"));
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto *entry = static_cast<MdbCatalogEntry *>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry))
            continue;
        auto t = std::make_unique<Table>();
        t->name = QString::fromUtf8(entry->object_name);
        t->def = mdb_read_table(entry);
        if (!t->def || !mdb_read_columns(t->def))
            damaged(QStringLiteral("не читается описание таблицы «%1»").arg(t->name));
        bool autoNumber = false;
        for (unsigned c = 0; c < t->def->num_cols; ++c) {
            const MdbColumn *col = columnAt(t->def, int(c));
            t->columns.push_back({QString::fromUtf8(col->name), jetType(col->col_type),
                                  col->col_type == MDB_TEXT ? col->col_size / 2 : 0});
            autoNumber = autoNumber || col->is_long_auto;
        }
        if (autoNumber && mdb_read_pg(mdb, entry->table_pg) == mdb->fmt->pg_size)
            t->lastAutoNumber = quint32(mdb_get_int32(mdb->pg_buf, LastAutoNumberOffset));
        m_tables.push_back(std::move(t));
    }
}

JetFile::~JetFile()
{
    m_tables.clear(); // before the handle they were read through
}

QStringList JetFile::tables() const
{
    QStringList names;
    for (const auto &t : m_tables)
        names << t->name;
    return names;
}

bool JetFile::hasTable(const QString &name) const
{
    for (const auto &t : m_tables)
        if (t->name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

JetFile::Table &JetFile::table(const QString &name) const
{
    for (const auto &t : m_tables)
        if (t->name.compare(name, Qt::CaseInsensitive) == 0)
            return *t;
    throw DataError(QStringLiteral("В базе данных Access «%1» нет таблицы «%2».")
                        .arg(QFileInfo(m_path).absoluteFilePath(), name),
                    DataError::Kind::Missing);
}

QVector<JetColumn> JetFile::columns(const QString &name) const
{
    return table(name).columns;
}

qint64 JetFile::rowCount(const QString &name) const
{
    return table(name).def->num_rows;
}

qint64 JetFile::lastAutoNumber(const QString &name) const
{
    return table(name).lastAutoNumber;
}

void JetFile::damaged(const QString &what) const
{
    throw DataError(damagedText(QFileInfo(m_path).absoluteFilePath(), what), DataError::Kind::Corrupt);
}

// The walk over the table's data pages, and the decoding of one row.
class JetRows::Cursor
{
public:
    Cursor(const JetFile &file, JetFile::Table &table) : m_file(file), m_table(table), m_mdb(file.m_handle->mdb)
    {
        m_chunk.resize(int(m_mdb->fmt->pg_size));
        mdb_rewind_table(m_table.def);
    }

    // Fills values with the next row's; false at the end of the table.
    bool next(const QVector<int> &columns, QVector<QVariant> &values)
    {
        while (true) {
            if (m_row >= m_rowsOnPage && !nextPage())
                return false;
            int start = 0;
            size_t size = 0;
            if (mdb_find_row(m_mdb, m_row++, &start, &size) != 0 || (start & DeletedRow))
                continue;
            if (start & MovedRow)
                readMoved(start & OffsetMask, columns, values);
            else
                readRow(start & OffsetMask, int(size), columns, values);
            return true;
        }
    }

    [[noreturn]] void damaged(const QString &what) const { m_file.damaged(what); }
    QString tableName() const { return m_table.name; }
    qint64 rowCount() const { return m_table.def->num_rows; }

private:
    bool nextPage()
    {
        m_row = 0;
        m_rowsOnPage = 0;
        while (m_rowsOnPage == 0) {
            if (!mdb_read_next_dpg(m_table.def))
                return false;
            m_rowsOnPage = mdb_get_int16(m_mdb->pg_buf, m_mdb->fmt->row_count_offset);
        }
        return true;
    }

    // A row that grew past its page keeps there only where it went: a row
    // number and a 3-byte page number.
    void readMoved(int start, const QVector<int> &columns, QVector<QVariant> &values)
    {
        const guint32 page = m_table.def->cur_phys_pg;
        int pointer = start;
        for (int hops = 0; hops < 8; ++hops) {
            const int row = m_mdb->pg_buf[pointer];
            const guint32 target = m_mdb->pg_buf[pointer + 1] | (m_mdb->pg_buf[pointer + 2] << 8)
                                   | (m_mdb->pg_buf[pointer + 3] << 16);
            int targetStart = 0;
            size_t size = 0;
            if (mdb_read_pg(m_mdb, target) != m_mdb->fmt->pg_size
                || mdb_find_row(m_mdb, row, &targetStart, &size) != 0)
                break;
            if (!(targetStart & MovedRow)) {
                readRow(targetStart & OffsetMask, int(size), columns, values);
                if (mdb_read_pg(m_mdb, page) != m_mdb->fmt->pg_size)
                    break;
                return;
            }
            pointer = targetStart & OffsetMask;
        }
        damaged(QStringLiteral("не читается перенесённая строка таблицы «%1»").arg(m_table.name));
    }

    void readRow(int start, int size, const QVector<int> &columns, QVector<QVariant> &values)
    {
        MdbField fields[MDB_MAX_COLS];
        if (size <= 0 || start + size > m_mdb->fmt->pg_size
            || mdb_crack_row(m_table.def, start, size_t(size), fields) < 0)
            damaged(QStringLiteral("не читается строка таблицы «%1»").arg(m_table.name));
        // mdb_crack_row counts deleted columns too: only the table's are read.
        for (int i = 0; i < columns.size(); ++i)
            values[i] = value(columns[i], fields[columns[i]]);
    }

    QVariant value(int index, const MdbField &field)
    {
        MdbColumn *col = columnAt(m_table.def, index);
        if (col->col_type == MDB_BOOL) // kept in the null mask
            return int(!field.is_null);
        if (field.is_null)
            return QVariant();
        if (field.siz < 0 || field.start < 0 || field.start + field.siz > m_mdb->fmt->pg_size)
            damaged(QStringLiteral("не читается значение поля «%1» таблицы «%2»")
                        .arg(QString::fromUtf8(col->name), m_table.name));
        const auto *p = m_mdb->pg_buf + field.start;
        switch (col->col_type) {
        case MDB_BYTE: return qlonglong(fixed<quint8>(p, field, col));
        case MDB_INT: return qlonglong(fixed<qint16>(p, field, col));
        case MDB_LONGINT: return qlonglong(fixed<qint32>(p, field, col));
        case MDB_MONEY: return qlonglong(fixed<qint64>(p, field, col));
        case MDB_FLOAT: return double(fixed<float>(p, field, col));
        case MDB_DOUBLE: return fixed<double>(p, field, col);
        case MDB_DATETIME: return date(fixed<double>(p, field, col), col);
        case MDB_TEXT: return JetValues::text(reinterpret_cast<const char *>(p), field.siz);
        case MDB_MEMO: {
            const QByteArray bytes = readLong(col, field);
            return JetValues::text(bytes.constData(), int(bytes.size()));
        }
        case MDB_OLE: return readLong(col, field);
        default: return QByteArray(reinterpret_cast<const char *>(p), field.siz);
        }
    }

    template <typename T> T fixed(const unsigned char *p, const MdbField &field, const MdbColumn *col)
    {
        if (field.siz < int(sizeof(T)))
            damaged(QStringLiteral("короткое значение поля «%1» таблицы «%2»")
                        .arg(QString::fromUtf8(col->name), m_table.name));
        return qFromLittleEndian<T>(p);
    }

    QString date(double days, const MdbColumn *col)
    {
        if (const std::optional<QString> text = JetValues::dateText(days))
            return *text;
        damaged(QStringLiteral("неверная дата в поле «%1» таблицы «%2»")
                    .arg(QString::fromUtf8(col->name), m_table.name));
    }

    // A Memo or OLE value: a 12-byte header on the row (length and flags),
    // the bytes inline or on long-value pages, one page or a chain of them.
    QByteArray readLong(MdbColumn *col, const MdbField &field)
    {
        if (field.siz < MDB_MEMO_OVERHEAD)
            damaged(QStringLiteral("не читается длинное значение поля «%1» таблицы «%2»")
                        .arg(QString::fromUtf8(col->name), m_table.name));
        unsigned char header[MDB_MEMO_OVERHEAD];
        memcpy(header, m_mdb->pg_buf + field.start, MDB_MEMO_OVERHEAD);
        const qint64 total = qFromLittleEndian<quint32>(header) & 0x3fffffff;
        col->cur_value_start = field.start;
        col->cur_value_len = field.siz;
        col->bind_ptr = m_chunk.data();
        QByteArray value(0, Qt::Uninitialized);
        value.reserve(total);
        size_t n = mdb_ole_read(m_mdb, col, header, size_t(m_chunk.size()));
        while (n > 0 && value.size() <= total) {
            value.append(m_chunk.constData(), qsizetype(n));
            n = mdb_ole_read_next(m_mdb, col, header);
        }
        col->bind_ptr = nullptr;
        if (value.size() != total)
            damaged(QStringLiteral("длинное значение поля «%1» таблицы «%2» прочитано не целиком")
                        .arg(QString::fromUtf8(col->name), m_table.name));
        return value;
    }

    const JetFile &m_file;
    JetFile::Table &m_table;
    MdbHandle *m_mdb;
    QByteArray m_chunk;
    int m_row = 0;
    int m_rowsOnPage = 0;
};

JetRows::JetRows(const JetFile &file, const QString &tableName, const QStringList &columns)
{
    JetFile::Table &t = file.table(tableName);
    m_cursor = std::make_unique<Cursor>(file, t);
    const QStringList wanted = columns.isEmpty() ? [&] {
        QStringList all;
        for (const JetColumn &c : t.columns)
            all << c.name;
        return all;
    }() : columns;
    for (const QString &name : wanted) {
        int found = -1;
        for (int i = 0; i < t.columns.size() && found < 0; ++i)
            if (t.columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
                found = i;
        if (found < 0)
            throw DataError(QStringLiteral("В таблице «%1» базы данных Access нет поля «%2».").arg(t.name, name),
                            DataError::Kind::Missing);
        m_columns << found;
    }
    m_values.resize(m_columns.size());
}

JetRows::~JetRows() = default;

bool JetRows::next()
{
    if (!m_cursor->next(m_columns, m_values)) {
        // Pages that could not be read end the walk early: say so rather
        // than hand on part of the table.
        if (m_rowsRead < m_cursor->rowCount())
            m_cursor->damaged(QStringLiteral("в таблице «%1» прочитано %2 строк из %3")
                                  .arg(m_cursor->tableName()).arg(m_rowsRead).arg(m_cursor->rowCount()));
        return false;
    }
    ++m_rowsRead;
    return true;
}
