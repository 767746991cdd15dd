// The settings window: its enable rules, "Set" and Cancel, the MAME listing runner, and every
// utility run from its buttons on a worker thread, with the utilities' logs in the working folder.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <regex>

#include "AppTestSupport.h"
#include "app/BackgroundWork.h"
#include "app/ProgressDialog.h"
#include "app/ResultListWindows.h"
#include "app/SettingsWindow.h"
#include "app/WorkingListWindow.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TagTable.h"
#include "listmodel/ListTable.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

std::string UtilityFixture(const std::string& name) {
    return AppFixture("../utilities/") + name;
}

bool Enabled(QWidget* dialog, const char* name) {
    return Child<QWidget>(dialog, name)->isEnabled();
}

QString Text(QWidget* dialog, const char* name) {
    return Child<QLineEdit>(dialog, name)->text();
}

void Click(QWidget* dialog, const char* name) {
    Child<QPushButton>(dialog, name)->click();
}

// Clicks a button that may start a utility and waits until it has ended.
void RunFrom(SettingsWindow* dialog, const char* name) {
    Click(dialog, name);
    QVERIFY(WaitFor([&] { return !dialog->Busy(); }, 30000));
}

bool WarningShown(QWidget* dialog) {
    auto* warning = Child<QLabel>(dialog, "setFirstWarning");
    return !warning->isHidden() &&
           warning->text() ==
               QStringLiteral("Some buttons below will be disabled until you press the Set button!");
}

std::string MaskLogDate(const std::string& log) {
    static const std::regex kDate(
        "File created on:[A-Z][a-z]+day, [A-Z][a-z]+ [0-9]{2}, [0-9]{4}@[0-9]{2}:[0-9]{2}\r\n");
    std::smatch match;
    if (!std::regex_search(log, match, kDate)) return "date missing or malformed: " + log;
    return match.prefix().str() + "File created on:<date>\r\n" + match.suffix().str();
}

// A stand-in for MAME: prints `bytes` bytes of listing.
std::string FakeMame(const QTemporaryDir& dir, const std::string& name, int bytes) {
    const std::string folder = dir.filePath(QString::fromStdString(name)).toStdString();
    MakeDirectories(folder);
    const std::string path = folder + "/mame";
    WriteFileAtomically(path, "#!/bin/sh\n[ \"$1\" = -listxml ] || exit 3\nhead -c " + std::to_string(bytes) +
                                  " /dev/zero | tr '\\0' x\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// The working folder of the program, where the utilities leave their logs.
class WorkingFolder {
  public:
    WorkingFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(dir.path()); }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    std::string File(const char* name) const { return dir.filePath(QString::fromUtf8(name)).toStdString(); }
    QTemporaryDir dir;

  private:
    QString previous_;
};

// Holds a job until the test opens it.
struct Gate {
    std::atomic<bool> open{false};
    void Wait() const {
        for (int ms = 0; ms < 10000 && !open; ++ms) QThread::msleep(1);
    }
};

}  // namespace

class SettingsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void enableRulesAndSet();
    void theSearchedFileIsTheOneTheSettingsShow();
    void mameRunnerRunsTheProgramOrTakesTheListing();
    void mergeRunsBehindTheProgressWindow();
    void romScanAndConvertersSetTheInputFile();
    void cancelledUtilitiesChangeNothing();
};

