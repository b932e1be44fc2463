#include "import/CsvImportDialog.h"

#include "app/Messages.h"
#include "app/NamedControls.h"
#include "app/Progress.h"
#include "app/Seams.h"
#include "data/core/DataError.h"
#include "data/module/UnitDM.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

using controls::button;
using controls::named;

namespace {

const QString Caption = QStringLiteral("Импорт из CSV");

QComboBox *choice(const char *name, QWidget *parent, const QList<QPair<QString, QVariant>> &items)
{
    auto *box = named<QComboBox>(name, parent);
    for (const auto &item : items)
        box->addItem(item.first, item.second);
    return box;
}

void select(QComboBox *box, const QVariant &value)
{
    const int index = box->findData(value);
    if (index >= 0)
        box->setCurrentIndex(index);
}

// A cell as the preview shows it: a line break as a visible mark, so a row stays one line.
QTableWidgetItem *previewItem(const QString &text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("⏎")).replace(QLatin1Char('\n'), QStringLiteral("⏎"));
    shown.replace(QLatin1Char('\r'), QStringLiteral("⏎"));
    auto *item = new QTableWidgetItem(shown);
    item->setToolTip(text);
    return item;
}

} // namespace

CsvImportDialog::CsvImportDialog(CsvKind kind, const QString &fileName, const QByteArray &bytes, QWidget *parent)
    : QDialog(parent), m_kind(kind), m_bytes(bytes)
{
    setObjectName(QStringLiteral("frmCsvImport"));
    setWindowTitle(kind == CsvKind::Projects ? QStringLiteral("Импорт проектов из CSV")
                                             : QStringLiteral("Импорт продаж из CSV"));
    lblFile = named<QLabel>("lblFile", this);
    lblFile->setText(QStringLiteral("Файл: %1").arg(QDir::toNativeSeparators(fileName)));
    lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);

    gridPreview = named<QTableWidget>("gridPreview", this);
    gridPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridPreview->setSelectionMode(QAbstractItemView::NoSelection);
    gridPreview->verticalHeader()->setDefaultSectionSize(gridPreview->fontMetrics().height() + 10);
    auto *lblPreview = new QLabel(QStringLiteral("&Первые строки файла, как они будут прочитаны, и поле каждого столбца:"), this);
    lblPreview->setBuddy(gridPreview);

    gridProblems = named<QTableWidget>("gridProblems", this);
    gridProblems->setColumnCount(4);
    gridProblems->setHorizontalHeaderLabels({QStringLiteral("Строка"), QStringLiteral("Столбец"),
                                             QStringLiteral("Значение"), QStringLiteral("Причина")});
    gridProblems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridProblems->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridProblems->verticalHeader()->hide();
    gridProblems->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    lblProblems = named<QLabel>("lblProblems", this);
    lblProblems->setWordWrap(true);
    lblProblems->setBuddy(gridProblems);

    btnCheck = button("btnCheck", QStringLiteral("Проверить"), this);
    btnImport = button("btnImport", QStringLiteral("Импортировать"), this);
    btnClose = button("btnClose", QStringLiteral("Закрыть"), this);
    connect(btnCheck, &QPushButton::clicked, this, &CsvImportDialog::btnCheckClick);
    connect(btnImport, &QPushButton::clicked, this, &CsvImportDialog::btnImportClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnCheck);
    buttons->addWidget(btnImport);
    buttons->addWidget(btnClose);

    auto *top = new QHBoxLayout;
    top->addWidget(createFormatArea());
    top->addWidget(createOptionsArea(), 1, Qt::AlignTop);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblFile);
    layout->addLayout(top);
    layout->addWidget(lblPreview);
    layout->addWidget(gridPreview, 3);
    layout->addWidget(lblProblems);
    layout->addWidget(gridProblems, 2);
    layout->addLayout(buttons);
    resize(1100, 720);

    m_format = CsvImport::guessFormat(bytes);
    showFormat(m_format);
    guessColumns();
    fillPreview();
    invalidate();
}

// The columns' fields from the titles, and sales matched by the name when
// the file has no project code.
void CsvImportDialog::guessColumns()
{
    m_columns = CsvImport::guessColumns(m_kind, m_bytes, m_format);
    if (m_columns.contains(CsvField::ProjectCode) || m_columns.contains(CsvField::Name)) {
        const QSignalBlocker block(cbMatch);
        select(cbMatch, m_columns.contains(CsvField::ProjectCode));
    }
}

