#include "data/module/UnitDM.h"

#include "data/core/Clock.h"
#include "data/engine/SchemaCheck.h"
#include "data/engine/Engine.h"
#include "data/sales/SalesSummary.h"
#include "data/trail/RecycleBin.h"
#include "data/trail/Trail.h"

#include <QFileInfo>
#include <algorithm>
#include <QScopedValueRollback>
#include <QTimer>

TDm *Dm = nullptr;

namespace {

const char *const kStatisticSql = "SELECT\n"
                                  "  COUNT(project_id) as allCountProject,\n"
                                  "  SUM(price) as allPriceProject\n"
                                  "FROM\n"
                                  "  projects";

const char *const kStateOrdersSql = "SELECT\n"
                                    "  SUM(summ) as allSumm\n"
                                    "FROM\n"
                                    "  orders";

// SUM fails once a total passes 64 bits, and then so would every save and
// the next start. Only then are the high and low 32 bits summed apart
// (neither can overflow) and joined: exact while the total fits, an
// approximate floating total beyond, never an error.
#define OVERFLOW_FREE_SUM(column) \
    "(SUM(" column " >> 32) * 4294967296 + SUM(" column " & 4294967295))"

const char *const kStatisticOverflowSql = "SELECT COUNT(project_id) as allCountProject, "
                                          OVERFLOW_FREE_SUM("price") " as allPriceProject FROM projects";
const char *const kStateOrdersOverflowSql = "SELECT " OVERFLOW_FREE_SUM("summ") " as allSumm FROM orders";
// The same total from the monthly totals, a few rows instead of every sale.
// Their high and low halves are joined as the fallback above joins them;
// none means no sale has a sum, as SUM() says.
const char *const kStateOrdersSummarySql =
    "SELECT CASE WHEN SUM(summed) > 0 THEN SUM(summ_hi) * 4294967296 + SUM(summ_lo) END as allSumm"
    " FROM sales_month";

const char *const kProjectRepSql =
    "SELECT\n"
    "  category.catName as catName,\n"
    "  years.name as years,\n"
    "  ide.ide as ide,\n"
    "  projects.project_id as project_id, \n"
    "  projects.tovName as tovName,\n"
    "  projects.screenshots as screenshots,\n"
    "  projects.project_begin as project_begin,\n"
    "  projects.project_end as project_end,\n"
    "  projects.price as price,\n"
    "  projects.description as description,\n"
    "  projects.datetime_update as datetimeupdate,\n"
    "  projects.path_repository as path_repository\n"
    "FROM\n"
    "  projects\n"
    // Outer joins: a project without an IDE version, category or year still
    // gets its sheet, with those values empty.
    "  LEFT JOIN category ON category.cat_id = projects.cat_id\n"
    "  LEFT JOIN years ON years.year_id = projects.year_id\n"
    "  LEFT JOIN ide ON ide.version_id = projects.version_id\n"
    "WHERE\n"
    "  projects.project_id = :project_id";

const char *const kOrdersRepSql = "SELECT\n"
                                  "  orders.order_id as order_id,\n"
                                  "  orders.project_id as project_id,\n"
                                  "  orders.summ as summ,\n"
                                  "  orders.date_orders as date_orders,\n"
                                  "  orders.comments as comments\n"
                                  "FROM\n"
                                  "  orders\n"
                                  "WHERE\n"
                                  "  orders.project_id = :project_id\n"
                                  "ORDER BY orders.date_orders, orders.order_id ";

QString todayText()
{
    return Clock::today().toString(QStringLiteral("dd.MM.yyyy"));
}

// A catalogue of an earlier version gets the indexes it lacks; busy, or
// without the right to change it, it works without them.
void completeIndexes(Database &db)
{
    if (db.isReadOnly())
        return;
    try {
        db.engine().addMissingIndexes(db);
    } catch (const DataError &) {
    }
}

} // namespace

