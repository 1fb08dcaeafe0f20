// Copy and Save As of the receive area: a large text is made a slice at a
// time between the loop's turns, so that the window never freezes while a
// million lines are copied or saved.
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

#include "window/MessageBoxes.h"
#include "window/ReceiveArea.h"

namespace {

// What one turn may take, and the lines made into text at once within it.
constexpr qint64 SLICE_MS = 20;
constexpr qint64 LINES_A_STEP = 4096;

} // namespace

struct ReceiveArea::Export {
    Position at, end;
    int clears; // Clear() since then ends it
    std::function<bool(const QString& slice)> take;
    std::function<void(bool whole)> done;
};

void ReceiveArea::StartExport(Position start, Position end, std::function<bool(const QString& slice)> take,
                              std::function<void(bool whole)> done, bool now)
{
    ++exports_;
    ExportSlice(std::make_shared<Export>(Export{start, end, clears_, std::move(take), std::move(done)}), now);
}

void ReceiveArea::ExportSlice(const std::shared_ptr<Export>& job, bool now)
{
    QElapsedTimer spent;
    spent.start();
    bool taken = true;
    while (taken && job->clears == clears_ && job->at < job->end) {
        Position to{std::min(job->at.line + LINES_A_STEP, job->end.line), 0};
        if (to.line == job->end.line)
            to = job->end;
        taken = job->take(ShownText(job->at, to));
        job->at = to;
        if (taken && !now && job->at < job->end && spent.elapsed() >= SLICE_MS) {
            QTimer::singleShot(0, this, [this, job] { ExportSlice(job, false); });
            return;
        }
    }
    --exports_;
    job->done(taken && job->clears == clears_);
}

void ReceiveArea::copy()
{
    if (!HasSelection())
        return;
    auto text = std::make_shared<QString>();
    StartExport(
        SelectionStart(), SelectionEnd(),
        [text](const QString& slice) {
            *text += slice;
            return true;
        },
        [text](bool whole) {
            if (whole)
                QGuiApplication::clipboard()->setText(*text);
        },
        false);
}

void ReceiveArea::Save(const QString& path, std::function<void(const QString& problem)> done, bool now)
{
    Flush();
    auto file = std::make_shared<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly))
        return done(file->errorString());
    StartExport(
        {FirstLine(), 0}, {EndLine(), 0},
        [file](const QString& slice) { return file->write(slice.toUtf8()) >= 0; },
        [file, done](bool whole) {
            if (whole && file->commit())
                return done({});
            const QString problem = file->error() != QFileDevice::NoError
                                        ? file->errorString()
                                        : QStringLiteral("the received lines were cleared meanwhile");
            file->cancelWriting();
            done(problem);
        },
        now);
}

QString ReceiveArea::SaveTo(const QString& path)
{
    QString problem;
    Save(
        path, [&problem](const QString& why) { problem = why; }, true);
    return problem;
}

void ReceiveArea::SaveInTurns(const QString& path, std::function<void(const QString& problem)> done)
{
    Save(path, std::move(done), false);
}

void ReceiveArea::SaveAs()
{
    // Opened without a loop of its own, so that lines keep arriving meanwhile.
    auto* dialog = new QFileDialog(this, QStringLiteral("Save the received lines"), SaveFolder,
                                   QStringLiteral("Text files (*.txt);;All files (*)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->selectFile(QStringLiteral("received.txt"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        SaveInTurns(path, [this, folder = QFileInfo(path).absolutePath()](const QString& problem) {
            if (!problem.isEmpty())
                return OpenMessageBox(window(),
                                      QStringLiteral("The received lines were not saved: %1").arg(problem));
            if (folder != SaveFolder) {
                SaveFolder = folder;
                emit SaveFolderChanged(folder);
            }
        });
    });
    dialog->open();
}
