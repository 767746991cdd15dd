// One whole session as a new user has it: the first run, the settings with the merge of MAME's
// listing and the three data files, "Set", criteria, "Go!", and the working list saved in every
// format, each file equal to what vantor-cli writes for the same search.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "AppTestSupport.h"
#include "app/Application.h"
#include "app/CsvDialogs.h"
#include "app/FormatDialogs.h"
#include "app/SettingsWindow.h"
#include "app/SortableListView.h"
#include "app/WelcomeDialog.h"
#include "app/WorkingListWindow.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"
#include "output/ListFormats.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

std::string SessionFixture(const char* name) {
    return AppFixture("session/") + name;
}

// The CSV columns as vantor-cli names them, in the order of the boxes.
std::vector<std::string> CsvCliNames() {
    std::vector<std::string> names;
    for (const CsvColumn& column : CsvColumns()) names.push_back(column.cliName);
    return names;
}

}  // namespace

class SessionTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void firstRunToEveryFormat();
};

void SessionTest::firstRunToEveryFormat() {
    AppTestEnvironment environment;
    QTemporaryDir dir;
    auto path = [&](const std::string& name) {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    };

    // First run: the welcome, then the main window opens the settings before anything else.
    OnNextModal<WelcomeDialog>(
        [](WelcomeDialog* welcome) { Child<QPushButton>(welcome, "nextButton")->click(); });
    std::unique_ptr<MainWindow> window = CreateMainWindow();
    QVERIFY(window != nullptr && window->FirstRun());

    const std::string merged = path("merged.xml");
    bool settingsDone = false;
    OnNextModal<SettingsWindow>([&](SettingsWindow* settings) {
        QVERIFY(!Child<QPushButton>(settings, "mergeButton")->isEnabled());
        environment.fileAnswers = {SessionFixture("listxml.xml"), SessionFixture("controls.xml"),
                                   SessionFixture("catver.ini"), SessionFixture("nplayers.ini"), merged};
        for (const char* browse :
             {"listXmlBrowseButton", "controlsBrowseButton", "catverBrowseButton", "nplayersBrowseButton"})
            Child<QPushButton>(settings, browse)->click();
        QVERIFY(Child<QPushButton>(settings, "mergeButton")->isEnabled());
        Child<QPushButton>(settings, "mergeButton")->click();  // "Merge!"
        QVERIFY(WaitFor([&] { return !settings->Busy(); }));
        QCOMPARE(Child<QLineEdit>(settings, "inputFileEdit")->text().toStdString(), merged);
        Child<QCheckBox>(settings, "hideTagsBox")->setChecked(true);  // hide tags in descriptions
        QVERIFY(Child<QPushButton>(settings, "setButton")->isEnabled());
        Child<QPushButton>(settings, "setButton")->click();  // "Set"
        settingsDone = true;
    });
    window->show();
    window->Initialise();
    QVERIFY(settingsDone);
    // Only the merge's result: no note about the listing, no warning about a merged file.
    QCOMPARE(environment.messages.size(), size_t{1});
    QCOMPARE(environment.messages[0].icon, MessageIcon::Information);
    QVERIFY(environment.messages[0].text.starts_with("Your merged xml file has been created with "));
    environment.messages.clear();
    QCOMPARE(window->InputXmlPath(), merged);
    QCOMPARE(Settings::Load().inputXmlFile, merged);
    QVERIFY(Settings::Load().hideTags);
    // The merge log lies in the per-user data folder, the program's working folder.
    const std::string log = FileText(environment.DataFolder() + "/Vantor/mergelog.txt");
    QVERIFY(log.find("Unable to find robby in catver.ini\r\n") != std::string::npos);
    // The categories are usable with a merged file.
    QVERIFY(Child<QCheckBox>(window.get(), "criterion:breakout")->isEnabled());

    // Criteria: any number of buttons, 8-way joysticks too; then "Go!".
    Child<QComboBox>(window.get(), "criterion:buttons")->setCurrentIndex(0);
    auto* eightWay = Child<QCheckBox>(window.get(), "criterion:8-way");
    eightWay->click();  // unticked at the start
    QCOMPARE(eightWay->checkState(), Qt::Checked);
    const std::string findText = Child<QLineEdit>(window.get(), "findEdit")->text().toStdString();
    QVERIFY(findText.find("joy8way") != std::string::npos);
    WorkingListWindow* output = window->WorkingList();
    int shown = 0;
    QObject::connect(output, &WorkingListWindow::BatchShown, [&] { ++shown; });
    Child<QPushButton>(window.get(), "goButton")->click();
    QVERIFY(WaitFor([&] { return shown == 1; }));
    QCOMPARE(output->EntryCount(), 8);
    QVERIFY(output->isVisible());

    // Every format from the window, compared with vantor-cli on the same search.
    auto* formats = Child<QComboBox>(output, "formatBox");
    for (const ListFormatInfo& info : ListFormatTable()) {
        formats->setCurrentIndex(static_cast<int>(info.format));
        QCOMPARE(formats->currentText(), QString::fromUtf8(info.name));
        const std::string saved = path(std::string("session-") + info.cliName);
        std::vector<std::string> options;
        environment.fileAnswers = {saved};
        switch (info.format) {
            case ListFormat::Khameleon:
            case ListFormat::Mala:
                OnNextModal<ListTitleDialog>([](ListTitleDialog* d) {
                    Child<QLineEdit>(d, "titleEdit")->setText(QStringLiteral("Joysticks"));
                    Child<QPushButton>(d, "okButton")->click();
                });
                options = {"--title", "Joysticks"};
                break;
            case ListFormat::Maximus:
                environment.fileAnswers.insert(environment.fileAnswers.begin(), path("roms"));
                options = {"--rom-folder", path("roms")};
                break;
            case ListFormat::Batch:
                OnNextModal<BatchTemplateDialog>(
                    [](BatchTemplateDialog* d) { Child<QPushButton>(d, "okButton")->click(); });
                break;
            case ListFormat::Cabrio:
                OnNextModal<CabrioSettingsDialog>([](CabrioSettingsDialog* d) {
                    Child<QLineEdit>(d, "titleEdit")->setText(QStringLiteral("Joysticks"));
                    Child<QLineEdit>(d, "logoFolderEdit")->setText(QStringLiteral("/media/logos/"));
                    Child<QPushButton>(d, "okButton")->click();
                });
                options = {"--title", "Joysticks", "--logo-dir", "/media/logos/"};
                break;
            case ListFormat::Csv: {
                // Every column, the last dragged to the front; tab-separated, no header.
                OnNextModal<CsvColumnsDialog>([](CsvColumnsDialog* d) {
                    Child<QPushButton>(d, "toggleAllButton")->click();
                    Child<QLineEdit>(d, "delimiterEdit")->setText(QStringLiteral("\t"));
                    Child<QCheckBox>(d, "headerBox")->setChecked(false);
                    OnNextModal<CsvHeaderDialog>([](CsvHeaderDialog* order) {
                        QHeaderView* header = Child<SortableListView>(order, "columnList")->header();
                        header->moveSection(header->count() - 1, 0);
                        Child<QPushButton>(order, "okButton")->click();
                    });
                    Child<QPushButton>(d, "okButton")->click();
                });
                std::vector<std::string> names = CsvCliNames();
                std::string columns = names.back();
                for (std::size_t i = 0; i + 1 < names.size(); ++i) columns += "," + names[i];
                options = {"--columns", columns, "--delimiter", "\t", "--no-header"};
                break;
            }
            case ListFormat::EsDe:
            case ListFormat::EsBatocera:
                // The merged file's categories as collections beside the list.
                OnNextModal<FormatOptionsDialog>([](FormatOptionsDialog* d) {
                    Child<QCheckBox>(d, "splitByCategoryBox")->setChecked(true);
                    Child<QPushButton>(d, "okButton")->click();
                });
                options = {"--split-by-category"};
                break;
            case ListFormat::RetroArch:
            case ListFormat::Pegasus:
            case ListFormat::AttractModePlus:
                OnNextModal<FormatOptionsDialog>([](FormatOptionsDialog* d) {
                    Child<QCheckBox>(d, "splitByCategoryBox")->setChecked(true);
                    Child<QPushButton>(d, "okButton")->click();
                });
                options = {"--split-by-category"};
                break;
            default:
                break;
        }
        Child<QPushButton>(output, "saveButton")->click();
        QVERIFY2(WaitFor([&] { return !output->SaveRunning(); }), info.name);
        QVERIFY2(environment.fileAnswers.empty(), info.name);
        if (info.format == ListFormat::EsDe) {
            QCOMPARE(FileText(path("custom-Shooter - Flying Vertical.cfg")),
                     std::string("%ROMPATH%/mame/1942.zip\n%ROMPATH%/mame/galaga.zip\n"));
        }
        if (info.format == ListFormat::AttractModePlus) {
            // Beside a list saved without its .txt, the tag folder takes another name.
            QCOMPARE(FileText(path("session-attractmode-plus tags/Shooter - Flying Vertical.tag")),
                     std::string("1942\ngalaga\n"));
        }
        // Only the Maximus note; nothing failed.
        QVERIFY2(environment.messages.size() == (info.format == ListFormat::Maximus ? 1u : 0u), info.name);
        environment.messages.clear();

        // A gamelist.xml already there would be updated, not replaced.
        std::remove(path("cli.out").c_str());
        std::vector<std::string> args = {"save", info.cliName, "--find", findText, "-o", path("cli.out")};
        args.insert(args.end(), options.begin(), options.end());
        int exitCode = -1;
        RunCli(args, &exitCode);
        QCOMPARE(exitCode, 0);
        const std::string written = FileText(saved);
        QVERIFY2(written != "<missing>" && written == FileText(path("cli.out")), info.name);
        // Every list names its games somewhere, by ROM name or description.
        QVERIFY2(QString::fromStdString(written).contains(QStringLiteral("galaga"), Qt::CaseInsensitive),
                 info.name);
    }
    // Hidden tags: the descriptions-only list has no "(...)" or "[...]" left.
    QCOMPARE(FileText(path("session-descriptions")),
             std::string(
                 "1942\r\nDonkey Kong\r\nGalaga\r\nKiller Instinct\r\nMortal Kombat\r\nPac-Man\r\nPuckMan\r\n"
                 "Robby Roto & Friends\r\n"));

    window->close();
    QVERIFY(!window->isVisible());
}

QTEST_MAIN(SessionTest)
#include "SessionTest.moc"
