#include "TextWindow.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "AppIcon.h"
#include "ProgressDialog.h"
#include "QtUserInterface.h"
#include "output/ListSink.h"

namespace vantor::app {

TextWindow::TextWindow(const std::string& windowTitle, const std::string& displayText, bool saveEnabled,
                       QWidget* parent)
    : QDialog(parent),
      original_(displayText),
      // A text of one line (or none) takes the CR LF of most lists.
      crLf_(displayText.find("\r\n") != std::string::npos || displayText.find('\n') == std::string::npos) {
    setObjectName(QStringLiteral("textWindow"));
    setWindowTitle(FromBytes(windowTitle));
    setWindowIcon(AppIcon());
    setSizeGripEnabled(true);

    edit_ = new QPlainTextEdit(this);
    edit_->setObjectName(QStringLiteral("textEdit"));
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    edit_->setTabStopDistance(4 * edit_->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    QString text = FromBytes(displayText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    edit_->setPlainText(text);
    edit_->document()->setModified(false);
    edit_->installEventFilter(this);

    saveButton_ = new QPushButton(QStringLiteral("Save"), this);
    saveButton_->setObjectName(QStringLiteral("saveButton"));
    saveButton_->setAutoDefault(false);
    saveButton_->setVisible(saveEnabled);
    connect(saveButton_, &QPushButton::clicked, this, &TextWindow::OnSave);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusText"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveButton_);
    buttons->addWidget(status_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_, 1);
    layout->addLayout(buttons);
    resize(720, 520);
}

TextWindow::~TextWindow() = default;

void TextWindow::AddSidePane(QWidget* pane) {
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    delete layout()->replaceWidget(edit_, splitter);
    splitter->addWidget(edit_);
    splitter->addWidget(pane);
    splitter->setStretchFactor(0, 1);
    resize(width() + pane->sizeHint().width(), height());
}

QString TextWindow::StatusText() const {
    return status_->text();
}

std::string TextWindow::DisplayText() const {
    if (!edit_->document()->isModified()) return original_;
    // The window shows plain line ends; most lists have CR LF ones.
    QString text = edit_->toPlainText();
    if (crLf_) text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return ToBytes(text);
}

void TextWindow::OnSave() {
    if (save_.Running()) return;
    std::string path;
    if (!AskForFile(this, FileQuestion::Save, "Save file as...", saveType_.filter, saveType_.defaultExt,
                    path))
        return;
    ListDocument document;
    document.text = DisplayText();
    document.executable = saveType_.executable;
    status_->clear();
    progress_ = ShowJobProgress(
        this, QStringLiteral("Saving list..."), ProgressUnit::Unnamed,
        [this] {
            if (!save_.Cancel() && progress_) progress_->RefuseCancel();
        },
        false);
    save_ = RunWriteThenDeliver(
        this,
        [path, masterFile = saveType_.masterFile,
         document = std::move(document)](JobControl& control) mutable {
            FileSink file(path);
            Outcome<> prepared = file.Prepare(masterFile);
            if (!prepared.Done()) return std::move(prepared).With(SavedGames{});
            // The last point where Cancel keeps the earlier file: the write is whole or nothing.
            if (!control.BeginFinalStep()) return Outcome<SavedGames>::CancelledOutcome();
            return file.Take(document);
        },
        [this, path](Outcome<SavedGames> outcome) { OnSaved(path, std::move(outcome)); },
        [this](std::int64_t, std::int64_t) {
            if (progress_ && save_.FinalStepBegun()) progress_->RefuseCancel();
        });
}

void TextWindow::OnSaved(const std::string& path, Outcome<SavedGames> outcome) {
    const bool cancelRefused = progress_ && progress_->CancelPending() && progress_->CancelRefused();
    delete progress_;
    if (outcome.Cancelled()) {
        status_->setText(QString::fromUtf8(kCancelled));
    } else if (!outcome.Done()) {
        ShowOutcomeMessages(this, outcome);
    } else {
        saved_ = true;
        const std::string note = "Saved to " + path + ".";
        status_->setText(FromBytes(note));
        Q_EMIT TextSaved();
        ShowOutcomeMessages(this, outcome);
        if (cancelRefused) ShowMessageBox(this, MessageIcon::Information, kTooLateToCancel + note);
    }
    Q_EMIT SaveFinished();
}

void TextWindow::reject() {
    // The window and its text stay until the file is written (or not).
    if (!save_.Running()) QDialog::reject();
}

void TextWindow::closeEvent(QCloseEvent* event) {
    if (save_.Running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

bool TextWindow::eventFilter(QObject* watched, QEvent* event) {
    // Focus leaves the text unselected, with the caret in view.
    if (watched == edit_ && event->type() == QEvent::FocusIn) {
        QTextCursor cursor = edit_->textCursor();
        cursor.clearSelection();
        edit_->setTextCursor(cursor);
        edit_->ensureCursorVisible();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace vantor::app
