#include "output/ReportSystem.h"

#include "app/Progress.h"
#include "app/Seams.h"
#include "output/BandedReport.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPaintEngine>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QVBoxLayout>
#include <memory>

namespace {

// The small window that tells which page is being produced.
class StatusWindow : public QDialog
{
public:
    StatusWindow(QWidget *parent, const QString &title) : QDialog(parent)
    {
        setObjectName(QStringLiteral("ReportStatus"));
        setWindowTitle(title);
        m_label = new QLabel(this);
        m_label->setObjectName(QStringLiteral("lblStatus"));
        m_label->setMinimumWidth(240);
        m_label->setAlignment(Qt::AlignCenter);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_label);
        show();
    }

    void showText(const QString &text)
    {
        m_label->setText(text);
        m_label->repaint(); // the pages are produced without returning to the event loop
    }

private:
    QLabel *m_label;
};

// A printer in preview mode paints into pictures; anything else really prints.
bool isPrinting(QPrinter *printer)
{
    return printer->outputFormat() == QPrinter::NativeFormat && printer->paintEngine()
        && printer->paintEngine()->type() != QPaintEngine::Picture;
}

} // namespace

ReportSystem::ReportSystem(const QString &name, QObject *parent) : QObject(parent)
{
    setObjectName(name);
}

void ReportSystem::execute(const BandedReport &report)
{
    ReportCanvas canvas;
    emit beforePrint(&canvas);
    const QFont baseFont = canvas.baseFont;
    seams().preview(qobject_cast<QWidget *>(parent()), titlePreview,
                    [this, &report, baseFont](QPrinter *printer) { render(report, baseFont, printer); });
}

void ReportSystem::render(const BandedReport &report, const QFont &baseFont, QPrinter *printer)
{
    applyPreviewZoom(printer);
    const QString format = isPrinting(printer) ? statusPrintFormat : statusFormat;
    std::unique_ptr<StatusWindow> window;
    if (showStatus) {
        QWidget *owner = QApplication::activeModalWidget();
        window = std::make_unique<StatusWindow>(owner ? owner : qobject_cast<QWidget *>(parent()), titleStatus);
    }
    QWidget *owner = QApplication::activeModalWidget();
    const auto progress = startProgress(owner ? owner : qobject_cast<QWidget *>(parent()),
                                        QStringLiteral("Формирование страниц каталога…"));
    try {
        printReport(
            report, baseFont, printer,
            [&](int page) {
                const QString text = QString(format).replace(QLatin1String("%p"), QString::number(page));
                if (window)
                    window->showText(text);
                emit status(text);
            },
            [&progress](int done, int total) { return progress->step(done, total); });
    } catch (const ReportCancelled &) {
        // The preview stays empty; the user closes it.
    }
}

// The preview opens at the zoom of the settings; later the user's own zoom stays.
void ReportSystem::applyPreviewZoom(QPrinter *printer) const
{
    static const char *const Applied = "reportZoomApplied";
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        auto *dialog = qobject_cast<QPrintPreviewDialog *>(w);
        if (!dialog || dialog->printer() != printer || dialog->property(Applied).toBool())
            continue;
        if (auto *view = dialog->findChild<QPrintPreviewWidget *>()) {
            view->setZoomFactor(previewZoom / 100.0);
            dialog->setProperty(Applied, true);
        }
    }
}
