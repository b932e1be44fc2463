#pragma once

#include "data/dataset/Dataset.h"

// A dataset over one table, opened by table name. The key is its AutoInc field.
// Updates and deletes match the row as it was read, so a row another user
// changed or deleted since is never overwritten: DataError(Conflict) instead.
class TableDataset : public Dataset
{
    Q_OBJECT
public:
    TableDataset(Database *db, const QString &name, const QString &table, QObject *parent = nullptr);
    QString table() const { return m_table; }

    // A row written with field set must find its row in table (by column)
    // when the write commits; missingText tells the user it is gone.
    void addReference(const QString &field, const QString &table, const QString &column,
                      const QString &missingText);
    // A row is not deleted while table holds a row whose column refers to its key.
    void addDependent(const QString &table, const QString &column, const QString &inUseText);

protected:
    RowStore fetch() override;
    Row writeInsert(const Row &row, const QVector<bool> &dirty) override;
    void writeUpdate(const Row &before, const Row &after, const QVector<bool> &dirty) override;
    void writeDelete(const Row &row) override;
    bool isDeferred(const Field *f) const override;
    QVariant loadDeferred(const Row &row, const Field *f) const override;
    std::optional<Row> fetchRow(const QVariant &key) const override;

private:
    struct Reference { QString field, table, column, missingText; };
    struct Dependent { QString table, column, inUseText; };
    using Stored = QVector<QVariant>; // per field index, as the database holds it

    const Field *keyField() const;
    QVector<const Field *> storedFields(bool withDeferred) const;
    Stored storedForm(const Row &row) const;
    std::optional<Stored> readStored(const QVariant &key) const;
    int execMatching(const QString &statement, QHash<QString, QVariant> params, const QVariant &key,
                     const Stored &match) const;
    void writeMatching(const QString &statement, const QHash<QString, QVariant> &params,
                       const Row &original, bool deleting) const;
    void checkReferences(const Row &row, const QVector<bool> &dirty) const;
    void checkDependents(const Row &row) const;

    QString rowId() const; // the engine's row identity column
    QString m_table;
    QVector<Reference> m_references;
    QVector<Dependent> m_dependents;
};