void SettingsTest::enableRulesAndSet() {
    AppTestEnvironment environment;
    SettingsWindow dialog;
    dialog.show();
    // First opening: nothing filled in, "Set" and "Merge!" wait for their files.
    QVERIFY(Text(&dialog, "inputFileEdit").isEmpty());
    QVERIFY(!Enabled(&dialog, "setButton"));
    QVERIFY(!Enabled(&dialog, "mergeButton"));
    QVERIFY(!WarningShown(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Settings"));

    // The merge inputs in any order: "Merge!" after the third; nplayers.ini is optional.
    const std::string listing = UtilityFixture("merge/listxml.xml");
    const std::string catver = UtilityFixture("merge/catver.ini");
    const std::string controls = UtilityFixture("merge/controls.xml");
    environment.fileAnswers = {catver, controls, listing, ""};
    Click(&dialog, "catverBrowseButton");
    QVERIFY(!Enabled(&dialog, "mergeButton"));
    Click(&dialog, "controlsBrowseButton");
    QVERIFY(!Enabled(&dialog, "mergeButton"));
    RunFrom(&dialog, "listXmlBrowseButton");
    QVERIFY(Enabled(&dialog, "mergeButton"));
    Click(&dialog, "nplayersBrowseButton");  // cancelled: nothing changes
    QVERIFY(Enabled(&dialog, "mergeButton"));
    QVERIFY(Text(&dialog, "nplayersEdit").isEmpty());
    QCOMPARE(Text(&dialog, "listXmlEdit").toStdString(), listing);
    QCOMPARE(Text(&dialog, "controlsEdit").toStdString(), controls);
    QCOMPARE(Text(&dialog, "catverEdit").toStdString(), catver);
    const std::vector<RecordedFileQuestion>& asked = environment.fileAsked;
    QCOMPARE(asked[0].title, std::string("Point me to catver.ini please..."));
    QCOMPARE(asked[0].filter, std::string("ini files (*.ini)|*.ini"));
    QCOMPARE(asked[0].defaultExt, std::string("ini"));
    QCOMPARE(asked[1].title, std::string("Point me to controls.xml please..."));
    QCOMPARE(asked[1].filter, std::string("xml files (*.xml)|*.xml"));
    QCOMPARE(asked[2].title, std::string("Point me to MAME or MAME's xml file please..."));
    // The MAME program has no ".exe" here: it is one of "all files".
    QCOMPARE(asked[2].filter, std::string("xml files (*.xml)|*.xml|all files (*)|*"));
    QCOMPARE(asked[2].defaultExt, std::string("xml"));
    QVERIFY(asked[2].startPath.empty());
    QCOMPARE(asked[3].title, std::string("Point me to nplayers.ini please..."));
    QVERIFY(environment.messages.empty());

    // The input file: an open question (a file that exists); "Set" follows.
    environment.fileAnswers = {AppFixture("games.xml")};
    Click(&dialog, "inputBrowseButton");
    QCOMPARE(asked.back().kind, FileQuestion::Open);
    QCOMPARE(asked.back().title, std::string("Point me to your xml file please..."));
    QVERIFY(Enabled(&dialog, "setButton"));
    // Another file than the one in use: the ROM scan and the Maximus converter wait for "Set".
    QVERIFY(!Enabled(&dialog, "romScanButton"));
    QVERIFY(!Enabled(&dialog, "maximusToXmlButton"));
    QVERIFY(Enabled(&dialog, "malaToXmlButton") && Enabled(&dialog, "romDirToXmlButton"));
    QVERIFY(WarningShown(&dialog));

    // The data-file boxes take a typed path as well as a browsed one; "Merge!" follows them.
    auto* listXmlEdit = Child<QLineEdit>(&dialog, "listXmlEdit");
    listXmlEdit->selectAll();
    QTest::keyClick(listXmlEdit, Qt::Key_Backspace);
    QVERIFY(!Enabled(&dialog, "mergeButton"));
    QTest::keyClicks(listXmlEdit, QString::fromStdString(listing));
    QVERIFY(Enabled(&dialog, "mergeButton"));
    const std::string typedCatver = "/typed/catver.ini";
    Child<QLineEdit>(&dialog, "catverEdit")->selectAll();
    QTest::keyClicks(Child<QLineEdit>(&dialog, "catverEdit"), QString::fromStdString(typedCatver));
    Child<QCheckBox>(&dialog, "hideRomNamesBox")->setChecked(true);
    Child<QCheckBox>(&dialog, "hideTagsBox")->setChecked(true);
    // A typed path that names no file is refused, by name; the dialog stays.
    const std::string missing = AppFixture("no-such-file.xml");
    Child<QLineEdit>(&dialog, "inputFileEdit")->setText(QString::fromStdString(missing));
    Click(&dialog, "setButton");
    QCOMPARE(environment.MessageTexts(),
             std::vector<std::string>{SettingsWindow::MissingInputMessage(missing)});
    QVERIFY(environment.messages[0].text.find(missing) != std::string::npos);
    QVERIFY(dialog.isVisible());
    QVERIFY(!Settings::Load().keyExists);
    Child<QLineEdit>(&dialog, "inputFileEdit")->setText(QString::fromStdString(AppFixture("games.xml")));
    Click(&dialog, "setButton");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    Settings stored = Settings::Load();
    QVERIFY(stored.keyExists);
    QCOMPARE(stored.inputXmlFile, AppFixture("games.xml"));
    QCOMPARE(stored.catverFile, typedCatver);
    QCOMPARE(stored.controlsFile, controls);
    QCOMPARE(stored.listXmlFile, listing);
    QCOMPARE(stored.nplayersFile, std::string());
    QVERIFY(stored.hideRomNames && stored.hideTags);
    QVERIFY(dialog.HideRomNames());
    QVERIFY(dialog.HideTags());

    // The next opening reads it all back; the file in use is the stored one, so nothing waits.
    SettingsWindow again(AppFixture("games.xml"));
    QCOMPARE(Text(&again, "inputFileEdit").toStdString(), AppFixture("games.xml"));
    QCOMPARE(Text(&again, "catverEdit").toStdString(), typedCatver);
    QVERIFY(Child<QCheckBox>(&again, "hideRomNamesBox")->isChecked());
    QVERIFY(Enabled(&again, "setButton") && Enabled(&again, "mergeButton") &&
            Enabled(&again, "romScanButton") && Enabled(&again, "maximusToXmlButton"));
    QVERIFY(!WarningShown(&again));
    // Choosing the same file again changes nothing; another one disables, the one in use again enables.
    environment.fileAnswers = {AppFixture("games.xml"), AppFixture("merged.xml"), AppFixture("games.xml")};
    Click(&again, "inputBrowseButton");
    QVERIFY(Enabled(&again, "romScanButton") && !WarningShown(&again));
    Click(&again, "inputBrowseButton");
    QVERIFY(!Enabled(&again, "romScanButton") && !Enabled(&again, "maximusToXmlButton") &&
            WarningShown(&again));
    Click(&again, "inputBrowseButton");
    QVERIFY(Enabled(&again, "romScanButton") && Enabled(&again, "maximusToXmlButton") &&
            !WarningShown(&again));
}

void SettingsTest::theSearchedFileIsTheOneTheSettingsShow() {
    AppTestEnvironment environment;
    WorkingFolder work;
    const std::string master = UtilityFixture("master.xml");
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, work.File("missing.xml"));
    auto* findEdit = Child<QLineEdit>(window.get(), "findEdit");
    // The games "Go!" puts into the working list (emptied first) for `text`.
    auto go = [&](const char* text) {
        // A new input file carries the list over first.
        WaitFor([&] { return !window->ScanRunning() && window->WorkingList()->PendingFills() == 0; });
        window->WorkingList()->ClearAndHide();
        findEdit->setText(QString::fromUtf8(text));
        Click(window.get(), "goButton");
        WaitFor([&] { return !window->ScanRunning() && window->WorkingList()->PendingFills() == 0; });
        QTest::qWait(20);
        return ColumnOf(window->WorkingList()->List(), kRomNameColumn);
    };

    // No readable master file: nothing to search, so the three searches wait for one ...
    QVERIFY(environment.HasMessage("Open or Read error on input file!?\r\nCheck your settings."));
    for (const char* name : {"goButton", "listAllButton", "romSearchButton"})
        QVERIFY(!Enabled(window.get(), name));
    Click(window.get(), "listAllButton");
    QCOMPARE(window->ScanCount(), 0);
    // ... and once one is set, they find its games.
    OnNextModal<SettingsWindow>([&](SettingsWindow* settings) {
        Child<QLineEdit>(settings, "inputFileEdit")->setText(QString::fromStdString(master));
        Click(settings, "setButton");
    });
    Click(window.get(), "settingsButton");
    QCOMPARE(go("pac"), (std::vector<std::string>{"pacman", "pacmanf", "puckman"}));
    int shown = 0;
    QObject::connect(window->FullList(), &ResultListWindow::BatchShown, [&] { ++shown; });
    Click(window.get(), "listAllButton");
    QVERIFY(WaitFor([&] { return shown == 1; }));
    QCOMPARE(window->FullList()->EntryCount(), 5);

    // A new file browsed, then Cancel: the main window goes on with the stored file.
    environment.fileAnswers = {AppFixture("games.xml")};
    OnNextModal<SettingsWindow>([](SettingsWindow* settings) {
        // The main window's file is in use: the ROM scan is ready until another file is chosen.
        QVERIFY(Enabled(settings, "romScanButton"));
        Click(settings, "inputBrowseButton");
        QVERIFY(!Enabled(settings, "romScanButton"));
        Click(settings, "cancelButton");
    });
    Click(window.get(), "settingsButton");
    QCOMPARE(window->InputXmlPath(), master);
    QCOMPARE(Settings::Load().inputXmlFile, master);
    QCOMPARE(go("pac"), (std::vector<std::string>{"pacman", "pacmanf", "puckman"}));

    // A converter's output is the input file at once, in the window and the settings alike,
    // whether the dialog then ends with Cancel or "Set".
    const std::string mala = work.File("one.mlg");
    int exitCode = -1;
    RunCli({"--input", master, "save", "mala", "--find", "name=galaga", "-o", mala}, &exitCode);
    QCOMPARE(exitCode, 0);
    const std::string converted = work.File("from-mala.xml");
    environment.fileAnswers = {mala, converted};
    OnNextModal<SettingsWindow>([&](SettingsWindow* settings) {
        RunFrom(settings, "malaToXmlButton");
        QCOMPARE(Text(settings, "inputFileEdit").toStdString(), converted);
        Click(settings, "cancelButton");
    });
    Click(window.get(), "settingsButton");
    QCOMPARE(window->InputXmlPath(), converted);
    QCOMPARE(Settings::Load().inputXmlFile, converted);
    QCOMPARE(go("pac | galaga"), (std::vector<std::string>{"galaga"}));
    OnNextModal<SettingsWindow>([&](SettingsWindow* settings) {
        QCOMPARE(Text(settings, "inputFileEdit").toStdString(), converted);
        Click(settings, "cancelButton");
    });
    Click(window.get(), "settingsButton");
    QCOMPARE(window->InputXmlPath(), converted);
}

void SettingsTest::mameRunnerRunsTheProgramOrTakesTheListing() {
    AppTestEnvironment environment;
    QTemporaryDir dir;
    const std::string good = FakeMame(dir, "good", 1100000);
    const std::string small = FakeMame(dir, "small", 500000);
    SettingsWindow dialog;
    dialog.show();

    // The listing is offered a place in the data folder, never beside MAME; the progress window
    // counts the bytes as they come.
    std::atomic<std::int64_t> received{-1};
    SetJobTestHooks({{},
                     [&](JobControl&, std::int64_t done, std::int64_t total) {
                         if (total == 0) received = done;
                     },
                     {}});
    environment.fileAnswers = {good, ""};  // then the place for the listing, left as offered
    RunFrom(&dialog, "listXmlBrowseButton");
    const std::string listing = environment.DataFolder() + "/Vantor/listxml.xml";
    QCOMPARE(environment.fileAsked.at(1).title, std::string("Save MAME's listing as..."));
    QCOMPARE(environment.fileAsked.at(1).startPath, listing);
    QVERIFY(Text(&dialog, "listXmlEdit").isEmpty());  // no place, no run
    environment.fileAnswers = {good, listing};
    RunFrom(&dialog, "listXmlBrowseButton");
    SetJobTestHooks({});
    QCOMPARE(Text(&dialog, "listXmlEdit").toStdString(), listing);
    QCOMPARE(dialog.ListXmlPath(), listing);
    QCOMPARE(std::filesystem::file_size(listing), std::uintmax_t{1100000});
    QVERIFY(!FileExists(dir.filePath(QStringLiteral("good/listxml.xml")).toStdString()));
    QVERIFY(received >= 0 && received <= 1100000);
    QCOMPARE(environment.messages.size(), size_t{1});
    QCOMPARE(environment.messages[0].icon, MessageIcon::Exclamation);
    QVERIFY(environment.messages[0].text.starts_with("I will now attempt to coax MAME to give up"));

    // Too little output: rejected, the listing path stays.
    environment.messages.clear();
    environment.fileAnswers = {small, dir.filePath(QStringLiteral("small.xml")).toStdString()};
    RunFrom(&dialog, "listXmlBrowseButton");
    QCOMPARE(environment.MessageTexts(),
             (std::vector<std::string>{
                 environment.messages[0].text,
                 "Outfile file is invalid.  Is this really a MAME program that you pointed me to?"}));
    QCOMPARE(environment.messages[1].icon, MessageIcon::Exclamation);
    QCOMPARE(Text(&dialog, "listXmlEdit").toStdString(), listing);
    QVERIFY(!FileExists(dir.filePath(QStringLiteral("small.xml")).toStdString()));

    // A listing is taken as it is.
    environment.messages.clear();
    environment.fileAnswers = {UtilityFixture("merge/listxml.xml")};
    RunFrom(&dialog, "listXmlBrowseButton");
    QVERIFY(environment.messages.empty());
    QCOMPARE(Text(&dialog, "listXmlEdit").toStdString(), UtilityFixture("merge/listxml.xml"));
}

void SettingsTest::mergeRunsBehindTheProgressWindow() {
    AppTestEnvironment environment;
    WorkingFolder work;
    environment.WriteSettings("");
    {
        Settings settings = Settings::Load();
        settings.listXmlFile = UtilityFixture("merge/listxml.xml");
        settings.catverFile = UtilityFixture("merge/catver.ini");
        settings.controlsFile = UtilityFixture("merge/controls.xml");
        settings.nplayersFile = UtilityFixture("merge/nplayers.ini");
        QVERIFY(settings.Save());
    }
    SettingsWindow dialog;
    dialog.show();
    QVERIFY(Enabled(&dialog, "mergeButton"));
    QVERIFY(!Enabled(&dialog, "setButton"));

    // The result comes when the progress window has gone, while the dialog is still busy: "Set"
    // and Cancel do nothing meanwhile.
    QString progressText = QStringLiteral("none");
    bool busyDialogStayed = false;
    SetMessageHook([&](MessageIcon icon, const std::string& text, QMessageBox::StandardButtons) {
        environment.messages.push_back({icon, text});
        progressText.clear();
        for (ProgressDialog* progress : dialog.findChildren<ProgressDialog*>()) {
            if (progress->isVisible()) progressText = progress->FirstText();
        }
        Click(&dialog, "cancelButton");
        Click(&dialog, "setButton");
        busyDialogStayed = dialog.isVisible() && dialog.Busy() && dialog.result() == 0;
        return QMessageBox::Ok;
    });
    const std::string merged = work.File("merged.xml");
    environment.fileAnswers = {merged};
    RunFrom(&dialog, "mergeButton");
    QCOMPARE(environment.fileAsked[0].title, std::string("Save merged file as..."));
    QCOMPARE(environment.messages.size(), size_t{1});
    QCOMPARE(environment.messages[0].icon, MessageIcon::Information);
    QCOMPARE(environment.messages[0].text, "Your merged xml file has been created with 5 games:\r\n" +
                                               merged +
                                               "\r\nThis file is now set as your input xml file.\r\n"
                                               "Logfile generated as mergelog.txt");
    QCOMPARE(progressText, QString());
    QVERIFY(busyDialogStayed);
    QVERIFY(!dialog.Busy());
    QVERIFY(dialog.findChildren<ProgressDialog*>().isEmpty());

    QCOMPARE(FileText(merged), FileText(UtilityFixture("merge/expected-merged.xml")));
    QCOMPARE(MaskLogDate(FileText(work.File("mergelog.txt"))),
             FileText(UtilityFixture("merge/expected-mergelog.txt")));
    // The merged file becomes the input file shown; "Set" stores it.
    QCOMPARE(Text(&dialog, "inputFileEdit").toStdString(), merged);
    QVERIFY(Enabled(&dialog, "setButton"));
    QVERIFY(WarningShown(&dialog));
    Click(&dialog, "setButton");
    QCOMPARE(Settings::Load().inputXmlFile, merged);

    // A merge whose save question is cancelled changes nothing.
    SettingsWindow second(merged);
    environment.fileAnswers = {""};
    environment.messages.clear();
    RunFrom(&second, "mergeButton");
    QCOMPARE(Text(&second, "inputFileEdit").toStdString(), merged);
    QVERIFY(environment.messages.empty());

    // Merging onto an existing file asks first; "No" goes back to the save question.
    const std::string older = work.File("older.xml");
    QVERIFY(WriteFileAtomically(older, "an older file"));
    SetMessageHook([&](MessageIcon icon, const std::string& text, QMessageBox::StandardButtons buttons) {
        environment.messages.push_back({icon, text});
        return buttons.testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
    });
    environment.fileAsked.clear();
    environment.fileAnswers = {older, ""};
    RunFrom(&second, "mergeButton");
    QCOMPARE(environment.MessageTexts(), std::vector<std::string>{ReplaceFileQuestion(older)});
    QCOMPARE(environment.fileAsked.size(), std::size_t{2});
    QCOMPARE(FileText(older), std::string("an older file"));
    QCOMPARE(Text(&second, "inputFileEdit").toStdString(), merged);
}

void SettingsTest::romScanAndConvertersSetTheInputFile() {
    AppTestEnvironment environment;
    WorkingFolder work;
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toUtf8());
    const std::string master = UtilityFixture("master.xml");
    environment.WriteSettings(master);
    const std::string roms = work.File("roms");
    MakeDirectories(roms);
    for (const char* name : {"pacman.zip", "galaga.7z", "notes.txt", "xyz.zip", "Pac-Man (1980)(Namco).zip"})
        WriteFileAtomically(roms + "/" + name, "");

    auto expectCreated = [&](const std::vector<std::string>& texts) {
        QCOMPARE(environment.MessageTexts(), texts);
        for (const RecordedMessage& message : environment.messages)
            QCOMPARE(message.icon, MessageIcon::Information);
        environment.messages.clear();
    };
    const std::string created =
        "Your xml file has been created.\r\nThis file is now set as your input xml file.";
    const std::string convertDone =
        created +
        "\r\n\r\nUse this new input XML file to generate an all ROMs list in the main "
        "vantor window.";

    {
        // The ROM scan of the file in use: its XML, its log here, the file shown as input.
        SettingsWindow dialog(master);
        const std::string scanned = work.File("scanned.xml");
        environment.fileAnswers = {roms, scanned};
        RunFrom(&dialog, "romScanButton");
        expectCreated({created + "\r\nLogfile generated as romscanlog.txt"});
        QCOMPARE(environment.fileAsked[0].title, std::string("Folder of ROMs to scan..."));
        QCOMPARE(Text(&dialog, "inputFileEdit").toStdString(), scanned);
        QCOMPARE(Settings::Load().inputXmlFile, scanned);  // stored at once
        environment.WriteSettings(master);
        QVERIFY(!Enabled(&dialog, "romScanButton"));
        int exitCode = -1;
        RunCli({"--input", master, "romscan", "--roms", roms, "-o", work.File("cli-scanned.xml")}, &exitCode);
        QCOMPARE(exitCode, 0);
        QCOMPARE(FileText(scanned), FileText(work.File("cli-scanned.xml")));
        QVERIFY(FileText(scanned).find("<game name=\"galaga\"") != std::string::npos);
        QVERIFY(FileText(work.File("romscanlog.txt")).find("xyz was not found in the xml file.\r\n") !=
                std::string::npos);
    }
    {
        // ROMDir2XML.
        SettingsWindow dialog(master);
        const std::string listed = work.File("romdir.xml");
        environment.fileAnswers = {roms, listed};
        RunFrom(&dialog, "romDirToXmlButton");
        expectCreated({created});
        QCOMPARE(Text(&dialog, "inputFileEdit").toStdString(), listed);
        environment.WriteSettings(master);
        QVERIFY(FileText(listed).find(
                    "<description>Pac-Man (1980)(Namco)</description>\r\n\t\t<year>1980</year>") !=
                std::string::npos);
    }
    {
        // A MaLa list of three games of the master file back to XML: no log.
        const std::string mala = work.File("three.mlg");
        int exitCode = -1;
        RunCli({"--input", master, "save", "mala", "--find", "galaga | puckman", "-o", mala}, &exitCode);
        QCOMPARE(exitCode, 0);
        SettingsWindow dialog(master);
        const std::string converted = work.File("from-mala.xml");
        environment.fileAnswers = {mala, converted};
        RunFrom(&dialog, "malaToXmlButton");
        expectCreated({convertDone});
        QCOMPARE(environment.fileAsked[environment.fileAsked.size() - 2].title,
                 std::string("Open a mala list..."));
        QCOMPARE(Text(&dialog, "inputFileEdit").toStdString(), converted);
        environment.WriteSettings(master);
        QVERIFY(!FileExists(work.File("convertLog.txt")));
        RunCli({"--input", master, "mala2xml", mala, "-o", work.File("cli-mala.xml")}, &exitCode);
        QCOMPARE(FileText(converted), FileText(work.File("cli-mala.xml")));
    }
    {
        // The Maximus list always goes to tempXMLFile.xml in the temporary folder.
        SettingsWindow dialog(master);
        environment.fileAnswers = {UtilityFixture("convert/maximus.txt")};
        RunFrom(&dialog, "maximusToXmlButton");
        expectCreated({convertDone});
        const std::string output = temp.filePath(QStringLiteral("tempXMLFile.xml")).toStdString();
        QCOMPARE(Text(&dialog, "inputFileEdit").toStdString(), output);
        QCOMPARE(FileText(output), FileText(UtilityFixture("convert/expected.xml")));
        environment.WriteSettings(master);
    }
    {
        // A file that is no MaLa list is said at once, before any save question.
        SettingsWindow dialog(master);
        environment.fileAsked.clear();
        environment.fileAnswers = {UtilityFixture("convert/maximus.txt"), work.File("never.xml")};
        RunFrom(&dialog, "malaToXmlButton");
        QCOMPARE(environment.MessageTexts(), std::vector<std::string>{"Invalid Mala game list file?!?"});
        QCOMPARE(environment.fileAsked.size(), std::size_t{1});
        QCOMPARE(Text(&dialog, "inputFileEdit").toStdString(), master);
        environment.messages.clear();
        environment.fileAnswers.clear();
    }
    {
        // A folder question cancelled: nothing happens, not even a log.
        std::remove(work.File("romscanlog.txt").c_str());
        SettingsWindow dialog(master);
        environment.fileAnswers = {""};
        RunFrom(&dialog, "romScanButton");
        QVERIFY(environment.messages.empty());
        QCOMPARE(Text(&dialog, "inputFileEdit").toStdString(), master);
        QVERIFY(!FileExists(work.File("romscanlog.txt")));
    }
    qunsetenv("TMPDIR");
}

