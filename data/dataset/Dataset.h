#pragma once

#include "data/core/DataError.h"
#include "data/dataset/Field.h"
#include "data/dataset/FilterExpression.h"
#include "data/dataset/RowStore.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Database;
class RowCaches;
class QSqlQuery;

// A client-side snapshot of rows with a current row, a filter and a sort.
// Opening runs one SELECT; filtering and sorting act on the rows held.
// Posting writes through to the database at once.
class Dataset : public QObject
{
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Insert, Edit };
    // What a change notification means for the views that follow the dataset.
    enum class Change {
        Reset,  // rows, their order or the visible set changed (open, close, filter, sort, post, delete)
        Scroll, // another row became current
        Record, // a value of the current (pending) row changed
        State   // the state changed (edit, insert, cancel)
    };
    Q_ENUM(Change)

    Dataset(Database *db, const QString &name, QObject *parent = nullptr);
    ~Dataset() override;

    QString name() const { return objectName(); }
    Database *database() const { return m_db; }

    // Field definitions come before open().
    Field *addField(const QString &name, FieldType type, int size = 0);
    Field *addLookupField(const QString &name, int size, const QString &keyField,
                          Dataset *lookupDataset, const QString &lookupKeyField,
                          const QString &resultField);
    const std::vector<std::unique_ptr<Field>> &fields() const { return m_fields; }
    int fieldCount() const { return int(m_fields.size()); }
    Field *findField(const QString &name) const;
    Field *fieldByName(const QString &name) const; // throws DataError when missing

    void open();
    void close();
    // Close and open, keeping filter and sort. When the rows can't be read,
    // the dataset keeps the rows it holds, to be read at the next look
    // (readAgainLater), and the error is thrown.
    void refresh();
    // Reads the rows again in place, for changes made by other users: keeps
    // filter, sort and the current row (by key); views hear of it only when
    // a row they show changed. A pending row defers it to its post or cancel.
    void resync();
    bool isResyncPending() const { return m_resyncPending; }
    // What is held may differ from what is stored: the next resync (the next
    // look for other users' changes) reads it again.
    void readAgainLater();
    bool isActive() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Insert || m_state == State::Edit; }

    void append();
    void edit();
    void post();
    void cancel();
    void remove(); // deletes the current row

    void first();
    void next();
    void prior();
    void last();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const { return recordCount() == 0; }
    // Makes current the first visible row whose field equals value.
    bool locate(const QString &fieldName, const QVariant &value);

    int recordCount() const { return m_view.size(); }
    int recNo() const;        // 1-based; -1 when empty or inserting
    QVariant currentKey() const; // the identity of the current row; null when none
    void setRecNo(int recNo); // ignored when out of range
    bool isModified() const { return isEditing() && m_modified; }
    virtual bool canModify() const;

    QString filter() const { return m_filterText; }
    void setFilter(const QString &text);
    bool isFiltered() const { return m_filtered; }
    void setFiltered(bool on); // throws DataError(Filter) when the text does not parse

    QString sort() const { return m_sortText; }
    void setSort(const QString &text); // "column", "column ASC" or "column DESC"
    // Puts every row in the sort's order ahead of the first filter change,
    // which then only picks rows from it: slow on a large list, so it is
    // done while the user has not yet asked for anything.
    void prepareSortedOrder();

    // Read access to any visible row (0-based) for views.
    QVariant valueAt(int row, const Field *field) const;
    QString displayTextAt(int row, const Field *field) const;
    // The current row's value (the pending row while editing).
    QVariant currentValue(const Field *field) const;
    void setCurrentValue(const Field *field, const QVariant &value);

    // A bound editor writes its pending text into the row before a post.
    // The function may throw DataError; the post then fails and the row stays pending.
    void registerFlush(QObject *owner, std::function<void()> flush);

    // Master-detail: this dataset holds only the rows whose detailField equals
    // masterField of the master's current row, reloaded on every master move.
    void setMaster(Dataset *master, const QString &masterField, const QString &detailField);
    Dataset *master() const { return m_master; }