TDm::TDm(const QString &dbPath, QObject *parent) : QObject(parent), ADOConnection(new Database)
{
    setObjectName(QStringLiteral("Dm"));
    try {
        ADOConnection->open(dbPath);
        checkSchema(*ADOConnection);
        completeIndexes(*ADOConnection);
        m_salesSummary = SalesSummary::ensure(*ADOConnection);
        m_trail = Trail::ensure(*ADOConnection);
        purgeBin();
        if (m_trail)
            m_binStart = RecycleBin::lastEntry(*ADOConnection);
    } catch (...) {
        delete ADOConnection;
        ADOConnection = nullptr;
        throw;
    }
    defineTables();
    defineQueries();
    defineIntegrity();
    connectEvents();
    for (Dataset *ds : {static_cast<Dataset *>(tblCategory), static_cast<Dataset *>(tblProject),
                        static_cast<Dataset *>(tblYear), static_cast<Dataset *>(tblConfigs),
                        static_cast<Dataset *>(tblOrders), static_cast<Dataset *>(sqlStatistic),
                        static_cast<Dataset *>(sqlStateOrders), static_cast<Dataset *>(tblIde)})
        ds->open();
    DataModuleCreate();
    watchChanges();
}

TDm::~TDm()
{
    ADOConnection->setChangeHandler({});
    // Datasets go before the connection they read through.
    const auto children = findChildren<QObject *>(QString(), Qt::FindDirectChildrenOnly);
    qDeleteAll(children);
    delete ADOConnection;
}

void TDm::defineTables()
{
    Database *db = ADOConnection;
    tblCategory = new TableDataset(db, QStringLiteral("tblCategory"), QStringLiteral("category"), this);
    tblProject = new TableDataset(db, QStringLiteral("tblProject"), QStringLiteral("projects"), this);
    tblYear = new TableDataset(db, QStringLiteral("tblYear"), QStringLiteral("years"), this);
    tblConfigs = new TableDataset(db, QStringLiteral("tblConfigs"), QStringLiteral("configs"), this);
    tblOrders = new TableDataset(db, QStringLiteral("tblOrders"), QStringLiteral("orders"), this);
    tblIde = new TableDataset(db, QStringLiteral("tblIde"), QStringLiteral("ide"), this);

    tblCategorycat_id = tblCategory->addField(QStringLiteral("cat_id"), FieldType::AutoInc);
    tblCategorycatName = tblCategory->addField(QStringLiteral("catName"), FieldType::Text, 50);

    tblYearyear_id = tblYear->addField(QStringLiteral("year_id"), FieldType::AutoInc);
    tblYearname = tblYear->addField(QStringLiteral("name"), FieldType::Text, 4);

    tblIdeversion_id = tblIde->addField(QStringLiteral("version_id"), FieldType::AutoInc);
    tblIdeide = tblIde->addField(QStringLiteral("ide"), FieldType::Text, 25);

    Dataset *p = tblProject;
    tblProjectproject_id = p->addField(QStringLiteral("project_id"), FieldType::AutoInc);
    tblProjectcat_id = p->addField(QStringLiteral("cat_id"), FieldType::Integer);
    tblProjectstrCat = p->addLookupField(QStringLiteral("strCat"), 20, QStringLiteral("cat_id"), tblCategory,
                                         QStringLiteral("cat_id"), QStringLiteral("catName"));
    tblProjectyear_id = p->addField(QStringLiteral("year_id"), FieldType::Integer);
    tblProjecttovName = p->addField(QStringLiteral("tovName"), FieldType::Text, 100);
    tblProjectscreenshots = p->addField(QStringLiteral("screenshots"), FieldType::Blob);
    tblProjectproject_begin = p->addField(QStringLiteral("project_begin"), FieldType::DateTime);
    tblProjectproject_end = p->addField(QStringLiteral("project_end"), FieldType::DateTime);
    tblProjectprice = p->addField(QStringLiteral("price"), FieldType::Money);
    tblProjectprice->setDisplayLabel(QStringLiteral("Стоимость"));
    tblProjectdatetime_update = p->addField(QStringLiteral("datetime_update"), FieldType::DateTime);
    tblProjectstrYear = p->addLookupField(QStringLiteral("strYear"), 20, QStringLiteral("year_id"), tblYear,
                                          QStringLiteral("year_id"), QStringLiteral("name"));
    tblProjectdescription = p->addField(QStringLiteral("description"), FieldType::Memo);
    tblProjectpath_repository = p->addField(QStringLiteral("path_repository"), FieldType::Text, 255);
    tblProjectisExports = p->addField(QStringLiteral("isExports"), FieldType::Boolean);
    tblProjectisExportsDesc = p->addField(QStringLiteral("isExportsDesc"), FieldType::Boolean);
    tblProjectversion_id = p->addField(QStringLiteral("version_id"), FieldType::Integer);
    tblProjectstrIde = p->addLookupField(QStringLiteral("strIde"), 20, QStringLiteral("version_id"), tblIde,
                                         QStringLiteral("version_id"), QStringLiteral("ide"));

    tblConfigsrepository_ip = tblConfigs->addField(QStringLiteral("repository_ip"), FieldType::Text, 15);
    tblConfigspath_TortoiseSVN = tblConfigs->addField(QStringLiteral("path_TortoiseSVN"), FieldType::Text, 255);

    tblOrdersorder_id = tblOrders->addField(QStringLiteral("order_id"), FieldType::AutoInc);
    tblOrdersproject_id = tblOrders->addField(QStringLiteral("project_id"), FieldType::Integer);
    tblOrdersdate_orders = tblOrders->addField(QStringLiteral("date_orders"), FieldType::DateTime);
    tblOrderssumm = tblOrders->addField(QStringLiteral("summ"), FieldType::Money);
    tblOrderssumm->setDisplayLabel(QStringLiteral("Сумма"));
    tblOrderscomments = tblOrders->addField(QStringLiteral("comments"), FieldType::Text, 255);

    DsCategory = new DataSource(tblCategory, QStringLiteral("DsCategory"), this);
    DsTovar = new DataSource(tblProject, QStringLiteral("DsTovar"), this);
    DsType = new DataSource(tblYear, QStringLiteral("DsType"), this);
    DsConfigs = new DataSource(tblConfigs, QStringLiteral("DsConfigs"), this);
    DsOrders = new DataSource(tblOrders, QStringLiteral("DsOrders"), this);
    DsIde = new DataSource(tblIde, QStringLiteral("DsIde"), this);

    tblOrders->setMaster(tblProject, QStringLiteral("project_id"), QStringLiteral("project_id"));
}

