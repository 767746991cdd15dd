#pragma once
// The desktop program's message boxes and file dialogs, and the bytes-to-text conversions of its
// windows. Message boxes and file dialogs go through hooks that tests set to record and answer
// them instead of blocking.
#include <QMessageBox>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "gamedata/Outcome.h"

class QWidget;

namespace vantor::app {

// Bytes as read from files are shown as UTF-8.
inline QString FromBytes(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string ToBytes(const QString& text) {
    return text.toUtf8().toStdString();
}

// The caption of every message box.
inline constexpr const char* kMessageCaption = "Vantor";

// Gets the icon, the text exactly as the program passed it and the buttons offered; returns the
// button pressed.
using MessageHook = std::function<QMessageBox::StandardButton(MessageIcon icon, const std::string& text,
                                                              QMessageBox::StandardButtons buttons)>;
void SetMessageHook(MessageHook hook);

// Shows a message box (or asks the hook); the parent may be null.
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, MessageIcon icon, const std::string& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok);

// An engine message in the window's words: its advice points at the settings and the main window.
std::string WindowWording(const Message& message);
// Shows one message box per message, in order.
void ShowMessages(QWidget* parent, const std::vector<Message>& messages);
template <typename Value>
void ShowOutcomeMessages(QWidget* parent, const Outcome<Value>& outcome) {
    ShowMessages(parent, outcome.messages);
}

enum class FileQuestion { Open, Save, Folder };
// Gets the kind of question, its title, filter ("description|pattern|...") and default extension;
// fills `path` and returns true for a choice, false for "cancelled".
using FileDialogHook =
    std::function<bool(FileQuestion kind, const std::string& title, const std::string& filter,
                       const std::string& defaultExt, std::string& path)>;
void SetFileDialogHook(FileDialogHook hook);

// Asks the question; a file chosen to save over an existing one is written only after the user
// said "Yes" to ReplaceFileQuestion, or UpdateFileQuestion for a list that is updated in place
// (a "No" shows the dialog again).
bool AskForFile(QWidget* parent, FileQuestion kind, const std::string& title, const std::string& filter,
                const std::string& defaultExt, std::string& path, bool updatesExisting = false);
std::string ReplaceFileQuestion(const std::string& path);
std::string UpdateFileQuestion(const std::string& path);

}  // namespace vantor::app
