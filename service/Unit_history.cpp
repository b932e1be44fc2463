#include "service/Unit_history.h"

#include "service/HistoryModel.h"

#include "data/core/Clock.h"
#include "data/core/DataError.h"
#include "data/module/UnitDM.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

TfrmHistory *frmHistory = nullptr;

// The users are read once the list is about to be used, not at each opening
// of the window nor at each commit: naming them walks the whole history.
class UsersBox : public QComboBox
{
public:
    UsersBox(std::function<void()> read, QWidget *parent) : QComboBox(parent), m_read(std::move(read)) {}
    void setStale() { m_stale = true; }
    void showPopup() override
    {
        freshen();
        QComboBox::showPopup();
    }

protected:
    // The box takes the focus as the window opens: keys, not the focus, read.
    void keyPressEvent(QKeyEvent *event) override
    {
        freshen();
        QComboBox::keyPressEvent(event);
    }
    void wheelEvent(QWheelEvent *event) override
    {
        freshen();
        QComboBox::wheelEvent(event);
    }

private:
    void freshen()
    {
        if (!m_stale)
            return;
        m_stale = false;
        m_read();
    }

    std::function<void()> m_read;
    bool m_stale = true;
};

namespace {

const QString Caption = QStringLiteral("История изменений");

QDateEdit *dateEdit(QWidget *parent, const char *name)
{
    auto *edit = new QDateEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    edit->setCalendarPopup(true);
    edit->setDate(Clock::today());
    return edit;
}

QLabel *labelFor(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

QVariant cell(const History::Change &c, int column)
{
    switch (column) {
    case 0: {
        const QDateTime at = QDateTime::fromString(c.changedAt, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        return at.isValid() ? at.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : c.changedAt;
    }
    case 1:
        return c.changedBy;
    case 2:
        return c.what();
    case 3:
        return c.actionText();
    case 4:
        return c.fieldText();
    case 5:
        return c.shown(c.oldValue);
    default:
        return c.shown(c.newValue);
    }
}

QTableView *historyGrid(QWidget *parent, QAbstractItemModel *model)
{
    QTableView *grid = listGrid(parent, "gridHistory", model);
    grid->setWordWrap(false);
    const int digit = grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (const auto &[column, digits] : {std::pair{0, 20}, {1, 12}, {2, 34}, {3, 16}, {4, 20}, {5, 18}})
        grid->setColumnWidth(column, digits * digit);
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

} // namespace

TfrmHistory::TfrmHistory(QWidget *parent) : ModalWindow(Caption, parent)
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowFrame(this, QSize(1000, 480), WindowBorder::Sizeable);
    setFont(programFont());

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    cmbUser = m_users = new UsersBox([this] { readUsers(); }, this);
    cmbUser->addItem(QStringLiteral("Все"), QString());
    cmbUser->setObjectName(QStringLiteral("cmbUser"));
    chkPeriod = new QCheckBox(QStringLiteral("&За период с"), this);
    chkPeriod->setObjectName(QStringLiteral("chkPeriod"));
    dtFrom = dateEdit(this, "dtFrom");
    dtFrom->setDate(Clock::today().addMonths(-1));
    dtTo = dateEdit(this, "dtTo");
    cmbTable = new QComboBox(this);
    cmbTable->setObjectName(QStringLiteral("cmbTable"));
    cmbTable->addItem(QStringLiteral("Все"), QString());
    for (const auto &[name, text] : History::tables())
        cmbTable->addItem(text, name);
    editText = new QLineEdit(this);
    editText->setObjectName(QStringLiteral("editText"));
    editText->setClearButtonEnabled(true);
    m_model = new HistoryModel({QStringLiteral("Когда"), QStringLiteral("Кто"), QStringLiteral("Что"),
                                QStringLiteral("Действие"), QStringLiteral("Поле"), QStringLiteral("Было"),
                                QStringLiteral("Стало")},
                               cell, this);
    m_model->setOnRead([this] { showInfo(); });
    gridHistory = historyGrid(this, m_model);
    btnClose = new QPushButton(QStringLiteral("Закрыть"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setAutoDefault(false);
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(btnClose); });

    auto *filters = new QHBoxLayout;
    filters->addWidget(labelFor(this, QStringLiteral("&Пользователь:"), cmbUser));
    filters->addWidget(cmbUser);
    filters->addWidget(chkPeriod);
    filters->addWidget(dtFrom);
    filters->addWidget(labelFor(this, QStringLiteral("по"), dtTo));
    filters->addWidget(dtTo);
    filters->addWidget(labelFor(this, QStringLiteral("&Таблица:"), cmbTable));
    filters->addWidget(cmbTable);
    filters->addWidget(labelFor(this, QStringLiteral("Т&екст:"), editText));
    filters->addWidget(editText, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblInfo, 1);
    bottom->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(gridHistory, 1);
    layout->addLayout(bottom);

    // Text is looked for once the typing pauses, not at every key.
    m_typing = new QTimer(this);
    m_typing->setSingleShot(true);
    m_typing->setInterval(300);
    connect(m_typing, &QTimer::timeout, this, &TfrmHistory::refreshList);
    connect(editText, &QLineEdit::textChanged, m_typing, qOverload<>(&QTimer::start));
    connect(cmbUser, &QComboBox::currentIndexChanged, this, &TfrmHistory::refreshList);
    connect(cmbTable, &QComboBox::currentIndexChanged, this, &TfrmHistory::refreshList);
    connect(chkPeriod, &QCheckBox::toggled, this, &TfrmHistory::refreshList);
    connect(dtFrom, &QDateEdit::dateChanged, this, &TfrmHistory::refreshList);
    connect(dtTo, &QDateEdit::dateChanged, this, &TfrmHistory::refreshList);
}

void TfrmHistory::bindData()
{
    // Other users' changes show while the window is open.
    connect(Dm, &TDm::tablesChanged, this, [this](const QStringList &tables) {
        if (!isVisible())
            return;
        static const QStringList recorded{QStringLiteral("trail_history"), QStringLiteral("projects"),
                                          QStringLiteral("orders"),        QStringLiteral("category"),
                                          QStringLiteral("years"),         QStringLiteral("ide")};
        for (const QString &t : tables.isEmpty() ? recorded : tables)
            if (recorded.contains(t)) {
                m_users->setStale();
                followList();
                return;
            }
    });
}

const QList<History::Change> &TfrmHistory::changes() const
{
    return m_model->rows();
}

void TfrmHistory::showFor(qint64 projectId, const QString &projectName)
{
    m_projectId = projectId;
    setWindowTitle(projectId == 0 ? Caption : QStringLiteral("%1: проект «%2»").arg(Caption, projectName));
    // A user chosen before may have no entries of this project; a
    // project's users are read by its index, the whole catalogue's only as
    // the list opens.
    if (projectId != 0)
        readUsers();
    else
        m_users->setStale();
    refreshList();
    show();
    raise();
    activateWindow();
}

void TfrmHistory::readUsers()
{
    const QSignalBlocker blocker(cmbUser);
    const QString chosen = cmbUser->currentData().toString();
    cmbUser->clear();
    cmbUser->addItem(QStringLiteral("Все"), QString());
    if (Dm->hasTrail()) {
        try {
            for (const QString &user : History::users(*Dm->ADOConnection, m_projectId))
                cmbUser->addItem(user, user);
        } catch (const DataError &) {
            // The list says why.
        }
    }
    cmbUser->setCurrentIndex(std::max(0, cmbUser->findData(chosen)));
}

History::Filter TfrmHistory::filter() const
{
    History::Filter f;
    f.projectId = m_projectId;
    f.user = cmbUser->currentData().toString();
    if (chkPeriod->isChecked()) {
        f.from = dtFrom->date();
        f.to = dtTo->date();
    }
    f.table = cmbTable->currentData().toString();
    f.text = editText->text().trimmed();
    return f;
}

qint64 TfrmHistory::rowsRead() const
{
    return m_model->rowsRead();
}

void TfrmHistory::setPageSize(int rows)
{
    m_model->setPageSize(rows);
}

void TfrmHistory::refreshList()
{
    m_typing->stop();
    m_model->open(Dm->hasTrail() ? Dm->ADOConnection : nullptr, filter());
}

// Other writers' entries go on top; rows the user scrolled to stay in view.
void TfrmHistory::followList()
{
    const QPersistentModelIndex top = gridHistory->indexAt(QPoint(0, 0));
    const bool atTop = !top.isValid() || top.row() == 0;
    m_model->follow();
    if (!atTop && top.isValid())
        gridHistory->scrollTo(top, QAbstractItemView::PositionAtTop);
}

void TfrmHistory::showInfo()
{
    const int shown = m_model->rowCount();
    if (!Dm->hasTrail())
        lblInfo->setText(QStringLiteral("Истории изменений в этом каталоге нет: он открыт только для чтения."));
    else if (!m_model->error().isEmpty())
        lblInfo->setText(m_model->error());
    else if (!m_model->allRead())
        lblInfo->setText(
            QStringLiteral("Прочитано изменений: %1; более ранние читаются при прокрутке вниз.").arg(shown));
    else
        lblInfo->setText(shown == 0 ? QStringLiteral("Изменений нет.") : QStringLiteral("Изменений: %1.").arg(shown));
}

void TfrmHistory::btnCloseClick(QObject *)
{
    close();
}
