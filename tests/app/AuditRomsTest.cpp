// "Audit ROMs" as a user drives it: the ROM folders set in the settings, the audit run and
// cancelled, then "Only games my ROMs can run" and the status under the list.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "AppTestSupport.h"
#include "RomSetForge.h"
#include "app/BackgroundWork.h"
#include "app/SettingsWindow.h"
#include "app/WorkingListWindow.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"
#include "listmodel/ListTable.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

constexpr const char* kListing = R"(<?xml version="1.0"?>
<!DOCTYPE mame [
<!ELEMENT mame (machine+)>
]>
<mame build="0.251" debug="no" mameconfig="10">
	<machine name="goodgame">
		<description>Good</description>
		<rom name="g1.bin" size="1024" crc="0badf00d"/>
	</machine>
	<machine name="badgame">
		<description>Bad</description>
		<rom name="b1.bin" size="1024" crc="12345678"/>
	</machine>
</mame>
)";

}  // namespace

class AuditRomsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void auditFromTheSettingsFoldersThenKeepRunnableGames();
};

void AuditRomsTest::auditFromTheSettingsFoldersThenKeepRunnableGames() {
    AppTestEnvironment environment;
    QTemporaryDir dir;
    const std::string master = dir.filePath(QStringLiteral("listing.xml")).toStdString();
    QVERIFY(WriteFileAtomically(master, kListing));
    const std::string roms = dir.filePath(QStringLiteral("roms")).toStdString();
    MakeDirectories(roms);
    QVERIFY(WriteZip(roms + "/goodgame.zip", {{"g1.bin", ForgedBytes(1024, 0x0badf00d)}}));
    QVERIFY(WriteZip(roms + "/badgame.zip", {{"b1.bin", ForgedBytes(1024, 0x12345679)}}));
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, master);
    auto* runnable = Child<QCheckBox>(window.get(), "criterion:runnable-only");
    QVERIFY(!runnable->isEnabled());

    // No folders yet: the audit says where to set them.
    window->AuditAction()->trigger();
    QVERIFY(environment.messages.back().text.starts_with("Choose your ROM folders"));
    QCOMPARE(window->ScanCount(), 0);

    // The settings refuse a folder that does not exist, and keep the ones that do.
    environment.messages.clear();
    OnNextModal<SettingsWindow>([&](SettingsWindow* settings) {
        auto* folders = Child<QLineEdit>(settings, "romFoldersEdit");
        folders->setText(QString::fromStdString(roms + "; " + roms + "/nowhere"));
        Child<QPushButton>(settings, "setButton")->click();
        QVERIFY(settings->isVisible());
        folders->setText(QString::fromStdString(roms));
        Child<QPushButton>(settings, "setButton")->click();
    });
    Child<QPushButton>(window.get(), "settingsButton")->click();
    QCOMPARE(environment.messages.size(), std::size_t{1});
    QVERIFY(environment.messages[0].text.find("/nowhere does not exist") != std::string::npos);
    QCOMPARE(Settings::Load().romFolders, std::vector<std::string>{roms});

    // Cancelled, the audit keeps nothing.
    SetJobTestHooks({[](JobControl& control) { control.RequestCancel(); }, {}, {}});
    window->AuditAction()->trigger();
    QVERIFY(WaitFor([&] { return !window->ScanRunning(); }));
    SetJobTestHooks({});
    QCOMPARE(window->StatusText(), QString::fromUtf8(kCancelled));
    QVERIFY(!runnable->isEnabled());

    window->AuditAction()->trigger();
    QVERIFY(WaitFor([&] { return !window->ScanRunning(); }));
    QCOMPARE(environment.messages.back().text, std::string("Audited 2 games: 1 good, 1 incomplete."));
    QVERIFY(runnable->isEnabled());
    runnable->click();
    QVERIFY(Go(*window, Child<QLineEdit>(window.get(), "findEdit")->text()));
    SortableListView* list = window->WorkingList()->List();
    QCOMPARE(ColumnOf(list, kRomNameColumn), std::vector<std::string>{"goodgame"});
    list->SelectRow(0, false);
    auto* mark = Child<QLabel>(window->WorkingList(), "auditMark");
    QVERIFY(WaitFor([&] { return mark->isVisibleTo(window->WorkingList()); }));
    QCOMPARE(mark->text(), QStringLiteral("ROM audit of goodgame: good"));
}

QTEST_MAIN(AuditRomsTest)
#include "AuditRomsTest.moc"
