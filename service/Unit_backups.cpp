#include "service/Unit_backups.h"

#include "app/Messages.h"
#include "app/Progress.h"
#include "app/Seams.h"
#include "data/backup/BackupJob.h"
#include "data/module/UnitDM.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

TfrmBackups *frmBackups = nullptr;

namespace {

const QString Caption = QStringLiteral("Резервные копии");
const qint64 MegaByte = 1024 * 1024;
const QString MadeFormat = QStringLiteral("dd.MM.yyyy HH:mm:ss");

QString kindText(Backup::Kind kind)
{
    switch (kind) {
    case Backup::Kind::Manual:
        return QStringLiteral("вручную");
    case Backup::Kind::BeforeRestore:
        return QStringLiteral("перед восстановлением");
    default:
        return QStringLiteral("ежедневная");
    }
}

QPushButton *button(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QString sizeText(qint64 bytes)
{
    if (bytes < MegaByte)
        return QLocale().toString((bytes + 1023) / 1024) + QStringLiteral(" КБ");
    return QLocale().toString(double(bytes) / MegaByte, 'f', 1) + QStringLiteral(" МБ");
}

QTableWidgetItem *cell(const QString &text, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

// Megabytes for the progress dialog, rounded up so a small file shows 1 of 1.
qint64 megabytes(qint64 bytes)
{
    return (bytes + MegaByte - 1) / MegaByte;
}

} // namespace

TfrmBackups::TfrmBackups(QWidget *parent)
    : ModalWindow(Caption, parent), m_job(std::make_unique<BackupJob>()), m_poll(new QTimer(this))
{
    setObjectName(QStringLiteral("frmBackups"));
    setWindowFrame(this, QSize(560, 380), WindowBorder::Sizeable);
    setFont(programFont());

    lblInfo = new QLabel(this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setWordWrap(true);

    gridCopies = new QTableWidget(0, 5, this);
    gridCopies->setObjectName(QStringLiteral("gridCopies"));
    gridCopies->setHorizontalHeaderLabels({QStringLiteral("Дата"), QStringLiteral("Вид"), QStringLiteral("Размер"),
                                           QStringLiteral("Проектов"), QStringLiteral("Продаж")});
    gridCopies->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    gridCopies->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    gridCopies->verticalHeader()->hide();
    gridCopies->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    gridCopies->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridCopies->setSelectionMode(QAbstractItemView::SingleSelection);
    gridCopies->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lblInfo->setBuddy(gridCopies);

    btnCreate = button(this, "btnCreate", QStringLiteral("Создать копию"));
    btnRestore = button(this, "btnRestore", QStringLiteral("Восстановить"));
    btnClose = button(this, "btnClose", QStringLiteral("Закрыть"));
    connect(btnCreate, &QPushButton::clicked, this, [this] { btnCreateClick(btnCreate); });
    connect(btnRestore, &QPushButton::clicked, this, [this] { btnRestoreClick(btnRestore); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(btnClose); });
    connect(gridCopies, &QTableWidget::itemSelectionChanged, this, &TfrmBackups::updateButtons);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnCreate);
    buttons->addWidget(btnRestore);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblInfo);
    layout->addWidget(gridCopies, 1);
    layout->addLayout(buttons);

    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, &TfrmBackups::pollJob);
    connect(m_job.get(), &BackupJob::finished, this, &TfrmBackups::jobFinished);
}

TfrmBackups::~TfrmBackups() = default;

void TfrmBackups::bindData() {}

void TfrmBackups::showEvent(QShowEvent *event)
{
    ModalWindow::showEvent(event);
    FormShow();
}

void TfrmBackups::FormShow()
{
    refreshList();
}

void TfrmBackups::refreshList()
{
    const QString source = Dm->backupSource();
    const bool onFile = !source.isEmpty();
    gridCopies->setVisible(onFile);
    btnCreate->setVisible(onFile);
    btnRestore->setVisible(onFile);
    m_copies.clear();
    gridCopies->setRowCount(0);
    if (!onFile) {
        lblInfo->setText(QStringLiteral("База данных находится на сервере: её резервные копии делает сервер."));
        return;
    }
    lblInfo->setText(QStringLiteral("Копии базы данных в папке %1 (хранятся последние %2 ежедневных, "
                                    "%3 сделанных вручную и %4 сделанных перед восстановлением):")
                         .arg(QDir::toNativeSeparators(Backup::folderOf(source)))
                         .arg(Backup::limit(Backup::Kind::Daily))
                         .arg(Backup::limit(Backup::Kind::Manual))
                         .arg(Backup::limit(Backup::Kind::BeforeRestore)));
    m_copies = Backup::list(source);
    gridCopies->setRowCount(int(m_copies.size()));
    const QLocale locale;
    for (int row = 0; row < m_copies.size(); ++row) {
        const Backup::Copy &c = m_copies[row];
        gridCopies->setItem(row, 0, cell(c.made.toString(MadeFormat)));
        gridCopies->setItem(row, 1, cell(kindText(c.kind)));
        gridCopies->setItem(row, 2, cell(sizeText(c.size), Qt::AlignRight));
        if (c.isUsable()) {
            gridCopies->setItem(row, 3, cell(locale.toString(c.projects), Qt::AlignRight));
            gridCopies->setItem(row, 4, cell(locale.toString(c.orders), Qt::AlignRight));
        } else {
            auto *bad = cell(QStringLiteral("повреждена"));
            bad->setToolTip(c.problem);
            gridCopies->setItem(row, 3, bad);
            gridCopies->setSpan(row, 3, 1, 2);
        }
    }
    if (!m_copies.isEmpty())
        gridCopies->selectRow(0);
    updateButtons();
}

