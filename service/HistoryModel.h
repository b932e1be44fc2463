#pragma once

#include "app/ListModel.h"
#include "data/trail/HistoryReader.h"

#include <memory>

// The history window's rows: the newest page read at once, older ones as the
// view scrolls down to them, and other writers' entries put in on top.
class HistoryModel : public ListModel<History::Change>
{
public:
    HistoryModel(QStringList titles, Cell cell, QObject *parent);
    ~HistoryModel() override;

    // Reads the newest page; a null database shows nothing.
    void open(const Database *db, const History::Filter &filter);
    // The entries committed since; the whole list read again only where
    // entries read may no longer hold.
    void follow();
    bool allRead() const;
    // Entries read from the catalogue since the list was opened.
    qint64 rowsRead() const;
    void setPageSize(int rows) { m_pageSize = rows; }
    // Why the last read failed; empty when it did not.
    const QString &error() const { return m_error; }
    // Called after each read, so what tells of the list can follow.
    void setOnRead(std::function<void()> onRead) { m_onRead = std::move(onRead); }

    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    void putIn(QList<History::Change> news);
    void rename(const QHash<qint64, QString> &names);

    const Database *m_db = nullptr;
    History::Filter m_filter;
    std::unique_ptr<History::Reader> m_reader;
    int m_pageSize = 2000;
    QString m_error;
    std::function<void()> m_onRead;
};
