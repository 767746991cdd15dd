// A new input file under open lists and a "-find:" text: the lists follow it by ROM name or are
// cleared, as the user chooses; no key of the old file reaches a writer; the text is rebuilt in
// the new file's words; the file's notes are told once.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>

#include "AppTestSupport.h"
#include "app/BackgroundWork.h"
#include "app/ResultListWindows.h"
#include "app/SearchDialogs.h"
#include "app/SettingsWindow.h"
#include "app/WorkingListWindow.h"
#include "gamedata/FileIo.h"
#include "output/ListFormats.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

const std::string kRawListing = AppFixture("games.xml");
const std::string kMerged = AppFixture("merged.xml");

bool Settled(MainWindow& window) {
    return !window.ScanRunning() && window.WorkingList()->PendingFills() == 0 &&
           !window.SearchResults()->FillRunning();
}

// "Set" with `path` as the input file, then waits for what follows it.
void SwitchInput(MainWindow& window, const std::string& path) {
    OnNextModal<SettingsWindow>([path](SettingsWindow* settings) {
        Child<QLineEdit>(settings, "inputFileEdit")->setText(QString::fromStdString(path));
        Child<QPushButton>(settings, "setButton")->click();
    });
    Child<QPushButton>(&window, "settingsButton")->click();
    QVERIFY(WaitFor([&] { return Settled(window); }));
}

// Go! with the text the criteria made: the raw listing's eight games that match it.
void GoWithTheCriteria(MainWindow& window) {
    int shown = 0;
    auto counting = QObject::connect(window.WorkingList(), &WorkingListWindow::BatchShown, [&] { ++shown; });
    Child<QPushButton>(&window, "goButton")->click();
    QVERIFY(WaitFor([&] { return shown == 1 && Settled(window); }));
    QObject::disconnect(counting);
    QCOMPARE(window.WorkingList()->EntryCount(), 8);
}

// The names of `names` the merged file holds, and the others, each in their order.
std::pair<std::vector<std::string>, std::vector<std::string>> KeptAndMissing(
    const std::vector<std::string>& names) {
    const std::vector<std::string> merged = {"galaga", "mk", "pacman"};
    std::pair<std::vector<std::string>, std::vector<std::string>> split;
    for (const std::string& name : names) {
        const bool kept = std::find(merged.begin(), merged.end(), name) != merged.end();
        (kept ? split.first : split.second).push_back(name);
    }
    return split;
}

std::string FindText(MainWindow& window) {
    return ToBytes(Child<QLineEdit>(&window, "findEdit")->text());
}

std::string InitialCriteria(const std::string& input) {
    std::string text = RunCli({"--input", input, "criteria", "--initial"});
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

}  // namespace

class InputFileChangeTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void listsAreCarriedOverByRomName();
    void listIsClearedOnlyWhenTheUserSaysSo();
    void staleKeysNeverReachAWriter();
    void findTextFollowsTheNewFilesWords();
    void notesAreToldOncePerFile();
};

