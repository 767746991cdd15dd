#include "TextWindow.h"

#include <QEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "AppIcon.h"
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

    save_ = new QPushButton(QStringLiteral("Save"), this);
    save_->setObjectName(QStringLiteral("saveButton"));
    save_->setAutoDefault(false);
    save_->setVisible(saveEnabled);
    connect(save_, &QPushButton::clicked, this, &TextWindow::OnSave);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_, 1);
    layout->addWidget(save_, 0, Qt::AlignLeft);
    resize(720, 520);
}

std::string TextWindow::DisplayText() const {
    if (!edit_->document()->isModified()) return original_;
    // The window shows plain line ends; most lists have CR LF ones.
    QString text = edit_->toPlainText();
    if (crLf_) text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return ToBytes(text);
}

void TextWindow::OnSave() {
    std::string path;
    if (!AskForFile(this, FileQuestion::Save, "Save file as...", saveType_.filter, saveType_.defaultExt,
                    path))
        return;
    FileSink file(path);
    SaveOutcome outcome = file.Prepare(saveType_.masterFile);
    if (outcome.Written()) {
        ListDocument document;
        document.text = DisplayText();
        document.executable = saveType_.executable;
        outcome = file.Take(document);
    }
    if (!outcome.Written()) {
        ShowMessageBox(this, outcome.icon, outcome.message);
        return;
    }
    saved_ = true;
    for (const SaveNote& note : outcome.notes) ShowMessageBox(this, note.icon, note.text);
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