void TDm::defineQueries()
{
    Database *db = ADOConnection;
    sqlStatistic = new QueryDataset(db, QStringLiteral("sqlStatistic"), QString::fromUtf8(kStatisticSql), this);
    sqlStatistic->addField(QStringLiteral("allCountProject"), FieldType::Integer);
    sqlStatistic->addField(QStringLiteral("allPriceProject"), FieldType::Money);
    sqlStatistic->setOverflowSql(QString::fromUtf8(kStatisticOverflowSql));

    sqlStateOrders = new QueryDataset(db, QStringLiteral("sqlStateOrders"),
                                      QString::fromUtf8(m_salesSummary ? kStateOrdersSummarySql : kStateOrdersSql),
                                      this);
    sqlStateOrders->addField(QStringLiteral("allSumm"), FieldType::Money);
    sqlStateOrders->setOverflowSql(QString::fromUtf8(kStateOrdersOverflowSql));

    sqlProjectCat = new QueryDataset(db, QStringLiteral("sqlProjectCat"),
                                     QStringLiteral("SELECT * FROM projects WHERE cat_id = :cat_id"), this);
    sqlProjectCat->params().set(QStringLiteral("cat_id"), QStringLiteral("0"));
    sqlProjectYear = new QueryDataset(db, QStringLiteral("sqlProjectYear"),
                                      QStringLiteral("SELECT * FROM projects WHERE year_id = :yearid"), this);
    sqlProjectYear->params().set(QStringLiteral("yearid"), 0);
    sqlProjectIde = new QueryDataset(db, QStringLiteral("sqlProjectIde"),
                                     QStringLiteral("SELECT * FROM projects WHERE version_id = :version_id"), this);
    sqlProjectIde->params().set(QStringLiteral("version_id"), 0);

    sqlOrdersDelete = new SqlCommand(db, QStringLiteral("sqlOrdersDelete"),
                                     QStringLiteral("DELETE FROM orders WHERE project_id = :project_id"), this);
    sqlOrdersDelete->params().set(QStringLiteral("project_id"), 0);

    sqlProjectRep = new QueryDataset(db, QStringLiteral("sqlProjectRep"), QString::fromUtf8(kProjectRepSql), this);
    sqlProjectRep->params().set(QStringLiteral("project_id"), QStringLiteral("0"));
    Dataset *r = sqlProjectRep;
    r->addField(QStringLiteral("project_id"), FieldType::AutoInc);
    r->addField(QStringLiteral("catName"), FieldType::Text, 50);
    r->addField(QStringLiteral("years"), FieldType::Text, 50);
    r->addField(QStringLiteral("tovName"), FieldType::Text, 100);
    r->addField(QStringLiteral("screenshots"), FieldType::Blob);
    r->addField(QStringLiteral("project_begin"), FieldType::DateTime);
    r->addField(QStringLiteral("project_end"), FieldType::DateTime);
    r->addField(QStringLiteral("price"), FieldType::Money);
    r->addField(QStringLiteral("description"), FieldType::Memo);
    r->addField(QStringLiteral("datetimeupdate"), FieldType::DateTime);
    r->addField(QStringLiteral("path_repository"), FieldType::Text, 255);
    r->addField(QStringLiteral("ide"), FieldType::Text, 25);

    sqlOrdersRep = new QueryDataset(db, QStringLiteral("sqlOrdersRep"), QString::fromUtf8(kOrdersRepSql), this);
    sqlOrdersRep->params().set(QStringLiteral("project_id"), QStringLiteral("0"));
    sqlOrdersRep->addField(QStringLiteral("order_id"), FieldType::AutoInc);
    sqlOrdersRep->addField(QStringLiteral("project_id"), FieldType::Integer);
    sqlOrdersRep->addField(QStringLiteral("date_orders"), FieldType::DateTime);
    sqlOrdersRep->addField(QStringLiteral("comments"), FieldType::Text, 255);
    sqlOrdersRep->addField(QStringLiteral("summ"), FieldType::Money);

    DsStatistic = new DataSource(sqlStatistic, QStringLiteral("DsStatistic"), this);
    DsStateOrders = new DataSource(sqlStateOrders, QStringLiteral("DsStateOrders"), this);
}

