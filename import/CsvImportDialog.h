#pragma once

#include "data/csv/CsvImport.h"

#include <QByteArray>
#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// The import of one CSV file: its first rows as they will be read, the
// file's format and each column's field (guessed, changeable), "Проверить"
// listing every line that can't be taken, and "Импортировать", enabled only
// once a check found nothing, storing all of it in one transaction.
class CsvImportDialog : public QDialog
{
    Q_OBJECT
public:
    CsvImportDialog(CsvKind kind, const QString &fileName, const QByteArray &bytes, QWidget *parent = nullptr);
    ~CsvImportDialog() override;

    // The rows of the preview besides the line of fields.
    static constexpr int PreviewRows = 20;
    // The problems listed at most.
    static constexpr int ProblemsShown = 1000;

    QLabel *lblFile;
    QComboBox *cbEncoding;
    QComboBox *cbSeparator;
    QComboBox *cbDecimal;
    QComboBox *cbThousands;
    QComboBox *cbDateForm;
    QCheckBox *chkTitles;
    QComboBox *cbExisting; // projects: skip or update a name already stored
    QComboBox *cbMatch;    // sales: their project by code or by name
    QTableWidget *gridPreview; // first row: each column's field
    QLabel *lblProblems;
    QTableWidget *gridProblems;
    QPushButton *btnCheck;
    QPushButton *btnImport;
    QPushButton *btnClose;

    // The field chosen for a column of the file (0-based).
    QComboBox *columnField(int column) const;
    CsvImportSettings settings() const;

    void btnCheckClick();
    void btnImportClick();

private:
    QWidget *createFormatArea();
    QWidget *createOptionsArea();
    void showFormat(const CsvFormat &format);
    CsvFormat chosenFormat() const;
    void formatChanged();
    void guessColumns();
    void fillPreview();
    void invalidate();
    void showProblems(const CsvCheck &check);
    QString resultText(const CsvCheck &done) const;

    CsvKind m_kind;
    QByteArray m_bytes;
    CsvFormat m_format;
    QVector<CsvField> m_columns;
    std::unique_ptr<CsvImport> m_checked; // the file as last checked, while nothing changed since
};
