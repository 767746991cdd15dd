#pragma once
// Shared by the desktop program's tests: fresh settings and data folders per test, message boxes
// and file dialogs answered by the test, modal dialogs driven from a timer.
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/QtUserInterface.h"
#include "app/SortableListView.h"

namespace vantor::test {

struct RecordedMessage {
    MessageIcon icon;
    std::string text;
};

struct RecordedFileQuestion {
    app::FileQuestion kind;
    std::string title;
    std::string filter;  // "description|pattern|..."
    std::string defaultExt;
    std::string startPath;  // what the dialog would have started with
};

// Points XDG_CONFIG_HOME and XDG_DATA_HOME at folders of its own, records every message box
// (answering "OK", and a Yes/No question from `questionAnswers`, "Yes" when none is left) and
// answers file dialogs from `fileAnswers` ("" = cancelled). Restores the hooks when it goes.
class AppTestEnvironment {
  public:
    AppTestEnvironment();
    ~AppTestEnvironment();

    // Writes the settings store as "Set" would.
    void WriteSettings(const std::string& inputXmlFile, bool hideRomNames = false, bool hideTags = false);
    std::string DataFolder() const;
    std::string ConfigFolder() const;
    // The texts of the recorded messages, in order.
    std::vector<std::string> MessageTexts() const;
    bool HasMessage(const std::string& text) const;

    std::vector<RecordedMessage> messages;
    std::vector<QMessageBox::StandardButton> questionAnswers;
    std::vector<std::string> fileAnswers;
    std::vector<std::string> fileQuestions;  // the titles
    std::vector<RecordedFileQuestion> fileAsked;

  private:
    QTemporaryDir dir_;
};

// tests/data/app/<name>
std::string AppFixture(const char* name);

// Stores `fixture` as the input file, then opens and initialises the main window on it.
std::unique_ptr<app::MainWindow> OpenMainWindow(AppTestEnvironment& environment, const std::string& inputPath,
                                                bool hideRomNames = false);

// Types into "-find:", presses "Go!" and waits until the working list has taken the batch.
bool Go(app::MainWindow& window, const QString& text);

// Finds a child by its object name ("findEdit"); fails the test when it is missing.
template <typename T>
T* Child(QObject* parent, const char* name) {
    T* child = parent->findChild<T*>(QString::fromUtf8(name));
    if (child == nullptr) qWarning("no child %s", name);
    return child;
}

// Runs the built vantor-cli with `args` (in the test's environment); returns its standard output
// and puts its exit code (-1: it did not run) into `exitCode`.
std::string RunCli(const std::vector<std::string>& args, int* exitCode = nullptr);
// The whole file, or "<missing>" when it cannot be read.
std::string FileText(const std::string& path);
// The texts of one column of a list, top to bottom.
std::vector<std::string> ColumnOf(app::SortableListView* list, int column);

// Processes events until `condition` holds or `timeoutMs` passes; returns the condition.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

// Runs `action` on the next modal dialog of type T as soon as it is open (within the running
// modal loop). A dialog that never opens fails the wait of the caller, not this helper; stop the
// returned timer to stop waiting for it.
template <typename T>
QPointer<QTimer> OnNextModal(std::function<void(T*)> action) {
    auto* timer = new QTimer;
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, [timer, action, elapsed] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        } else if (elapsed->elapsed() > 10000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
    return timer;
}

// Ends the wait of an OnNextModal whose dialog did not come.
inline void StopWaiting(QPointer<QTimer> timer) {
    if (timer) {
        timer->stop();
        timer->deleteLater();
    }
}

}  // namespace vantor::test