void TDm::connectEvents()
{
    connect(tblProject, &Dataset::beforeInsert, this, &TDm::tblProjectBeforeInsert);
    connect(tblProject, &Dataset::afterInsert, this, &TDm::tblProjectAfterInsert);
    connect(tblProject, &Dataset::afterPost, this, &TDm::tblProjectAfterPost);
    connect(tblProject, &Dataset::afterDelete, this, &TDm::tblProjectAfterDelete);
    connect(tblOrders, &Dataset::afterInsert, this, &TDm::tblOrdersAfterInsert);
    connect(tblOrders, &Dataset::afterPost, this, &TDm::tblOrdersAfterPost);
    connect(tblOrders, &Dataset::afterDelete, this, &TDm::tblOrdersAfterDelete);
    connect(tblIde, &Dataset::afterPost, this, &TDm::tblIdeAfterPost);
}

// Rows that refer to others are checked when written, so that another
// user's delete never leaves a project or a sale pointing at nothing.
void TDm::defineIntegrity()
{
    const QString projects = QStringLiteral("projects");
    tblProject->addReference(QStringLiteral("cat_id"), QStringLiteral("category"), QStringLiteral("cat_id"),
                             QStringLiteral("Выбранная категория удалена другим пользователем. "
                                            "Выберите другую категорию."));
    tblProject->addReference(QStringLiteral("year_id"), QStringLiteral("years"), QStringLiteral("year_id"),
                             QStringLiteral("Выбранный год разработки удалён другим пользователем. "
                                            "Выберите другой год."));
    tblProject->addReference(QStringLiteral("version_id"), QStringLiteral("ide"), QStringLiteral("version_id"),
                             QStringLiteral("Выбранная версия IDE удалена другим пользователем. "
                                            "Выберите другую версию."));
    tblOrders->addReference(QStringLiteral("project_id"), projects, QStringLiteral("project_id"),
                            QStringLiteral("Проект удалён другим пользователем: продажу сохранить нельзя."));
    tblCategory->addDependent(projects, QStringLiteral("cat_id"),
                              QStringLiteral("Нельзя удалить категорию с проектами: другой пользователь "
                                             "добавил в неё проект."));
    tblYear->addDependent(projects, QStringLiteral("year_id"),
                          QStringLiteral("Нельзя удалить год, так как он используется в проектах: другой "
                                         "пользователь добавил проект с этим годом."));
    tblIde->addDependent(projects, QStringLiteral("version_id"),
                         QStringLiteral("Нельзя удалить IDE, так как он используется в проектах: другой "
                                        "пользователь добавил проект с этой версией."));
}