bool TfrmBackups::isBusy() const
{
    return m_job->isRunning();
}

void TfrmBackups::updateButtons()
{
    btnCreate->setEnabled(!isBusy());
    btnRestore->setEnabled(!isBusy() && !gridCopies->selectionModel()->selectedRows().isEmpty());
}

void TfrmBackups::startAutomaticBackup()
{
    const QString source = Dm ? Dm->backupSource() : QString();
    if (source.isEmpty() || isBusy())
        return;
    m_job->start([source](const Backup::ProgressFn &progress) { return Backup::makeIfDue(source, progress); });
    updateButtons();
}

void TfrmBackups::finishWork()
{
    m_job->wait(-1);
}

void TfrmBackups::btnCreateClick(QObject *)
{
    const QString source = Dm->backupSource();
    if (source.isEmpty() || isBusy())
        return;
    // The program stays usable while the copy is made; the dialog only shows and cancels it.
    m_progress = startProgress(this, QStringLiteral("Создание резервной копии…"), QStringLiteral("МБ"),
                               Qt::NonModal);
    m_job->start([source](const Backup::ProgressFn &progress) {
        return Backup::make(source, Backup::Kind::Manual, progress);
    });
    m_poll->start();
    updateButtons();
}

void TfrmBackups::pollJob()
{
    if (m_progress && !m_progress->step(megabytes(m_job->done()), megabytes(m_job->total())))
        m_job->cancel();
}

void TfrmBackups::jobFinished()
{
    m_poll->stop();
    const bool asked = m_progress != nullptr;
    m_progress.reset();
    // The daily copy runs unasked, maybe with this window closed: its failure
    // is told over the main window.
    QWidget *over = isVisible() ? this : parentWidget();
    if (!m_job->error().isEmpty())
        showStandardError(over, asked ? m_job->error()
                                      : QStringLiteral("Ежедневная резервная копия не сделана.\n") + m_job->error());
    else if (asked && !m_job->result().isEmpty())
        showNotice(over, Caption, QStringLiteral("Резервная копия создана: %1")
                                      .arg(QDir::toNativeSeparators(m_job->result())));
    if (isVisible())
        refreshList();
    updateButtons();
}

void TfrmBackups::btnRestoreClick(QObject *)
{
    const QModelIndexList selected = gridCopies->selectionModel()->selectedRows();
    const QString source = Dm->backupSource();
    if (selected.isEmpty() || source.isEmpty() || isBusy())
        return;
    const Backup::Copy chosen = m_copies.value(selected.first().row());
    if (!chosen.isUsable()) {
        showNotice(this, Caption,
                   QStringLiteral("Копия не является базой данных программы и не может быть восстановлена.\n%1")
                       .arg(chosen.problem));
        return;
    }
    const QLocale locale;
    const QString described = QStringLiteral("копией от %1 (проектов: %2, продаж: %3)")
                                  .arg(chosen.made.toString(MadeFormat), locale.toString(chosen.projects),
                                       locale.toString(chosen.orders));
    const QString question = QStringLiteral("Заменить данные программы %1?\n"
                                            "Перед заменой будет сделана копия текущих данных.")
                                 .arg(described);
    if (!seams().question(this, Caption, question))
        return;

    // The data under every window is replaced: nothing else may run meanwhile.
    BackupJob job;
    auto progress = startProgress(this, QStringLiteral("Восстановление из резервной копии…"),
                                  QStringLiteral("МБ"), Qt::ApplicationModal);
    const QString copyPath = chosen.path;
    job.start([source, copyPath](const Backup::ProgressFn &p) { return Backup::restore(source, copyPath, p); });
    while (!job.wait(20))
        if (!progress->step(megabytes(job.done()), megabytes(job.total())))
            job.cancel();
    progress.reset();
    if (!job.error().isEmpty()) {
        showStandardError(this, job.error());
    } else if (!job.result().isEmpty()) {
        Dm->reloadAll();
        showNotice(this, Caption,
                   QStringLiteral("Данные программы заменены %1.\nПрежние данные сохранены в копии %2.")
                       .arg(described, QDir::toNativeSeparators(job.result())));
    }
    refreshList();
}

void TfrmBackups::btnCloseClick(QObject *)
{
    close();
}
