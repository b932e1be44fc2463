#pragma once

#include "data/engine/Database.h"
#include "data/dataset/Dataset.h"
#include "data/dataset/TableDataset.h"
#include "data/dataset/QueryDataset.h"
#include "data/dataset/SqlCommand.h"
#include "data/dataset/DataSource.h"
#include "data/core/Money.h"

#include <QDateTime>
#include <QObject>
#include <QPair>
#include <QVector>
#include <memory>

class QTimer;

// The values of a project saved by the add-as-copy command, in the order read.
struct CopyBuffer {
    int cat_id = 0;
    int year_id = 0;
    QString tovName;
    QDateTime project_begin;
    QDateTime project_end;
    Money price;
    QDateTime datetime_update;
    QString description;
    QString path_repository;
    bool isExports = false;
    bool isExportsDesc = false;
};

// The data module: owns the connection and every dataset of the program.
class TDm : public QObject
{
    Q_OBJECT
public:
    // Opens dbPath and every dataset marked open at start; throws DataError.
    explicit TDm(const QString &dbPath = QStringLiteral("db.mdb"), QObject *parent = nullptr);
    ~TDm() override;

    Database *ADOConnection;

    TableDataset *tblCategory;
    TableDataset *tblProject;
    TableDataset *tblYear;
    TableDataset *tblConfigs;
    TableDataset *tblOrders;
    QueryDataset *sqlStatistic;
    QueryDataset *sqlStateOrders;
    TableDataset *tblIde;
    QueryDataset *sqlProjectCat;
    QueryDataset *sqlProjectYear;
    QueryDataset *sqlProjectIde;
    SqlCommand *sqlOrdersDelete;
    QueryDataset *sqlProjectRep;
    QueryDataset *sqlOrdersRep;

    DataSource *DsCategory;
    DataSource *DsTovar;
    DataSource *DsType;
    DataSource *DsConfigs;
    DataSource *DsOrders;
    DataSource *DsStatistic;
    DataSource *DsStateOrders;
    DataSource *DsIde;

    Field *tblCategorycat_id;
    Field *tblCategorycatName;

    Field *tblProjectproject_id;
    Field *tblProjectcat_id;
    Field *tblProjectstrCat;
    Field *tblProjectyear_id;
    Field *tblProjecttovName;
    Field *tblProjectscreenshots;
    Field *tblProjectproject_begin;
    Field *tblProjectproject_end;
    Field *tblProjectprice;
    Field *tblProjectdatetime_update;
    Field *tblProjectstrYear;
    Field *tblProjectdescription;
    Field *tblProjectpath_repository;
    Field *tblProjectisExports;
    Field *tblProjectisExportsDesc;
    Field *tblProjectversion_id;
    Field *tblProjectstrIde;

    Field *tblYearyear_id;
    Field *tblYearname;

    Field *tblConfigsrepository_ip;
    Field *tblConfigspath_TortoiseSVN;

    Field *tblOrdersorder_id;
    Field *tblOrdersproject_id;
    Field *tblOrdersdate_orders;
    Field *tblOrderssumm;
    Field *tblOrderscomments;

    Field *tblIdeversion_id;
    Field *tblIdeide;

    bool isCopy = false;
    CopyBuffer copyBuffer;

    // Deletes the current project and its sales in one transaction.
    void deleteProjectWithOrders();

    // How often the connection is asked for other users' commits.
    static constexpr int ChangeCheckInterval = 500; // ms

    // Reads every open dataset again (after the file's data was replaced),
    // keeping filters, orders and positions; pending rows are cancelled.
    void reloadAll();

    // The catalogue keeps the recycle bin and the history (not a read-only
    // one made by an earlier version).
    bool hasTrail() const { return m_trail; }
    // The newest bin entry when the catalogue was opened: what this run
    // deletes comes after it.
    qint64 binStart() const { return m_binStart; }
    // The lists over the tables written by a command outside the datasets
    // (a restore from the bin) read them again, as for another user's commit.
    void tablesWritten(const QStringList &tables);

    // The database file that backups copy; empty when the data is not a
    // file of this machine (a server keeps its own backups).
    QString backupSource() const;

signals:
    // Tables changed by a commit (another user's, or tablesWritten()); an
    // empty list when the engine can't tell which.
    void tablesChanged(const QStringList &tables);

public slots:
    // Other users' changes: asks the connection for commits made elsewhere
    // (on a timer, and when a window is activated); the datasets over the
    // tables they touched read their rows again in place. False when the
    // look failed (the database is locked or can't be reached).
    bool checkForChanges();

    void DataModuleCreate();
    void tblProjectBeforeInsert();
    void tblProjectAfterInsert();
    void tblProjectAfterPost();
    void tblProjectAfterDelete();
    void tblOrdersAfterInsert();
    void tblOrdersAfterPost();
    void tblOrdersAfterDelete();
    void tblIdeAfterPost();

private:
    void defineTables();
    void defineQueries();
    void connectEvents();
    void defineIntegrity();
    void watchChanges();
    void refreshTables(const QStringList &tables);
    void purgeBin();
    static void reopen(Dataset *ds);

    // The datasets kept current with other users' changes and the table each
    // reads, reference books before the rows that look them up.
    QVector<QPair<Dataset *, QString>> m_liveDatasets;
    QTimer *m_changeTimer = nullptr;
    bool m_checking = false;
    bool m_salesSummary = false; // sales_month is there: totals read from it
    bool m_trail = false;
    qint64 m_binStart = 0;
    int m_skipTicks = 0;
};

extern TDm *Dm;