void TDm::watchChanges()
{
    const QString projects = QStringLiteral("projects"), orders = QStringLiteral("orders");
    for (TableDataset *t : {tblCategory, tblYear, tblIde, tblConfigs, tblProject, tblOrders})
        m_liveDatasets.append({t, t->table()});
    m_liveDatasets.append({sqlStatistic, projects});
    m_liveDatasets.append({sqlStateOrders, orders});
    ADOConnection->setChangeHandler([this](const QStringList &tables) { refreshTables(tables); });
    m_changeTimer = new QTimer(this);
    m_changeTimer->setObjectName(QStringLiteral("changeTimer"));
    m_changeTimer->setInterval(ChangeCheckInterval);
    connect(m_changeTimer, &QTimer::timeout, this, [this] {
        // After a failed look the timer lets a few ticks pass: a database
        // that can't be reached may hold each look for its whole timeout.
        if (m_skipTicks > 0)
            --m_skipTicks;
        else if (!checkForChanges())
            m_skipTicks = 9;
    });
    m_changeTimer->start();
}

bool TDm::checkForChanges()
{
    if (m_checking)
        return true;
    const QScopedValueRollback<bool> checking(m_checking, true);
    try {
        ADOConnection->pollChanges();
        // Lists that could not be read after a refused command.
        for (const auto &entry : std::as_const(m_liveDatasets))
            if (entry.first->isResyncPending())
                entry.first->resync();
    } catch (const DataError &) {
        // Nobody asked for this look: a locked or lost connection shows on
        // the user's next command, and a later look tries again.
        return false;
    }
    return true;
}

// An empty list: the engine can't tell which tables changed.
void TDm::refreshTables(const QStringList &tables)
{
    for (const auto &[dataset, table] : std::as_const(m_liveDatasets))
        if (tables.isEmpty() || tables.contains(table))
            dataset->resync();
    emit tablesChanged(tables);
}

void TDm::tablesWritten(const QStringList &tables)
{
    refreshTables(tables);
}

// Old entries go at start-up; a catalogue another program holds keeps them
// until the next start.
void TDm::purgeBin()
{
    if (!m_trail || ADOConnection->isReadOnly())
        return;
    try {
        RecycleBin::purge(*ADOConnection, Clock::now());
    } catch (const DataError &) {
    }
}

// A file another program holds can't be read now: the dataset shows what it
// held, and the next look reads it again.
void TDm::reopen(Dataset *ds)
{
    ds->refresh();
}

void TDm::DataModuleCreate()
{
    isCopy = false;
}

void TDm::tblProjectBeforeInsert()
{
    if (!isCopy)
        return;
    CopyBuffer b;
    b.cat_id = tblProjectcat_id->asInteger();
    b.year_id = tblProjectyear_id->asInteger();
    b.tovName = tblProjecttovName->asString();
    b.project_begin = tblProjectproject_begin->asDateTime();
    b.project_end = tblProjectproject_end->asDateTime();
    b.price = tblProjectprice->asMoney();
    b.datetime_update = tblProjectdatetime_update->asDateTime();
    b.description = tblProjectdescription->asString();
    b.path_repository = tblProjectpath_repository->asString();
    b.isExports = tblProjectisExports->asBoolean();
    b.isExportsDesc = tblProjectisExportsDesc->asBoolean();
    copyBuffer = b;
}

