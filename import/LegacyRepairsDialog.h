#pragma once

#include "data/legacy/LegacyCheck.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

// The rows of a legacy catalogue that the catalogue's rules refuse, each
// with the repair a conversion makes of it, and the two choices: convert
// with these repairs (Accepted), or stop, changing nothing (Rejected).
class LegacyRepairsDialog : public QDialog
{
    Q_OBJECT
public:
    LegacyRepairsDialog(const QString &file, const QVector<LegacyProblem> &problems, QWidget *parent = nullptr);

    QLabel *lblProblems;
    QTableWidget *gridProblems;
    QPushButton *BtnRepair;
    QPushButton *BtnStop;
};
