#include "RecordingSeams.h"

#include <QDialog>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>
#include <QSettings>

namespace {

// Steps counted across every job; the one at cancelAtStep and all after it cancel.
class RecordingProgress : public Progress
{
public:
    explicit RecordingProgress(RecordingSeams *seams) : m_seams(seams) {}
    bool step(qint64 done, qint64 total) override
    {
        m_seams->progressDone = done;
        m_seams->progressTotal = total;
        const int step = ++m_seams->progressSteps;
        return m_seams->cancelAtStep < 0 || step < m_seams->cancelAtStep;
    }

private:
    RecordingSeams *m_seams;
};

template <typename T> T takeOr(QQueue<T> &queue, const T &fallback)
{
    return queue.isEmpty() ? fallback : queue.dequeue();
}

int pdfPageCount(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return int(QString::fromLatin1(file.readAll()).count(page));
}

} // namespace

RecordingSeams::RecordingSeams()
{
    install();
}

void RecordingSeams::clear()
{
    notices.clear();
    questions.clear();
    errors.clear();
    urls.clear();
    programs.clear();
    previewTitles.clear();
    previewFiles.clear();
    previewPages = 0;
    dialogs.clear();
    dialogAnswers.clear();
    progressTexts.clear();
    progressSteps = 0;
    progressDone = progressTotal = 0;
    cancelAtStep = -1;
}

void RecordingSeams::install()
{
    Seams &s = seams();
    s.notice = [this](QWidget *, const QString &caption, const QString &text) {
        notices.append({caption, text});
    };
    s.question = [this](QWidget *, const QString &caption, const QString &text) {
        questions.append({caption, text});
        return takeOr(answers, true);
    };
    s.errorBox = [this](QWidget *, const QString &text) { errors.append(text); };
    s.openFileName = [this](QWidget *, const QString &, const QString &, const QString &) {
        return takeOr(openFileAnswers, QString());
    };
    s.saveFileName = [this](QWidget *, const QString &, const QString &dir, const QString &, const QString &,
                            bool) {
        saveFileSuggestions << dir;
        return takeOr(saveFileAnswers, QString());
    };
    s.existingDirectory = [this](QWidget *, const QString &, const QString &) {
        return takeOr(directoryAnswers, QString());
    };
    s.preview = [this](QWidget *, const QString &title, std::function<void(QPrinter *)> render) {
        const QString path = QStringLiteral("%1/preview%2.pdf").arg(m_dir.path()).arg(previewFiles.size() + 1);
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            render(&printer);
        }
        previewTitles.append(title);
        previewFiles.append(path);
        previewPages = pdfPageCount(path);
    };
    s.startProgram = [this](const QString &program, const QString &parameters) {
        programs.append({program, parameters});
        return startResult;
    };
    s.openUrl = [this](const QUrl &url, const std::function<void()> &failed) {
        urls.append(url);
        if (!openUrlResult)
            failed();
    };
    s.screenWidth = [this] { return screenWidthValue; };
    s.userSettings = [this] { return std::make_unique<QSettings>(settingsPath(), QSettings::IniFormat); };
    s.modal = [this](QDialog *dialog) {
        dialogs.append(dialog->objectName());
        if (onDialog)
            onDialog(dialog);
        return dialogAnswers.isEmpty() ? int(QDialog::Rejected) : dialogAnswers.dequeue();
    };
    s.progress = [this](QWidget *, const QString &text, const QString &, Qt::WindowModality) {
        progressTexts.append(text);
        return std::unique_ptr<Progress>(new RecordingProgress(this));
    };
}