void TDm::tblProjectAfterInsert()
{
    if (isCopy) {
        const CopyBuffer &b = copyBuffer;
        tblProjectcat_id->setAsInteger(b.cat_id);
        tblProjectyear_id->setAsInteger(b.year_id);
        tblProjecttovName->setAsString(b.tovName + QStringLiteral(" (копия)"));
        // An empty date of the source stays empty in the copy.
        tblProjectproject_begin->setAsDateTime(b.project_begin);
        tblProjectproject_end->setAsDateTime(b.project_end);
        tblProjectprice->setAsMoney(b.price);
        tblProjectdatetime_update->setAsDateTime(b.datetime_update);
        tblProjectdescription->setAsString(b.description);
        tblProjectpath_repository->setAsString(b.path_repository);
        tblProjectisExports->setAsBoolean(b.isExports);
        tblProjectisExportsDesc->setAsBoolean(b.isExportsDesc);
        isCopy = false;
        return;
    }
    tblYear->last();
    tblProjectcat_id->setAsInteger(tblCategorycat_id->asInteger());
    tblProjectyear_id->setAsInteger(tblYearyear_id->asInteger());
    tblProjectproject_begin->setAsString(todayText());
    tblProjectprice->setAsMoney(Money());
    tblProjectisExports->setAsBoolean(true);
    tblProjectisExportsDesc->setAsBoolean(false);
}

void TDm::tblProjectAfterPost()
{
    reopen(sqlStatistic);
}

void TDm::tblProjectAfterDelete()
{
    reopen(sqlStatistic);
    reopen(sqlStateOrders);
}

void TDm::tblOrdersAfterInsert()
{
    tblOrdersdate_orders->setAsString(todayText());
    tblOrderssumm->setAsMoney(tblProjectprice->asMoney());
}

void TDm::tblOrdersAfterPost()
{
    reopen(sqlStateOrders);
}

void TDm::tblOrdersAfterDelete()
{
    reopen(sqlStateOrders);
}

void TDm::tblIdeAfterPost()
{
    tblIde->setSort(QStringLiteral("ide ASC"));
}

void TDm::deleteProjectWithOrders()
{
    const int key = tblProjectproject_id->asInteger();
    const int recNo = tblProject->recNo();
    // The sales and the project go together or not at all.
    try {
        ADOConnection->transaction([&] {
            sqlOrdersDelete->params().set(QStringLiteral("project_id"), key);
            sqlOrdersDelete->execute();
            tblProject->remove();
        });
    } catch (...) {
        // Rolled back: the list and the totals show again what the file holds,
        // the project on the row it stood on. A file that can't be read now
        // (held by another program) is waited for once; the lists keep what
        // they show and the next look reads them.
        try {
            tblProject->refresh();
            tblProject->setRecNo(recNo);
            sqlStatistic->refresh();
            sqlStateOrders->refresh();
        } catch (const DataError &) {
            for (Dataset *ds : {static_cast<Dataset *>(tblProject), static_cast<Dataset *>(sqlStatistic),
                                static_cast<Dataset *>(sqlStateOrders)})
                ds->readAgainLater();
        }
        throw;
    }
}

void TDm::reloadAll()
{
    // The reference books first, so the lookups of the projects read them.
    const QList<Dataset *> all = {tblCategory, tblYear, tblIde, tblConfigs, tblProject,
                                  tblOrders, sqlStatistic, sqlStateOrders};
    for (Dataset *ds : all)
        if (ds->isEditing())
            ds->cancel();
    for (Dataset *ds : all)
        if (ds->isActive())
            ds->refresh();
}

QString TDm::backupSource() const
{
    return ADOConnection->isFile() ? ADOConnection->path() : QString();
}
