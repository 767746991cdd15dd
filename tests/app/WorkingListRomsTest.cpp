// The working list's "Copy ROMs to..." and "Save fixdat..." on forged sets of the small listing.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <filesystem>
#include <pugixml.hpp>
#include <set>

#include "AppTestSupport.h"
#include "RomSetForge.h"
#include "SmallRomListing.h"
#include "app/WorkingListWindow.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"
#include "romset/SetGraph.h"
#include "search/InputCheck.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

// The small listing as the input file, its sets forged into "roms" (with `faults`) and named in
// the settings, and the working list holding a clone with a device and a BIOS game.
struct Fixture {
    AppTestEnvironment environment;
    QTemporaryDir dir;
    std::unique_ptr<MainWindow> window;

    std::string Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)).toStdString(); }

    bool Open(const SetFaults& faults) {
        const std::string master = Path("listing.xml");
        if (!WriteFileAtomically(master, kListing)) return false;
        Catalog catalog;
        if (!OpenInputFile(catalog, master).Done()) return false;
        MakeDirectories(Path("roms"));
        WriteRomSets(ReadSetGraph(catalog, nullptr), kGames, SetLayout::Split, Path("roms"), faults);
        window = OpenMainWindow(environment, master);
        Settings settings = Settings::Load();
        settings.romFolders = {Path("roms")};
        return settings.Save() && Go(*window, QStringLiteral("name=clone | name=biosgame")) &&
               window->WorkingList()->EntryCount() == 2;
    }
};

}  // namespace

class WorkingListRomsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void copyRomsWritesTheChosenLayout();
    void fixdatNamesTheMissingFile();
};

void WorkingListRomsTest::copyRomsWritesTheChosenLayout() {
    Fixture fixture;
    QVERIFY(fixture.Open({}));
    const std::string target = fixture.Path("out");
    MakeDirectories(target);
    WorkingListWindow* list = fixture.window->WorkingList();
    const auto copy = [&] {
        fixture.environment.fileAnswers = {target};
        OnNextModal<QDialog>([](QDialog* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("copyRomsDialog"));
            Child<QComboBox>(dialog, "exportLayoutBox")->setCurrentIndex(2);  // non-merged
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        Child<QPushButton>(list, "copyRomsButton")->click();
        return WaitFor([&] { return !list->SaveRunning(); });
    };
    QVERIFY(copy());

    // Non-merged: the BIOS file goes into the game's zip, the device keeps a set of its own.
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(target))
        files.insert(entry.path().filename().string());
    QCOMPARE(files, (std::set<std::string>{"biosgame.zip", "chip.zip", "clone.zip"}));
    QVERIFY(
        fixture.environment.messages.back().text.starts_with("Copied to " + target + ": 2 games: 3 files"));

    // A file in the way is replaced once the user says yes; the others are left as they are.
    QVERIFY(WriteFileAtomically(target + "/clone.zip", "not a zip"));
    fixture.environment.questionAnswers = {QMessageBox::Yes};
    QVERIFY(copy());
    QVERIFY(fixture.environment.messages.back().text.starts_with(
        "Copied to " + target + ": 2 games: 3 files (1 written, 0.0 MB, 2 unchanged)"));
}

void WorkingListRomsTest::fixdatNamesTheMissingFile() {
    SetFaults faults;
    faults.dropMember = [](const std::string& set, const std::string& member) {
        return set == "biosgame" && member == "g1.bin";
    };
    Fixture fixture;
    QVERIFY(fixture.Open(faults));
    const std::string fixdat = fixture.Path("fix.dat");
    fixture.environment.fileAnswers = {fixdat};
    WorkingListWindow* list = fixture.window->WorkingList();
    Child<QPushButton>(list, "fixdatButton")->click();
    QVERIFY(WaitFor([&] { return !list->SaveRunning(); }));

    pugi::xml_document document;
    QVERIFY(document.load_file(fixdat.c_str()));
    const pugi::xpath_node_set roms = document.select_nodes("/datafile/game/rom");
    QCOMPARE(roms.size(), std::size_t{1});
    QCOMPARE(std::string(roms.first().node().attribute("name").value()), std::string("g1.bin"));
    QCOMPARE(std::string(roms.first().node().parent().attribute("name").value()), std::string("biosgame"));
    QVERIFY(fixture.environment.messages.back().text.ends_with("saved in " + fixdat + "."));
}

QTEST_MAIN(WorkingListRomsTest)
#include "WorkingListRomsTest.moc"