CsvImportDialog::~CsvImportDialog() = default;

QWidget *CsvImportDialog::createFormatArea()
{
    auto *box = new QGroupBox(QStringLiteral("Формат файла"), this);
    cbEncoding = choice("cbEncoding", box,
                        {{QStringLiteral("UTF-8 (с меткой BOM или без)"), int(CsvFormat::Encoding::Utf8)},
                         {QStringLiteral("Windows-1251"), int(CsvFormat::Encoding::Windows1251)}});
    cbSeparator = choice("cbSeparator", box,
                         {{QStringLiteral("точка с запятой (;)"), QStringLiteral(";")},
                          {QStringLiteral("запятая (,)"), QStringLiteral(",")},
                          {QStringLiteral("табуляция"), QStringLiteral("\t")}});
    cbDecimal = choice("cbDecimal", box,
                       {{QStringLiteral("запятая (1234,56)"), QStringLiteral(",")},
                        {QStringLiteral("точка (1234.56)"), QStringLiteral(".")}});
    cbThousands = choice("cbThousands", box,
                         {{QStringLiteral("нет (1234)"), int(CsvFormat::Thousands::None)},
                          {QStringLiteral("пробел (1 234)"), int(CsvFormat::Thousands::Space)},
                          {QStringLiteral("неразрывный пробел"), int(CsvFormat::Thousands::NoBreakSpace)}});
    cbDateForm = choice("cbDateForm", box,
                        {{QStringLiteral("дд.мм.гггг"), int(CsvFormat::DateForm::DayMonthYear)},
                         {QStringLiteral("дд.мм.гг"), int(CsvFormat::DateForm::DayMonthShortYear)},
                         {QStringLiteral("гггг-мм-дд"), int(CsvFormat::DateForm::Iso)}});
    chkTitles = named<QCheckBox>("chkTitles", box);
    chkTitles->setText(QStringLiteral("Первая строка содержит заголовки столбцов"));

    auto *form = new QFormLayout(box);
    form->addRow(QStringLiteral("&Кодировка:"), cbEncoding);
    form->addRow(QStringLiteral("&Разделитель полей:"), cbSeparator);
    form->addRow(QStringLiteral("&Десятичный знак:"), cbDecimal);
    form->addRow(QStringLiteral("Разделитель &тысяч:"), cbThousands);
    form->addRow(QStringLiteral("Формат &даты:"), cbDateForm);
    form->addRow(chkTitles);
    for (QComboBox *c : {cbEncoding, cbSeparator, cbDecimal, cbThousands, cbDateForm})
        connect(c, &QComboBox::currentIndexChanged, this, &CsvImportDialog::formatChanged);
    connect(chkTitles, &QCheckBox::toggled, this, &CsvImportDialog::formatChanged);
    return box;
}

QWidget *CsvImportDialog::createOptionsArea()
{
    auto *box = new QGroupBox(QStringLiteral("Импорт"), this);
    auto *form = new QFormLayout(box);
    cbExisting = choice("cbExisting", box,
                        {{QStringLiteral("пропустить его"), false}, {QStringLiteral("обновить его поля из файла"), true}});
    cbMatch = choice("cbMatch", box,
                     {{QStringLiteral("по коду проекта"), true}, {QStringLiteral("по названию проекта"), false}});
    if (m_kind == CsvKind::Projects) {
        form->addRow(QStringLiteral("Проект с таким &названием уже есть:"), cbExisting);
        cbMatch->hide();
        auto *note = new QLabel(QStringLiteral("Категории, годы разработки и версии IDE ищутся по названию; "
                                               "тех, которых нет, программа предложит создать."),
                                box);
        note->setWordWrap(true);
        form->addRow(note);
    } else {
        form->addRow(QStringLiteral("&Проект продажи искать:"), cbMatch);
        cbExisting->hide();
    }
    connect(cbExisting, &QComboBox::currentIndexChanged, this, &CsvImportDialog::invalidate);
    connect(cbMatch, &QComboBox::currentIndexChanged, this, &CsvImportDialog::invalidate);
    return box;
}