void InputFileChangeTest::listsAreCarriedOverByRomName() {
    AppTestEnvironment environment;
    auto window = OpenMainWindow(environment, kRawListing);
    WorkingListWindow* output = window->WorkingList();
    GoWithTheCriteria(*window);
    const std::vector<std::string> before = ColumnOf(output->List(), kRomNameColumn);
    // The full list and ROM Search's results of the old file are open too.
    int shown = 0;
    QObject::connect(window->SearchResults(), &ResultListWindow::BatchShown, [&] { ++shown; });
    Child<QPushButton>(window.get(), "listAllButton")->click();
    QVERIFY(WaitFor([&] { return window->FullList()->isVisible() && Settled(*window); }));
    OnNextModal<RomSearchDialog>([](RomSearchDialog* dialog) {
        Child<QLineEdit>(dialog, "searchEdit")->setText(QStringLiteral("pac-man"));
        Child<QPushButton>(dialog, "okButton")->click();
    });
    Child<QPushButton>(window.get(), "romSearchButton")->click();
    QVERIFY(WaitFor([&] { return shown == 1; }));
    QVERIFY(window->SearchResults()->EntryCount() > 1);

    environment.messages.clear();
    SwitchInput(*window, kMerged);
    QVERIFY(WaitFor([&] { return shown == 2; }));
    // The games the merged file holds are kept in their order; the rest are named in a message.
    const auto [kept, missing] = KeptAndMissing(before);
    QVERIFY(!kept.empty() && !missing.empty());
    QCOMPARE(environment.MessageTexts(),
             (std::vector<std::string>{CarryOverQuestion(8), MissingGamesMessage(missing)}));
    QCOMPARE(ColumnOf(output->List(), kRomNameColumn), kept);
    QCOMPARE(output->StatusText(), QString::fromStdString(WorkingListWindow::CarriedOverNote(
                                       static_cast<int>(kept.size()), static_cast<int>(missing.size()))));
    QVERIFY(output->Unsaved());
    QCOMPARE(ColumnOf(window->SearchResults()->List(), kRomNameColumn), std::vector<std::string>{"pacman"});
    QCOMPARE(window->SearchResults()->windowTitle(), QStringLiteral("Found 1 ROMs"));
    QVERIFY(!window->FullList()->isVisible() && window->FullList()->EntryCount() == 0);

    // What is saved are the new file's records of those games, not what the old keys point at.
    QTemporaryDir dir;
    const std::string list = dir.filePath(QStringLiteral("list.xml")).toStdString();
    Child<QComboBox>(output, "formatBox")->setCurrentIndex(static_cast<int>(ListFormat::Xml));
    environment.messages.clear();
    environment.fileAnswers = {list};
    Child<QPushButton>(output, "saveButton")->click();
    QVERIFY(WaitFor([&] { return !output->SaveRunning(); }));
    QVERIFY(environment.messages.empty());
    std::string named;
    for (const std::string& name : kept) named += (named.empty() ? "name=" : " | name=") + name;
    const std::string cliList = dir.filePath(QStringLiteral("cli.xml")).toStdString();
    RunCli({"--input", kMerged, "save", "xml", "--find", named, "-o", cliList});
    QCOMPARE(FileText(list), FileText(cliList));
}

void InputFileChangeTest::listIsClearedOnlyWhenTheUserSaysSo() {
    AppTestEnvironment environment;
    auto window = OpenMainWindow(environment, kRawListing);
    WorkingListWindow* output = window->WorkingList();
    GoWithTheCriteria(*window);
    const int kept = static_cast<int>(KeptAndMissing(ColumnOf(output->List(), kRomNameColumn)).first.size());

    // "No" to carrying it over, then "No" to discarding it: a list kept is a list carried over.
    environment.messages.clear();
    environment.questionAnswers = {QMessageBox::No, QMessageBox::No};
    SwitchInput(*window, kMerged);
    QCOMPARE(environment.MessageTexts().at(1), WorkingListWindow::DiscardQuestion(8));
    QCOMPARE(output->EntryCount(), kept);
    QVERIFY(output->KeysCurrent());

    // "No", then "Yes": the list goes.
    environment.messages.clear();
    environment.questionAnswers = {QMessageBox::No, QMessageBox::Yes};
    SwitchInput(*window, kRawListing);
    QCOMPARE(environment.MessageTexts(),
             (std::vector<std::string>{CarryOverQuestion(kept), WorkingListWindow::DiscardQuestion(kept)}));
    QCOMPARE(output->EntryCount(), 0);
    QVERIFY(!output->isVisible());
}

