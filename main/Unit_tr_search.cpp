// The search group "Отбор данных": one filter expression on tblProject in
// place of the category filter.

#include "main/Unit_tr.h"

std::vector<std::unique_ptr<TMyIndex>> yearIndexes;
std::vector<std::unique_ptr<TMyIndex>> ideIndexes;

void TfrmMain::checkYearClick(QObject *)
{
    // Built with the search commands.
}

void TfrmMain::checkIdeClick(QObject *)
{
    // Built with the search commands.
}

void TfrmMain::BtnSearchClick(QObject *)
{
    // Built with the search commands.
}

void TfrmMain::btnClearClick(QObject *)
{
    // Built with the search commands.
}

void TfrmMain::editTovNameDblClick(QObject *)
{
    // Built with the search commands.
}

void TfrmMain::editPriceKeyPress(QObject *, QChar &)
{
    // Built with the search commands.
}