void CsvImportDialog::showFormat(const CsvFormat &format)
{
    const QSignalBlocker blocks[] = {QSignalBlocker(cbEncoding), QSignalBlocker(cbSeparator),
                                     QSignalBlocker(cbDecimal), QSignalBlocker(cbThousands),
                                     QSignalBlocker(cbDateForm), QSignalBlocker(chkTitles)};
    select(cbEncoding, int(format.encoding));
    select(cbSeparator, QString(format.separator));
    select(cbDecimal, QString(format.decimal));
    select(cbThousands, int(format.thousands));
    select(cbDateForm, int(format.dateForm));
    chkTitles->setChecked(format.titles);
}

CsvFormat CsvImportDialog::chosenFormat() const
{
    CsvFormat f;
    f.encoding = CsvFormat::Encoding(cbEncoding->currentData().toInt());
    f.separator = cbSeparator->currentData().toString().at(0);
    f.decimal = cbDecimal->currentData().toString().at(0);
    f.thousands = CsvFormat::Thousands(cbThousands->currentData().toInt());
    f.dateForm = CsvFormat::DateForm(cbDateForm->currentData().toInt());
    f.titles = chkTitles->isChecked();
    return f;
}

void CsvImportDialog::formatChanged()
{
    const CsvFormat f = chosenFormat();
    // Other fields or other titles: the columns are guessed again.
    const bool otherColumns =
        f.encoding != m_format.encoding || f.separator != m_format.separator || f.titles != m_format.titles;
    m_format = f;
    if (otherColumns)
        guessColumns();
    fillPreview();
    invalidate();
}

QComboBox *CsvImportDialog::columnField(int column) const
{
    return qobject_cast<QComboBox *>(gridPreview->cellWidget(0, column));
}

void CsvImportDialog::fillPreview()
{
    const CsvTable table = CsvTable::parse(CsvTable::decode(m_bytes, m_format.encoding), m_format.separator,
                                           PreviewRows + 1);
    const QStringList first = table.records.value(0);
    const int columns = int(first.size());
    m_columns.resize(columns);
    gridPreview->clear();
    gridPreview->setColumnCount(columns);
    QStringList titles;
    for (int c = 0; c < columns; ++c)
        titles << (m_format.titles ? first[c] : QStringLiteral("Столбец %1").arg(c + 1));
    gridPreview->setHorizontalHeaderLabels(titles);
    const int from = m_format.titles ? 1 : 0;
    gridPreview->setRowCount(1 + int(table.records.size()) - from);
    QStringList lines{QStringLiteral("Поле")};
    for (int r = from; r < table.records.size(); ++r) {
        lines << QString::number(table.lines[r]);
        for (int c = 0; c < table.records[r].size() && c < columns; ++c)
            gridPreview->setItem(r - from + 1, c, previewItem(table.records[r][c]));
    }
    gridPreview->setVerticalHeaderLabels(lines);
    for (int c = 0; c < columns; ++c) {
        auto *box = new QComboBox(gridPreview);
        box->setObjectName(QStringLiteral("cbColumn%1").arg(c + 1));
        for (CsvField f : CsvColumns::fields(m_kind))
            box->addItem(CsvColumns::title(f), int(f));
        select(box, int(m_columns[c]));
        connect(box, &QComboBox::currentIndexChanged, this, [this, box, c] {
            m_columns[c] = CsvField(box->currentData().toInt());
            invalidate();
        });
        gridPreview->setCellWidget(0, c, box);
    }
    gridPreview->resizeColumnsToContents();
    for (int c = 0; c < columns; ++c)
        gridPreview->setColumnWidth(c, qBound(120, gridPreview->columnWidth(c), 320));
}

CsvImportSettings CsvImportDialog::settings() const
{
    CsvImportSettings s;
    s.kind = m_kind;
    s.format = m_format;
    s.columns = m_columns;
    s.updateExisting = cbExisting->currentData().toBool();
    s.matchByCode = cbMatch->currentData().toBool();
    return s;
}

// Whatever changed, the last check no longer holds.
void CsvImportDialog::invalidate()
{
    m_checked.reset();
    btnImport->setEnabled(false);
    gridProblems->setRowCount(0);
    lblProblems->setText(QStringLiteral("Нажмите «Проверить»: программа прочитает весь файл и перечислит строки, "
                                        "которые нельзя импортировать. Пока они есть, ничего не импортируется."));
}

