#include "AppTestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>

#include "app/WorkingListWindow.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"
#include "listmodel/ListTable.h"

namespace vantor::test {

AppTestEnvironment::AppTestEnvironment() {
    QDir root(dir_.path());
    root.mkpath(QStringLiteral("config"));
    root.mkpath(QStringLiteral("data"));
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toUtf8());
    app::SetMessageHook(
        [this](MessageIcon icon, const std::string& text, QMessageBox::StandardButtons buttons) {
            messages.push_back({icon, text});
            if (!buttons.testFlag(QMessageBox::Yes)) return QMessageBox::Ok;
            if (questionAnswers.empty()) return QMessageBox::Yes;
            QMessageBox::StandardButton answer = questionAnswers.front();
            questionAnswers.erase(questionAnswers.begin());
            return answer;
        });
    app::SetFileDialogHook([this](app::FileQuestion kind, const std::string& title, const std::string& filter,
                                  const std::string& defaultExt, std::string& path) {
        fileQuestions.push_back(title);
        fileAsked.push_back({kind, title, filter, defaultExt, path});
        if (fileAnswers.empty()) return false;
        std::string answer = fileAnswers.front();
        fileAnswers.erase(fileAnswers.begin());
        if (answer.empty()) return false;
        path = answer;
        return true;
    });
}

AppTestEnvironment::~AppTestEnvironment() {
    app::SetMessageHook({});
    app::SetFileDialogHook({});
}

void AppTestEnvironment::WriteSettings(const std::string& inputXmlFile, bool hideRomNames, bool hideTags) {
    Settings settings;
    settings.inputXmlFile = inputXmlFile;
    settings.hideRomNames = hideRomNames;
    settings.hideTags = hideTags;
    QVERIFY(settings.Save());
}

std::string AppTestEnvironment::DataFolder() const {
    return QDir(dir_.path()).filePath(QStringLiteral("data")).toStdString();
}
std::string AppTestEnvironment::ConfigFolder() const {
    return QDir(dir_.path()).filePath(QStringLiteral("config")).toStdString();
}

std::vector<std::string> AppTestEnvironment::MessageTexts() const {
    std::vector<std::string> texts;
    for (const RecordedMessage& message : messages) texts.push_back(message.text);
    return texts;
}

bool AppTestEnvironment::HasMessage(const std::string& text) const {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const RecordedMessage& m) { return m.text == text; });
}

std::unique_ptr<app::MainWindow> OpenMainWindow(AppTestEnvironment& environment, const std::string& inputPath,
                                                bool hideRomNames) {
    environment.WriteSettings(inputPath, hideRomNames);
    auto window = std::make_unique<app::MainWindow>(inputPath, DisplayOptions{false, hideRomNames}, false);
    window->show();
    window->Initialise();
    return window;
}

std::string AppFixture(const char* name) {
    return std::string(VANTOR_APP_TEST_DATA) + "/" + name;
}

std::string RunCli(const std::vector<std::string>& args, int* exitCode) {
    // Its logs go to a folder of their own, never the tests' working folder.
    static QTemporaryDir workingFolder;
    QProcess process;
    process.setWorkingDirectory(workingFolder.path());
    QStringList arguments;
    for (const std::string& arg : args) arguments << QString::fromStdString(arg);
    process.start(QStringLiteral(VANTOR_CLI_PATH), arguments);
    process.closeWriteChannel();
    const bool ran = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    if (exitCode != nullptr) *exitCode = ran ? process.exitCode() : -1;
    if (!ran || process.exitCode() != 0)
        qWarning("vantor-cli: %s", process.readAllStandardError().constData());
    return process.readAllStandardOutput().toStdString();
}

std::string FileText(const std::string& path) {
    std::string text;
    return ReadWholeFile(path, text) ? text : std::string("<missing>");
}

std::vector<std::string> ColumnOf(app::SortableListView* list, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < list->RowCount(); ++row) cells.push_back(list->Table().Cell(row, column));
    return cells;
}

bool Go(app::MainWindow& window, const QString& text) {
    Child<QLineEdit>(&window, "findEdit")->setText(text);
    int shown = 0;
    auto connection =
        QObject::connect(window.WorkingList(), &app::WorkingListWindow::BatchShown, [&] { ++shown; });
    Child<QPushButton>(&window, "goButton")->click();
    const bool ok = WaitFor([&] { return shown > 0; });
    QObject::disconnect(connection);
    return ok;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(5);
    }
    return true;
}

}  // namespace vantor::test