void InputFileChangeTest::staleKeysNeverReachAWriter() {
    AppTestEnvironment environment;
    auto window = OpenMainWindow(environment, kRawListing);
    WorkingListWindow* output = window->WorkingList();
    GoWithTheCriteria(*window);

    // The carry-over is cancelled: the list holds the old file's keys.
    SetJobTestHooks({[](JobControl& control) { control.RequestCancel(); }, {}, {}});
    SwitchInput(*window, kMerged);
    SetJobTestHooks({});
    QCOMPARE(window->StatusText(), QStringLiteral("Cancelled."));
    QCOMPARE(output->EntryCount(), 8);
    QVERIFY(!output->KeysCurrent());

    // Neither a save nor a preview reaches the writer; nothing is asked, nothing written.
    QTemporaryDir dir;
    const std::string list = dir.filePath(QStringLiteral("list.txt")).toStdString();
    Child<QComboBox>(output, "formatBox")->setCurrentIndex(static_cast<int>(ListFormat::RomNames));
    for (const char* button : {"saveButton", "previewButton"}) {
        environment.messages.clear();
        environment.fileAnswers = {list};
        Child<QPushButton>(output, button)->click();
        QVERIFY(WaitFor([&] { return !output->SaveRunning(); }));
        QCOMPARE(environment.MessageTexts(), std::vector<std::string>{kStaleWorkingList});
        QCOMPARE(environment.fileAnswers.size(), std::size_t{1});
    }
    QVERIFY(!FileExists(list));
    // Nor do the new file's games join the old file's keys.
    environment.messages.clear();
    Child<QLineEdit>(window.get(), "findEdit")->setText(QStringLiteral("pacman"));
    Child<QPushButton>(window.get(), "goButton")->click();
    QVERIFY(WaitFor([&] { return environment.HasMessage(kStaleWorkingList) && Settled(*window); }));
    QCOMPARE(output->EntryCount(), 8);

    // "Set" again offers the carry-over again.
    environment.messages.clear();
    SwitchInput(*window, kMerged);
    QVERIFY(environment.HasMessage(CarryOverQuestion(8)));
    QVERIFY(output->EntryCount() < 8 && output->KeysCurrent());
}

void InputFileChangeTest::findTextFollowsTheNewFilesWords() {
    AppTestEnvironment environment;
    auto window = OpenMainWindow(environment, kMerged);
    const std::string merged = InitialCriteria(kMerged), raw = InitialCriteria(kRawListing);
    QVERIFY(merged != raw);
    QCOMPARE(FindText(*window), merged);

    // A text the boxes made follows them without a question.
    environment.messages.clear();
    SwitchInput(*window, kRawListing);
    QCOMPARE(FindText(*window), raw);
    QVERIFY(!environment.HasMessage(kRebuildFindTextQuestion));

    // A text edited by hand is kept after "No", replaced after "Yes".
    const std::string edited = raw + " & !cloneof";
    Child<QLineEdit>(window.get(), "findEdit")->setText(QString::fromStdString(edited));
    environment.questionAnswers = {QMessageBox::No};
    SwitchInput(*window, kMerged);
    QVERIFY(environment.HasMessage(kRebuildFindTextQuestion));
    QCOMPARE(FindText(*window), edited);
    environment.messages.clear();
    environment.questionAnswers = {QMessageBox::Yes};
    SwitchInput(*window, kRawListing);
    QVERIFY(environment.HasMessage(kRebuildFindTextQuestion));
    QCOMPARE(FindText(*window), raw);
}

void InputFileChangeTest::notesAreToldOncePerFile() {
    AppTestEnvironment environment;
    auto window = OpenMainWindow(environment, kRawListing);
    auto notes = [&] {
        return std::count_if(
            environment.messages.begin(), environment.messages.end(), [](const RecordedMessage& m) {
                return m.text.starts_with("Note: Because you are not using a merged input file");
            });
    };
    QCOMPARE(notes(), 1);
    // The engine's advice in the window's words.
    QVERIFY(
        std::any_of(environment.messages.begin(), environment.messages.end(), [](const RecordedMessage& m) {
            return m.text.find(
                       "You'll be much happier if you create a merged input file via the settings window.") !=
                   std::string::npos;
        }));
    OnNextModal<SettingsWindow>([](SettingsWindow* settings) { settings->reject(); });
    Child<QPushButton>(window.get(), "settingsButton")->click();
    SwitchInput(*window, kMerged);
    SwitchInput(*window, kRawListing);
    QCOMPARE(notes(), 1);
}

QTEST_MAIN(InputFileChangeTest)
#include "InputFileChangeTest.moc"
