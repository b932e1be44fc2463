// The search group "Отбор данных": one filter expression on tblProject in
// place of the category filter.

#include "main/Unit_tr.h"

#include "app/Messages.h"
#include "data/module/UnitDM.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

std::vector<std::unique_ptr<TMyIndex>> yearIndexes;
std::vector<std::unique_ptr<TMyIndex>> ideIndexes;

namespace {

// Empties a drop-down and, while its check box is on, lists the rows of the
// reference dataset as they are now, each item carrying its key. An empty
// reference book unchecks the box again.
void fillChoice(QCheckBox *check, QComboBox *choice, Dataset *reference, const Field *key,
                const Field *name, std::vector<std::unique_ptr<TMyIndex>> &indexes)
{
    choice->clear();
    choice->setEnabled(false);
    if (!check->isChecked())
        return;
    if (reference->recordCount() == 0) {
        check->setChecked(false);
        return;
    }
    indexes.clear();
    indexes.reserve(reference->recordCount());
    for (reference->first(); !reference->eof(); reference->next()) {
        auto index = std::make_unique<TMyIndex>();
        index->SetIndex(key->asInteger());
        choice->addItem(name->asString(), QVariant::fromValue(index.get()));
        indexes.push_back(std::move(index));
    }
    choice->setCurrentIndex(0);
    choice->setEnabled(true);
}

int selectedKey(const QComboBox *choice)
{
    const auto *index = choice->currentData().value<TMyIndex *>();
    return index ? index->GetIndex() : 0;
}

// The row filter reads a doubled apostrophe inside a quoted constant as one,
// so a name with an apostrophe is searched as typed.
QString quoted(const QString &text)
{
    QString doubled = text;
    return doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
}

// The criteria always come in this order: name, code, year, IDE version, price.
QString searchExpression(const TfrmMain &w)
{
    QStringList criteria;
    if (!w.editTovName->text().isEmpty())
        criteria << QStringLiteral("tovName LIKE '%") + quoted(w.editTovName->text()) + QStringLiteral("%'");
    if (!w.EditKodProject->text().isEmpty()) {
        bool ok = false;
        const qint32 code = w.EditKodProject->text().toInt(&ok, 10);
        criteria << QStringLiteral("project_id='%1'").arg(ok ? code : 0);
    }
    if (w.checkYear->isChecked())
        criteria << QStringLiteral("year_id='%1'").arg(selectedKey(w.cbYear));
    if (w.checkIde->isChecked())
        criteria << QStringLiteral("version_id='%1'").arg(selectedKey(w.cbIde));
    if (!w.editPrice->text().isEmpty())
        criteria << QStringLiteral("price") + w.cbPriceOpt->currentText() + QLatin1Char('\'')
                        + w.editPrice->text() + QLatin1Char('\'');
    return criteria.join(QStringLiteral(" AND "));
}

} // namespace

void TfrmMain::checkYearClick(QObject *)
{
    fillChoice(checkYear, cbYear, Dm->tblYear, Dm->tblYearyear_id, Dm->tblYearname, yearIndexes);
}

void TfrmMain::checkIdeClick(QObject *)
{
    fillChoice(checkIde, cbIde, Dm->tblIde, Dm->tblIdeversion_id, Dm->tblIdeide, ideIndexes);
}

void TfrmMain::BtnSearchClick(QObject *)
{
    const QString expression = searchExpression(*this);
    const int categoryRecNo = Dm->tblCategory->recNo();
    Dataset *projects = Dm->tblProject;
    if (expression.isEmpty()) {
        projects->setFiltered(false);
        return; // every project of every category
    }
    try {
        // A filter already on takes the new text at once: one change of the list.
        projects->setFilter(expression);
        if (!projects->isFiltered())
            projects->setFiltered(true);
    } catch (const DataError &error) {
        // The filter stays off: the list shows every project.
        showStandardError(this, error.text());
        return;
    }
    Dm->tblCategory->setRecNo(categoryRecNo);
}

void TfrmMain::btnClearClick(QObject *)
{
    editTovName->clear();
    checkYear->setChecked(false); // runs checkYearClick
    editPrice->clear();
    EditKodProject->clear();
    BtnSearchClick(btnClear);
    filterCategory();
}

void TfrmMain::editTovNameDblClick(QObject *sender)
{
    if (auto *box = qobject_cast<QLineEdit *>(sender))
        box->clear();
    BtnSearchClick(sender);
}

void TfrmMain::editPriceKeyPress(QObject *, QChar &key)
{
    const bool backspace = key.unicode() == 8;
    const bool digit = key.unicode() >= '0' && key.unicode() <= '9';
    if (!backspace && !digit)
        key = QChar();
}
