#include "import/LegacyRepairsDialog.h"

#include "import/LegacyQuestion.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

LegacyRepairsDialog::LegacyRepairsDialog(const QString &file, const QVector<LegacyProblem> &problems,
                                         QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgLegacyRepairs"));
    setWindowTitle(legacyCaption());
    lblProblems = new QLabel(
        QStringLiteral("В базе «%1» есть строки, которые правила каталога не принимают (%2). Их можно перенести "
                       "с исправлениями, описанными в последнем столбце; исправления будут записаны и в текстовый "
                       "файл рядом с каталогом. Или остановить перенос: тогда ничего не изменится.")
            .arg(QFileInfo(file).fileName()).arg(problems.size()),
        this);
    lblProblems->setObjectName(QStringLiteral("lblProblems"));
    lblProblems->setWordWrap(true);

    gridProblems = new QTableWidget(int(problems.size()), 6, this);
    gridProblems->setObjectName(QStringLiteral("gridProblems"));
    gridProblems->setHorizontalHeaderLabels({QStringLiteral("Таблица"), QStringLiteral("Код"), QStringLiteral("Поле"),
                                             QStringLiteral("Значение"), QStringLiteral("Правило"),
                                             QStringLiteral("Исправление")});
    gridProblems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridProblems->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridProblems->verticalHeader()->hide();
    for (int row = 0; row < problems.size(); ++row) {
        const LegacyProblem &p = problems[row];
        const QStringList cells{p.table, p.key, p.column, p.value, p.rule, p.repair};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            item->setToolTip(cells[column]);
            gridProblems->setItem(row, column, item);
        }
    }
    gridProblems->setWordWrap(true);
    gridProblems->resizeColumnsToContents();
    gridProblems->horizontalHeader()->setSectionResizeMode(5, QHeaderView::Stretch);
    gridProblems->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lblProblems->setBuddy(gridProblems);

    auto *buttons = new QDialogButtonBox(this);
    BtnRepair = buttons->addButton(QStringLiteral("Перенести с исправлениями"), QDialogButtonBox::AcceptRole);
    BtnRepair->setObjectName(QStringLiteral("BtnRepair"));
    BtnStop = buttons->addButton(QStringLiteral("Остановить"), QDialogButtonBox::RejectRole);
    BtnStop->setObjectName(QStringLiteral("BtnStop"));
    BtnStop->setDefault(true); // Enter changes nothing
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblProblems);
    layout->addWidget(gridProblems, 1);
    layout->addWidget(buttons);
    resize(900, 420);
}
