#include "app/Progress.h"

#include "app/Seams.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QProgressDialog>
#include <limits>

namespace {

const int ShowAfterMs = 500;
const int PaintEveryMs = 40;

class DialogProgress : public Progress
{
public:
    DialogProgress(QWidget *parent, const QString &text, const QString &unit, Qt::WindowModality modality)
        : m_dialog(text, QStringLiteral("Отмена"), 0, 0, parent)
    {
        m_dialog.setObjectName(QStringLiteral("dlgProgress"));
        m_dialog.setWindowTitle(QStringLiteral("Выполнение"));
        m_dialog.setWindowModality(modality);
        // Shown by step() alone: the dialog's own timer would put it over a
        // message shown before the job's first step.
        m_dialog.setMinimumDuration(std::numeric_limits<int>::max());
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
        m_dialog.setMinimumWidth(360);
        auto *bar = new QProgressBar(&m_dialog);
        bar->setObjectName(QStringLiteral("barProgress"));
        bar->setFormat(unit.isEmpty() ? QStringLiteral("%v из %m") : QStringLiteral("%v из %m ") + unit);
        m_dialog.setBar(bar);
        m_dialog.setValue(0);
        m_clock.start();
    }

    bool step(qint64 done, qint64 total) override
    {
        if (m_clock.elapsed() - m_painted < PaintEveryMs && done < total)
            return !m_dialog.wasCanceled();
        m_painted = m_clock.elapsed();
        // The bar counts in int; counts beyond it are scaled down together.
        int shift = 0;
        while ((total >> shift) > std::numeric_limits<int>::max())
            ++shift;
        m_dialog.setMaximum(int(qMax<qint64>(total, 1) >> shift));
        m_dialog.setValue(int(qMin(done, total) >> shift));
        if (!m_dialog.isVisible() && m_clock.elapsed() >= ShowAfterMs)
            m_dialog.show();
        // Until the dialog shows, nothing the user does may start another
        // command in the middle of this one.
        QCoreApplication::processEvents(m_dialog.isVisible() ? QEventLoop::AllEvents
                                                             : QEventLoop::ExcludeUserInputEvents);
        return !m_dialog.wasCanceled();
    }

private:
    QProgressDialog m_dialog;
    QElapsedTimer m_clock;
    qint64 m_painted = -PaintEveryMs;
};

} // namespace

std::unique_ptr<Progress> progressDialog(QWidget *parent, const QString &text, const QString &unit,
                                         Qt::WindowModality modality)
{
    return std::make_unique<DialogProgress>(parent, text, unit, modality);
}

void hideProgressWindows()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (qobject_cast<QProgressDialog *>(window) && window->isVisible())
            window->hide();
}

std::unique_ptr<Progress> startProgress(QWidget *parent, const QString &text, const QString &unit,
                                        Qt::WindowModality modality)
{
    return seams().progress(parent, text, unit, modality);
}
