#pragma once

#include <QFont>
#include <QObject>
#include <QString>

struct BandedReport;
class QPrinter;

// The surface a report is produced on, handed to the before-print handler so
// it can set the base font: the font of texts that have none of their own.
class ReportCanvas : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    QFont baseFont;
};

// The output system: runs a report into the modal preview, with a status
// window while the pages are produced.
class ReportSystem : public QObject
{
    Q_OBJECT
public:
    enum class Destination { Preview };

    explicit ReportSystem(const QString &name = QString(), QObject *parent = nullptr);

    // The preview is always modal and lets the user print at full scale.
    QString titleStatus;
    QString titlePreview;
    QString statusFormat;      // "%p" is the page number
    QString statusPrintFormat; // the same while a printer prints
    int previewZoom = 100;     // percent
    bool showStatus = true;
    Destination defaultDest = Destination::Preview;
    bool systemSetups = false;  // an output options window first; not built, so it must stay off
    bool doNativeOutput = true; // the engine's own output, no export renderer

    // Produces the report and shows it in the preview until the user closes it.
    void execute(const BandedReport &report);

signals:
    // Before each report is produced, with its ReportCanvas.
    void beforePrint(QObject *canvas);
    // Each text the status window shows.
    void status(const QString &text);

private:
    void render(const BandedReport &report, const QFont &baseFont, QPrinter *printer);
    void applyPreviewZoom(QPrinter *printer) const;
};