void CsvImportDialog::btnCheckClick()
{
    invalidate();
    auto import = std::make_unique<CsvImport>(m_bytes, settings());
    CsvCheck check;
    try {
        check = import->check(*Dm->ADOConnection);
    } catch (const DataError &e) {
        showStandardError(this, e.text());
        return;
    }
    showProblems(check);
    if (check.ok()) {
        m_checked = std::move(import);
        btnImport->setEnabled(true);
    }
}

void CsvImportDialog::showProblems(const CsvCheck &check)
{
    // A file wrong on every line is told by its first problems; the count says the rest.
    const int shown = int(std::min<qsizetype>(check.problems.size(), ProblemsShown));
    gridProblems->setRowCount(shown);
    for (int row = 0; row < shown; ++row) {
        const CsvProblem &p = check.problems[row];
        const QStringList cells{QString::number(p.line), p.column > 0 ? QString::number(p.column) : QString(),
                                p.value, p.why};
        for (int c = 0; c < cells.size(); ++c)
            gridProblems->setItem(row, c, previewItem(cells[c]));
    }
    for (int c = 0; c < 3; ++c) // the reason takes the rest of the width
        gridProblems->resizeColumnToContents(c);
    if (!check.ok()) {
        QString text = QStringLiteral("Найдено ошибок: %1. Исправьте файл или выбор столбцов и проверьте снова.")
                           .arg(check.problems.size());
        if (shown < check.problems.size())
            text += QStringLiteral(" Показаны первые %1.").arg(shown);
        lblProblems->setText(text);
        return;
    }
    QString text = m_kind == CsvKind::Projects
                       ? QStringLiteral("Ошибок нет. Будет добавлено проектов: %1, обновлено: %2, пропущено: %3.")
                             .arg(check.toAdd).arg(check.toUpdate).arg(check.toSkip)
                       : QStringLiteral("Ошибок нет. Будет добавлено продаж: %1.").arg(check.toAdd);
    if (check.createsEntries())
        text += QStringLiteral(" Будут созданы недостающие записи справочников.");
    lblProblems->setText(text);
}

namespace {

QString entriesText(const CsvCheck &check)
{
    QStringList parts;
    const auto add = [&parts](const char *what, const QStringList &names) {
        if (!names.isEmpty())
            parts << QStringLiteral("%1: «%2»").arg(QString::fromUtf8(what), names.join(QStringLiteral("», «")));
    };
    add("категории", check.newCategories);
    add("годы разработки", check.newYears);
    add("версии IDE", check.newIdes);
    return parts.join(QStringLiteral("; "));
}

} // namespace

QString CsvImportDialog::resultText(const CsvCheck &done) const
{
    QString text = m_kind == CsvKind::Projects
                       ? QStringLiteral("Импорт завершён. Добавлено проектов: %1, обновлено: %2, пропущено: %3.")
                             .arg(done.toAdd).arg(done.toUpdate).arg(done.toSkip)
                       : QStringLiteral("Импорт завершён. Добавлено продаж: %1.").arg(done.toAdd);
    if (done.createsEntries())
        text += QStringLiteral("\nСозданы %1.").arg(entriesText(done));
    return text;
}

void CsvImportDialog::btnImportClick()
{
    if (!m_checked)
        return;
    const CsvCheck check = m_checked->check(*Dm->ADOConnection);
    if (check.createsEntries()
        && !seams().question(this, Caption,
                             QStringLiteral("В каталоге нет записей справочников, которые есть в файле. Создать их?\n%1")
                                 .arg(entriesText(check))))
        return;
    std::optional<CsvCheck> done;
    try {
        const auto progress = startProgress(this, m_kind == CsvKind::Projects ? QStringLiteral("Импорт проектов из CSV…")
                                                                              : QStringLiteral("Импорт продаж из CSV…"));
        done = m_checked->run(*Dm, check.createsEntries(),
                              [&progress](qint64 step, qint64 total) { return progress->step(step, total); });
    } catch (const DataError &e) {
        invalidate();
        showStandardError(this, e.text());
        return;
    }
    if (!done)
        return; // cancelled: nothing stored, the file can be imported again
    showNotice(this, Caption, resultText(*done));
    accept();
}