void SettingsTest::cancelledUtilitiesChangeNothing() {
    AppTestEnvironment environment;
    WorkingFolder work;
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toUtf8());
    const std::string master = UtilityFixture("master.xml");
    const std::string roms = work.File("roms");
    MakeDirectories(roms);
    for (const char* name : {"pacman.zip", "galaga.7z", "xyz.zip", "Pac-Man (1980)(Namco).zip"})
        WriteFileAtomically(roms + "/" + name, "");
    const std::string mala = work.File("three.mlg");
    RunCli({"--input", master, "save", "mala", "--find", "galaga | puckman | pacman", "-o", mala});
    const std::string mame = FakeMame(temp, "mame", 1100000);
    const std::string mameFolder = temp.filePath(QStringLiteral("mame")).toStdString();
    // MAME's bytes are counted as they come: how often depends on the clock, so its Cancel comes
    // before the run and with the first report only.
    const struct {
        const char* button;
        std::vector<std::string> answers;
        std::string output;
        bool steadyReports = true;
    } utilities[] = {
        {"mergeButton", {work.File("merged.xml")}, work.File("merged.xml")},
        {"romScanButton", {roms, work.File("scanned.xml")}, work.File("scanned.xml")},
        {"romDirToXmlButton", {roms, work.File("romdir.xml")}, work.File("romdir.xml")},
        {"malaToXmlButton", {mala, work.File("from-mala.xml")}, work.File("from-mala.xml")},
        {"maximusToXmlButton",
         {UtilityFixture("convert/maximus.txt")},
         temp.filePath("tempXMLFile.xml").toStdString()},
        {"listXmlBrowseButton", {mame, work.File("listing.xml")}, work.File("listing.xml"), false},
    };
    auto resetSettings = [&] {
        Settings settings;
        settings.inputXmlFile = master;
        settings.listXmlFile = UtilityFixture("merge/listxml.xml");
        settings.catverFile = UtilityFixture("merge/catver.ini");
        settings.controlsFile = UtilityFixture("merge/controls.xml");
        settings.nplayersFile = UtilityFixture("merge/nplayers.ini");
        QVERIFY(settings.Save());
    };
    // All a utility may change: the files where it writes, the stored settings and the paths shown.
    auto state = [&](SettingsWindow& dialog, const std::string& output) {
        const Settings settings = Settings::Load();
        std::string all = FileText(output) + "|" + settings.inputXmlFile + "|" + settings.listXmlFile + "|" +
                          Text(&dialog, "inputFileEdit").toStdString() + "|" +
                          Text(&dialog, "listXmlEdit").toStdString();
        for (const QString& folder : {work.dir.path(), temp.path(), QString::fromStdString(mameFolder)})
            all += "|" + QDir(folder).entryList(QDir::Files).join(',').toStdString();
        return all;
    };
    std::atomic<int> reports{0};
    for (const auto& utility : utilities) {
        // A whole run counts the job's reports (progress figures and texts), so that a Cancel can
        // come before it begins, halfway and with its last report.
        resetSettings();
        SetJobTestHooks({{},
                         [&](JobControl&, std::int64_t, std::int64_t) { ++reports; },
                         [&](JobControl&, const std::string&, const std::string&) { ++reports; }});
        reports = 0;
        {
            SettingsWindow dialog(master);
            environment.fileAnswers = utility.answers;
            RunFrom(&dialog, utility.button);
            QVERIFY2(dialog.StatusText().isEmpty() && FileExists(utility.output), utility.button);
        }
        const int total = reports;
        QVERIFY2(total > 0, utility.button);
        const std::vector<int> cancelPoints =
            utility.steadyReports ? std::vector<int>{0, (total + 1) / 2, total} : std::vector<int>{0, 1};
        for (int cancelAt : cancelPoints) {
            const QByteArray what =
                QByteArray(utility.button) + " cancelled at " + QByteArray::number(cancelAt);
            resetSettings();
            QVERIFY(WriteFileAtomically(utility.output, "an earlier file"));
            SettingsWindow dialog(master);
            const std::string before = state(dialog, utility.output);
            reports = 0;
            JobTestHooks hooks;
            std::atomic<std::size_t> asked{0};  // messages before the job: its questions and notes
            hooks.started = [&, cancelAt](JobControl& control) {
                asked = environment.messages.size();
                if (cancelAt == 0) control.RequestCancel();
            };
            hooks.reported = [&, cancelAt](JobControl& control, std::int64_t, std::int64_t) {
                if (++reports == cancelAt) control.RequestCancel();
            };
            hooks.textsReported = [&, cancelAt](JobControl& control, const std::string&, const std::string&) {
                if (++reports == cancelAt) control.RequestCancel();
            };
            SetJobTestHooks(hooks);
            environment.messages.clear();
            environment.fileAnswers = utility.answers;
            RunFrom(&dialog, utility.button);
            QVERIFY2(dialog.UtilityProgress() == nullptr, what);
            // Even a Cancel with the last report stops it: the file is only put in place after
            // the utility's final look.
            QVERIFY2(dialog.StatusText() == QStringLiteral("Cancelled."), what);
            QVERIFY2(state(dialog, utility.output) == before, what);
            QVERIFY2(environment.messages.size() == asked, what);  // and nothing after it
        }
    }
    SetJobTestHooks({});

    // The progress window shows the utility's texts and its Cancel stops it.
    resetSettings();
    Gate gate;
    SetJobTestHooks({{}, {}, [&](JobControl&, const std::string& first, const std::string&) {
                         if (first == "Merging data, hang on...") gate.Wait();
                     }});
    SettingsWindow dialog(master);
    environment.fileAnswers = {work.File("stopped.xml")};
    Click(&dialog, "mergeButton");
    QVERIFY(WaitFor([&] {
        return dialog.UtilityProgress() &&
               dialog.UtilityProgress()->FirstText() == QStringLiteral("Merging data, hang on...");
    }));
    Child<QPushButton>(dialog.UtilityProgress(), "cancelButton")->click();
    gate.open = true;
    QVERIFY(WaitFor([&] { return !dialog.Busy(); }));
    SetJobTestHooks({});
    QCOMPARE(dialog.StatusText(), QStringLiteral("Cancelled."));
    QVERIFY(!FileExists(work.File("stopped.xml")));
    qunsetenv("TMPDIR");
}

QTEST_MAIN(SettingsTest)
#include "SettingsTest.moc"