signals:
    void beforeInsert();
    void afterInsert();
    void afterPost();
    void afterDelete();
    void afterScroll();
    void afterOpen();
    void changed(Dataset::Change change);

protected:
    // Runs the snapshot query; returns rows with one value per field (lookups
    // and deferred fields left invalid).
    virtual RowStore fetch() = 0;
    // Writes; return the stored row (with the key the database assigned).
    virtual Row writeInsert(const Row &row, const QVector<bool> &dirty);
    virtual void writeUpdate(const Row &before, const Row &after, const QVector<bool> &dirty);
    virtual void writeDelete(const Row &row);
    // Values not held in the snapshot (pictures) are read when a row needs them.
    virtual bool isDeferred(const Field *) const { return false; }
    virtual QVariant loadDeferred(const Row &, const Field *) const { return {}; }
    // The row as stored now, deferred values included; nothing when it is gone.
    virtual std::optional<Row> fetchRow(const QVariant &) const { return std::nullopt; }

    int currentRowIndex() const; // into the rows held; -1 when none
    Row rowAt(int rowIndex) const { return m_rows.row(rowIndex, fieldCount() + 1); }
    // Rows carry one slot past the fields: the table row's identity (rowid).
    int rowIdSlot() const { return fieldCount(); }
    QVariant keyOf(const Row &row) const;
    QVariant masterValue() const;
    bool hasMaster() const { return m_master != nullptr; }
    QString detailField() const { return m_detailField; }

private:
    void adopt(RowStore rows);
    // The value of a row held, or of the pending row (PendingRow).
    static constexpr int PendingRow = -2;
    QVariant slotValue(int rowIndex, int slot) const;
    QVariant rawValue(int rowIndex, const Field *field) const;
    QVariant lookedUp(int rowIndex, const Field *field) const;
    class RowSource;
    // onlyFilterChanged: the rows and the sort are as they were, so the order
    // of every row, once computed, is reused instead of sorting again.
    void rebuildView(int keepRowIndex = -1, bool onlyFilterChanged = false);
    bool keepsSortedOrder() const;
    QVector<int> visibleRows(bool inKeptOrder) const;
    void putInKeptOrder(QVector<int> &rows) const;
    void applySort(QVector<int> &rows) const;
    bool isCached(const Field *field) const;
    void setCurrent(int viewPos, bool notify = true);
    void requireBrowse(const char *what) const;
    void requireEditing(const char *what) const;
    void flushEditors();
    void masterMoved();
    void checkBrowseMode();
    Row withDeferred(int rowIndex) const;
    Row heldForm(Row row) const;
    void rebasePending(int rowIndex);
    void scheduleResync();
    int rowIndexOfKey(const QVariant &key) const;

    Database *m_db;
    std::vector<std::unique_ptr<Field>> m_fields;
    State m_state = State::Inactive;

    RowStore m_rows;       // every row held, in database order
    QVector<int> m_view;   // indexes into m_rows that pass the filter, in sort order
    int m_pos = -1;        // position in m_view
    bool m_eof = true;
    bool m_bof = true;

    Row m_buffer;          // the pending row while inserting or editing
    Row m_original;        // the edited row as read, which an update must still find
    bool m_resyncPending = false;
    QVector<bool> m_dirty;
    bool m_modified = false;

    QString m_filterText;
    bool m_filtered = false;
    std::unique_ptr<FilterExpression> m_filterExpr;

    QString m_sortText;
    int m_sortField = -1;
    bool m_sortDesc = false;
    QVector<int> m_order;  // every row in sort order; empty until a filter change needs it
    QVector<int> m_orderPos; // each row's place in m_order
    std::unique_ptr<RowCaches> m_caches; // sort keys, folded text and key indexes of m_rows

    QVector<QPair<QPointer<QObject>, std::function<void()>>> m_flushers;

    QPointer<Dataset> m_master;
    QString m_masterField;
    QString m_detailField;
    QVariant m_lastMasterKey;

    mutable int m_deferredRow = -1; // one cached deferred value per field
    mutable QHash<int, QVariant> m_deferredCache;

    friend class Field;
};
