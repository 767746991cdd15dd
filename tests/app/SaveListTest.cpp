// "Save List to file" and "Preview List" of the working list in every format: the format's own
// dialogs, the file dialog, every Cancel, what is remembered between saves, files that cannot be
// written, and the bytes written compared with what vantor-cli writes for the same list.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QThread>
#include <atomic>
#include <map>
#include <set>

#include "AppTestSupport.h"
#include "MatchEntryText.h"
#include "app/BackgroundWork.h"
#include "app/CsvDialogs.h"
#include "app/FormatDialogs.h"
#include "app/ProgressDialog.h"
#include "app/SettingsWindow.h"
#include "app/SortableListView.h"
#include "app/TextWindow.h"
#include "app/WorkingListWindow.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"
#include "output/ListFormats.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

// The save dialog of each format: file types and default extension.
const std::map<ListFormat, std::pair<std::string, std::string>> kSaveDialogs = {
    {ListFormat::AdvanceMenu, {"AdvanceMenu LST game list files (*.lst)|*.lst", "txt"}},
    {ListFormat::AtomicFe, {"Atomic FE game list files (*.txt)|*.txt", "txt"}},
    {ListFormat::AttractMode, {"Attract Mode game list files (*.txt)|*.txt", "txt"}},
    {ListFormat::AttractModePlus, {"Attract-Mode Plus romlists (*.txt)|*.txt", "txt"}},
    {ListFormat::Batch, {"shell scripts (*.sh)|*.sh", "sh"}},
    {ListFormat::Cabrio, {"xml files (*.xml)|*.xml", "xml"}},
    {ListFormat::Csv, {"csv files (*.csv)|*.csv|txt files (*.txt)|*.txt", "csv;txt"}},
    {ListFormat::EsBatocera,
     {"EmulationStation game lists (gamelist.xml)|gamelist.xml|xml files (*.xml)|*.xml", "xml"}},
    {ListFormat::EsDe,
     {"EmulationStation game lists (gamelist.xml)|gamelist.xml|xml files (*.xml)|*.xml", "xml"}},
    {ListFormat::HyperSpin, {"xml files (*.xml)|*.xml", "xml"}},
    {ListFormat::Khameleon, {"Khameleon Game lists (*.lst)|*.lst", "lst"}},
    {ListFormat::Mala, {"Mala Game lists (*.mlg)|*.mlg", "mlg"}},
    {ListFormat::MameUifx, {"MAMEUIFX lists (*.ini)|*.ini", "ini"}},
    {ListFormat::MameWah, {"MameWah game list files (*.lst)|*.lst", "lst"}},
    {ListFormat::Maximus, {"Maximus Arcade files (*.txt)|*.txt", "txt"}},
    {ListFormat::MGalaxy, {"xml files (*.xml)|*.xml", "xml"}},
    {ListFormat::MultiFe, {"xml files (*.xml)|*.xml", "xml"}},
    {ListFormat::Pegasus, {"Pegasus metadata files (*.txt)|*.txt", "txt"}},
    {ListFormat::RetroArch, {"RetroArch playlists (*.lpl)|*.lpl", "lpl"}},
    {ListFormat::Descriptions, {"text files (*.txt)|*.txt", "txt"}},
    {ListFormat::RomNames, {"text files (*.txt)|*.txt", "txt"}},
    {ListFormat::Xml, {"xml files (*.xml)|*.xml", "xml"}},
};

const char* kBatchTemplate = "copy %ROM%.zip /media/roms|echo %DESC% %CHD%";

// The preview window's "Save", waited for.
void SavePreview(TextWindow* preview) {
    Child<QPushButton>(preview, "saveButton")->click();
    QVERIFY(WaitFor([&] { return !preview->SaveRunning(); }));
}

// Drags the header section at `from` (display position) onto `to` with the mouse.
void DragHeader(QHeaderView* header, int from, int to) {
    QWidget* viewport = header->viewport();
    const int y = header->height() / 2;
    const int start = header->sectionViewportPosition(header->logicalIndex(from)) + 10;
    const int end = header->sectionViewportPosition(header->logicalIndex(to)) + 5;
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(start, y));
    const int steps = 8;
    for (int i = 1; i <= steps; ++i) QTest::mouseMove(viewport, QPoint(start + (end - start) * i / steps, y));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(end, y));
}

// A working list of every game of games.xml; Mappy, sent again, stands in it once.
class WorkingList {
  public:
    WorkingList() {
        window = OpenMainWindow(environment, AppFixture("games.xml"));
        output = window->WorkingList();
        environment.messages.clear();
        int shown = 0;
        // Disconnected below: `shown` lives only as long as the constructor.
        const QMetaObject::Connection counting =
            QObject::connect(output, &WorkingListWindow::BatchShown, [&] { ++shown; });
        Child<QLineEdit>(window.get(), "findEdit")->setText(QStringLiteral("="));
        Child<QPushButton>(window.get(), "goButton")->click();
        ok = WaitFor([&] { return shown == 1; });
        HandOver again;
        again.entries = EntriesFromText("0x750|mappy|Mappy (US)|1983|Namco|");
        QMetaObject::invokeMethod(
            output, [this, again] { output->ReceiveEntries(again); }, Qt::QueuedConnection);
        ok = ok && WaitFor([&] { return shown == 2; }) && output->EntryCount() == 12;
        QObject::disconnect(counting);
        std::string keys;
        for (int row = 0; row < output->List()->RowCount(); ++row)
            keys += output->List()->Table().Cell(row, kKeyColumn) + "\n";
        keyFile = Path("keys.txt");
        ok = ok && WriteFileAtomically(keyFile, keys);
    }

    std::string Path(const std::string& name) const {
        return dir.filePath(QString::fromStdString(name)).toStdString();
    }

    // Clicks one of the working list's buttons and waits until the save it starts, and the
    // preview window it opens (answered by the test), have ended.
    void Click(const char* button) {
        Child<QPushButton>(output, button)->click();
        QVERIFY(WaitFor([&] {
            if (output->SaveRunning()) return false;
            for (TextWindow* preview : output->findChildren<TextWindow*>())
                if (preview->isVisible()) return false;
            return true;
        }));
    }

    void Select(ListFormat format) {
        Child<QComboBox>(output, "formatBox")->setCurrentIndex(static_cast<int>(format));
    }

    // What vantor-cli writes for the same list: the file with `-o`, the preview text without.
    std::string CliList(ListFormat format, const std::vector<std::string>& options, bool preview) {
        std::vector<std::string> args = {
            "--input", AppFixture("games.xml"), "save", FormatInfo(format).cliName, "--keys", keyFile};
        args.insert(args.end(), options.begin(), options.end());
        const std::string target = Path("cli.out");
        std::remove(target.c_str());
        if (!preview) args.insert(args.end(), {"-o", target});
        int exitCode = -1;
        std::string printed = RunCli(args, &exitCode);
        if (exitCode != 0) return "<vantor-cli failed>";
        return preview ? printed : FileText(target);
    }

    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window;
    WorkingListWindow* output = nullptr;
    QTemporaryDir dir;
    std::string keyFile;
    bool ok = false;
};

// How the format's own dialogs are answered, and the same choice as vantor-cli options. Dialogs
// shown after the file dialog may ask for folders of their own: `laterAnswers`.
struct FormatChoice {
    std::vector<std::string> cliOptions;
    std::vector<std::string> earlierAnswers;  // before the file dialog
    std::vector<std::string> laterAnswers;    // after it
};

FormatChoice AnswerFormatDialogs(WorkingList& list, ListFormat format, bool preview,
                                 const std::string& title = "Evening Games") {
    FormatChoice choice;
    switch (format) {
        case ListFormat::Khameleon:
        case ListFormat::Mala:
            if (preview) break;
            OnNextModal<ListTitleDialog>([title](ListTitleDialog* dialog) {
                QCOMPARE(dialog->windowTitle(), QStringLiteral("List options"));
                Child<QLineEdit>(dialog, "titleEdit")->setText(QString::fromStdString(title));
                Child<QPushButton>(dialog, "okButton")->click();
            });
            if (!title.empty()) choice.cliOptions = {"--title", title};
            break;
        case ListFormat::Maximus:
            choice.earlierAnswers = {list.Path("roms")};
            choice.cliOptions = {"--rom-folder", list.Path("roms")};
            break;
        case ListFormat::Batch:
            OnNextModal<BatchTemplateDialog>([](BatchTemplateDialog* dialog) {
                Child<QLineEdit>(dialog, "templateEdit")->setText(QString::fromUtf8(kBatchTemplate));
                Child<QPushButton>(dialog, "okButton")->click();
            });
            choice.cliOptions = {"--template", kBatchTemplate};
            break;
        case ListFormat::Cabrio:
            OnNextModal<CabrioSettingsDialog>([](CabrioSettingsDialog* dialog) {
                Child<QLineEdit>(dialog, "titleEdit")->setText(QStringLiteral("Cabinet & Co"));
                Child<QPushButton>(dialog, "logoBrowseButton")->click();  // the logo folder, browsed
                Child<QLineEdit>(dialog, "screenshotFolderEdit")->setText(QStringLiteral("shots"));
                Child<QPushButton>(dialog, "okButton")->click();
            });
            choice.laterAnswers = {list.Path("logos")};
            choice.cliOptions = {"--title",          "Cabinet & Co", "--logo-dir", list.Path("logos") + "/",
                                 "--screenshot-dir", "shots"};
            break;
        case ListFormat::Csv:
            OnNextModal<CsvColumnsDialog>([](CsvColumnsDialog* dialog) {
                // Ticked already when the window kept the choice of an earlier save.
                for (const char* box :
                     {"column:description", "column:rom-name", "column:clone-of", "column:driver"})
                    Child<QCheckBox>(dialog, box)->setChecked(true);
                Child<QLineEdit>(dialog, "delimiterEdit")->setText(QStringLiteral(", "));
                OnNextModal<CsvHeaderDialog>([](CsvHeaderDialog* order) {
                    QHeaderView* header = Child<SortableListView>(order, "columnList")->header();
                    for (int column = 0; column < header->count(); ++column) {  // "driver" first
                        const QString heading =
                            header->model()->headerData(column, Qt::Horizontal).toString();
                        if (heading == QStringLiteral("driver") && header->visualIndex(column) != 0)
                            DragHeader(header, header->visualIndex(column), 0);
                    }
                    Child<QPushButton>(order, "okButton")->click();
                });
                Child<QPushButton>(dialog, "okButton")->click();
            });
            choice.cliOptions = {"--columns", "driver,description,rom-name,clone-of", "--delimiter", ", "};
            break;
        case ListFormat::EsDe:
        case ListFormat::EsBatocera:
            // Asked before a preview too; the category box is off without a merged master file.
            OnNextModal<FormatOptionsDialog>([](FormatOptionsDialog* dialog) {
                QVERIFY(!Child<QCheckBox>(dialog, "splitByCategoryBox")->isEnabled());
                Child<QLineEdit>(dialog, "romFolderEdit")->setText(QStringLiteral("/roms/my \"mame\""));
                Child<QLineEdit>(dialog, "romExtensionEdit")->setText(QStringLiteral("7z"));
                // Batocera's alone.
                if (auto* media = dialog->findChild<QCheckBox*>(QStringLiteral("mediaBox")))
                    media->setChecked(true);
                Child<QPushButton>(dialog, "okButton")->click();
            });
            choice.cliOptions = {"--rom-folder", "/roms/my \"mame\"", "--rom-extension", "7z"};
            if (format == ListFormat::EsBatocera) choice.cliOptions.push_back("--media");
            break;
        case ListFormat::RetroArch:
            OnNextModal<FormatOptionsDialog>([](FormatOptionsDialog* dialog) {
                QVERIFY(!Child<QCheckBox>(dialog, "splitByCategoryBox")->isEnabled());
                Child<QLineEdit>(dialog, "romFolderEdit")->setText(QStringLiteral("/roms/my \"mame\""));
                Child<QLineEdit>(dialog, "corePathEdit")->setText(QStringLiteral("/cores/mame_libretro.so"));
                Child<QLineEdit>(dialog, "coreNameEdit")->setText(QStringLiteral(" MAME "));
                Child<QPushButton>(dialog, "okButton")->click();
            });
            choice.cliOptions = {"--rom-folder", "/roms/my \"mame\"",
                                 "--core-path",  "/cores/mame_libretro.so",
                                 "--core-name",  "MAME"};
            break;
        case ListFormat::Pegasus:
            OnNextModal<FormatOptionsDialog>([](FormatOptionsDialog* dialog) {
                Child<QLineEdit>(dialog, "listNameEdit")->setText(QStringLiteral("Arcade & Co"));
                Child<QLineEdit>(dialog, "launchEdit")->setText(QStringLiteral("mame {file.basename}"));
                Child<QPushButton>(dialog, "okButton")->click();
            });
            choice.cliOptions = {"--list-name", "Arcade & Co", "--launch", "mame {file.basename}"};
            break;
        case ListFormat::AttractModePlus:
            OnNextModal<FormatOptionsDialog>([](FormatOptionsDialog* dialog) {
                Child<QLineEdit>(dialog, "listNameEdit")->setText(QStringLiteral("arcade"));
                Child<QPushButton>(dialog, "okButton")->click();
            });
            choice.cliOptions = {"--list-name", "arcade"};
            break;
        default:
            break;
    }
    return choice;
}

std::string ExtensionOf(ListFormat format) {
    return kSaveDialogs.at(format).second.substr(0, 3);
}

}  // namespace

class SaveListTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void everyFormatSavesWhatTheCommandLineWrites();
    void previewShowsWhatASaveWrites();
    void previewWindowSavesTheEditedText();
    void cancelAtEveryStepWritesNothing();
    void batchTemplateIsRememberedAndNothingElse();
    void gamelistOptionsAreRememberedInTheSettings();
    void loadedListReplacesTheWorkingListInItsOrder();
    void unwritableTargetsAreReported();
    void closingCsvPreviewKeepsTheColumns();
    void nothingIsReplacedOrDiscardedUnasked();
    void cancelledSavesChangeNothing();
    void cancelTooLateIsRefusedAndTold();
};

void SaveListTest::everyFormatSavesWhatTheCommandLineWrites() {
    WorkingList list;
    QVERIFY(list.ok);
    std::set<std::string> filtersSeen;
    for (const ListFormatInfo& info : ListFormatTable()) {
        const std::string path =
            list.Path(std::string("window-") + info.cliName + "." + ExtensionOf(info.format));
        list.environment.fileAsked.clear();
        list.environment.messages.clear();
        list.Select(info.format);
        FormatChoice choice = AnswerFormatDialogs(list, info.format, false);
        list.environment.fileAnswers = choice.earlierAnswers;
        list.environment.fileAnswers.push_back(path);
        list.environment.fileAnswers.insert(list.environment.fileAnswers.end(), choice.laterAnswers.begin(),
                                            choice.laterAnswers.end());
        list.Click("saveButton");

        QVERIFY2(list.environment.fileAnswers.empty(), info.name);
        // The file dialog: its title, file types and default extension.
        const RecordedFileQuestion& save = list.environment.fileAsked[choice.earlierAnswers.size()];
        QCOMPARE(save.kind, FileQuestion::Save);
        QCOMPARE(save.title, std::string("Save file as..."));
        QCOMPARE(save.filter, kSaveDialogs.at(info.format).first);
        QCOMPARE(save.defaultExt, kSaveDialogs.at(info.format).second);
        // The dialog opens where the last file of its kind went.
        std::string patterns;  // the kind of file: the patterns of its types
        const QStringList parts = QString::fromStdString(save.filter).split(QLatin1Char('|'));
        for (int i = 1; i < parts.size(); i += 2) patterns += parts[i].toStdString() + ";";
        const bool seen = !filtersSeen.insert(patterns).second;
        const std::string folder = QFileInfo(QString::fromStdString(path)).absolutePath().toStdString() + "/";
        QVERIFY2(save.startPath == (seen ? folder : std::string()), info.name);
        const std::string written = FileText(path);
        QVERIFY2(written != "<missing>", info.name);
        QVERIFY2(written == list.CliList(info.format, choice.cliOptions, false), info.name);
        // The save says where the list went and how many games it holds.
        const QString saved = QStringLiteral(" ROMs to %1.").arg(QString::fromStdString(path));
        QVERIFY2(list.output->StatusText().startsWith(QStringLiteral("Saved ")) &&
                     list.output->StatusText().endsWith(saved),
                 info.name);
        if (info.format == ListFormat::Maximus) {
            QCOMPARE(list.environment.messages.size(), size_t{1});
            QCOMPARE(list.environment.messages[0].icon, MessageIcon::Information);
            QVERIFY(list.environment.messages[0].text.starts_with("To create a Maximus .LST file"));
            QCOMPARE(list.environment.fileAsked[0].kind, FileQuestion::Folder);
            QCOMPARE(list.environment.fileAsked[0].title, std::string("Point me to your ROMs folder..."));
        } else {
            QVERIFY2(list.environment.messages.empty(), info.name);
        }
    }
    // The list order is the window's.
    QCOMPARE(
        FileText(list.Path("window-romnames.txt")),
        std::string("1942\r\ndkong\r\ngalaga\r\nmadalien\r\nmappy\r\nmarble\r\nmk\r\nmspacman\r\npacman\r\n"
                    "pacmanx\r\npuckman\r\ntempest\r\n"));
    // The dragged column order and the delimiter, header first.
    QVERIFY(FileText(list.Path("window-csv.csv"))
                .starts_with(
                    "driver, Description, ROM Name, cloneof\r\nfixture.cpp, 1942 (Revision B), 1942\r\n"));
    // The window keeps nothing it showed: the list is unchanged.
    QCOMPARE(list.output->EntryCount(), 12);
}

void SaveListTest::previewShowsWhatASaveWrites() {
    WorkingList list;
    QVERIFY(list.ok);
    auto* previewButton = Child<QPushButton>(list.output, "previewButton");
    for (const ListFormatInfo& info : ListFormatTable()) {
        list.Select(ListFormat::AtomicFe);
        list.Select(info.format);
        QCOMPARE(previewButton->isEnabled(), info.previewButton != PreviewButton::Disabled);
        if (!previewButton->isEnabled()) continue;

        // The save, with the questions a preview leaves out answered empty.
        const std::string path = list.Path(std::string("saved-") + info.cliName);
        FormatChoice choice = AnswerFormatDialogs(list, info.format, false, "");
        list.environment.fileAnswers = {path};
        list.environment.fileAnswers.insert(list.environment.fileAnswers.end(), choice.laterAnswers.begin(),
                                            choice.laterAnswers.end());
        list.Click("saveButton");
        QVERIFY2(list.environment.fileAnswers.empty(), info.name);

        list.environment.fileAsked.clear();
        AnswerFormatDialogs(list, info.format, true);
        list.environment.fileAnswers = choice.laterAnswers;  // Cabrio's browse only
        std::string shown;
        QString title;
        bool saveShown = false;
        OnNextModal<TextWindow>([&](TextWindow* preview) {
            shown = preview->DisplayText();
            title = preview->windowTitle();
            saveShown = Child<QPushButton>(preview, "saveButton")->isVisible();
            preview->reject();
        });
        list.Click("previewButton");
        QCOMPARE(title, QStringLiteral("List Preview"));
        QVERIFY(saveShown);
        // No file dialog before the preview (Cabrio's folder browse is its own dialog's).
        for (const RecordedFileQuestion& asked : list.environment.fileAsked)
            QVERIFY2(asked.kind == FileQuestion::Folder, info.name);
        QVERIFY2(shown == FileText(path), info.name);
        QVERIFY2(shown == list.CliList(info.format, choice.cliOptions, true), info.name);
    }
    // Preview of a format that cannot hand its text back shows nothing.
    list.Select(ListFormat::Mala);
    bool previewed = false;
    QPointer<QTimer> wait = OnNextModal<TextWindow>([&](TextWindow* preview) {
        previewed = true;
        preview->reject();
    });
    list.output->PreviewList();
    QTest::qWait(50);
    StopWaiting(wait);
    QVERIFY(!previewed);
}

void SaveListTest::previewWindowSavesTheEditedText() {
    WorkingList list;
    QVERIFY(list.ok);
    list.Select(ListFormat::Batch);
    const std::string edited = list.Path("edited.txt");
    const std::string untouched = list.Path("untouched.txt");
    std::string shown;
    AnswerFormatDialogs(list, ListFormat::Batch, true);
    OnNextModal<TextWindow>([&](TextWindow* preview) {
        shown = preview->DisplayText();
        // Saved as shown first, then once more after an edit at the end; the window stays open.
        list.environment.fileAnswers = {untouched, edited};
        SavePreview(preview);
        auto* edit = Child<QPlainTextEdit>(preview, "textEdit");
        edit->moveCursor(QTextCursor::End);
        edit->insertPlainText(QStringLiteral("rem done\n"));
        SavePreview(preview);
        QVERIFY(preview->isVisible());
        preview->reject();
    });
    list.Click("previewButton");
    // A shell script: its own file type, its LF line ends kept after the edit, executable.
    QVERIFY(
        shown.starts_with("#!/bin/sh\ncopy 1942.zip /media/roms\necho '1942 (Revision B)' \ncopy dkong.zip"));
    QCOMPARE(list.environment.fileAsked.back().title, std::string("Save file as..."));
    QCOMPARE(list.environment.fileAsked.back().filter, std::string("shell scripts (*.sh)|*.sh"));
    QCOMPARE(list.environment.fileAsked.back().defaultExt, std::string("sh"));
    QCOMPARE(FileText(untouched), shown);
    QCOMPARE(FileText(edited), shown + "rem done\n");
    QVERIFY(QFileInfo(QString::fromStdString(edited)).isExecutable());

    // Its Save never replaces the master file the list is made from.
    const std::string master = list.Path("master.xml");
    QVERIFY(WriteFileAtomically(master, "<mame/>"));
    TextWindow window("List Preview", "a list", true);
    SaveFileType type;
    type.masterFile = master;
    window.SetSaveFileType(type);
    list.environment.messages.clear();
    list.environment.questionAnswers = {QMessageBox::Yes};
    list.environment.fileAnswers = {master};
    SavePreview(&window);
    QCOMPARE(list.environment.MessageTexts(),
             (std::vector<std::string>{ReplaceFileQuestion(master),
                                       std::string(kOutputIsMasterFile) + master + kChooseAnotherName}));
    QCOMPARE(FileText(master), std::string("<mame/>"));
    QVERIFY(!window.Saved());

    // Another format's preview offers that format's file type.
    list.Select(ListFormat::HyperSpin);
    OnNextModal<TextWindow>([&](TextWindow* preview) {
        list.environment.fileAnswers = {""};
        SavePreview(preview);
        preview->reject();
    });
    list.Click("previewButton");
    QCOMPARE(list.environment.fileAsked.back().filter, std::string("xml files (*.xml)|*.xml"));
    QCOMPARE(list.environment.fileAsked.back().defaultExt, std::string("xml"));
}

void SaveListTest::cancelAtEveryStepWritesNothing() {
    WorkingList list;
    QVERIFY(list.ok);
    const std::string path = list.Path("never.txt");
    auto save = [&] { list.Click("saveButton"); };

    // The file dialog cancelled.
    list.Select(ListFormat::RomNames);
    list.environment.fileAnswers = {""};
    save();
    QCOMPARE(list.environment.fileQuestions.size(), size_t{1});

    // The list title cancelled by Escape (the dialog has no Cancel button): no file dialog follows.
    for (ListFormat format : {ListFormat::Khameleon, ListFormat::Mala}) {
        list.Select(format);
        list.environment.fileQuestions.clear();
        bool hasCancel = true;
        OnNextModal<ListTitleDialog>([&](ListTitleDialog* dialog) {
            hasCancel = dialog->findChild<QPushButton*>(QStringLiteral("cancelButton")) != nullptr;
            QTest::keyClick(dialog, Qt::Key_Escape);
        });
        save();
        QVERIFY(!hasCancel);
        QVERIFY(list.environment.fileQuestions.empty());
    }

    // The Maximus folder cancelled: the note was shown, no file dialog follows.
    list.Select(ListFormat::Maximus);
    list.environment.fileQuestions.clear();
    list.environment.messages.clear();
    list.environment.fileAnswers = {""};
    save();
    QCOMPARE(list.environment.fileQuestions, std::vector<std::string>{"Point me to your ROMs folder..."});
    QCOMPARE(list.environment.messages.size(), size_t{1});

    // The batch dialog comes first (its form decides the file type): cancelled, no file dialog.
    list.Select(ListFormat::Batch);
    list.environment.fileQuestions.clear();
    OnNextModal<BatchTemplateDialog>(
        [](BatchTemplateDialog* d) { Child<QPushButton>(d, "cancelButton")->click(); });
    save();
    QVERIFY(list.environment.fileQuestions.empty());

    // The file dialog cancelled before the Cabrio and CSV dialogs: those never open.
    int opened = 0;
    QPointer<QTimer> cabrio =
        OnNextModal<CabrioSettingsDialog>([&](CabrioSettingsDialog* d) { ++opened, d->reject(); });
    QPointer<QTimer> csv = OnNextModal<CsvColumnsDialog>([&](CsvColumnsDialog* d) { ++opened, d->reject(); });
    for (ListFormat format : {ListFormat::Cabrio, ListFormat::Csv}) {
        list.Select(format);
        list.environment.fileAnswers = {""};
        save();
    }
    QTest::qWait(50);
    QCOMPARE(opened, 0);
    for (const QPointer<QTimer>& wait : {cabrio, csv}) StopWaiting(wait);

    // A file chosen, then the format's dialog cancelled: no file.
    for (ListFormat format : {ListFormat::Cabrio, ListFormat::Csv}) {
        list.Select(format);
        list.environment.fileAnswers = {path};
        if (format == ListFormat::Cabrio)
            OnNextModal<CabrioSettingsDialog>(
                [](CabrioSettingsDialog* d) { Child<QPushButton>(d, "cancelButton")->click(); });
        if (format == ListFormat::Csv)
            OnNextModal<CsvColumnsDialog>(
                [](CsvColumnsDialog* d) { Child<QPushButton>(d, "cancelButton")->click(); });
        save();
        QVERIFY(list.environment.fileAnswers.empty());
    }
    QVERIFY(!FileExists(path));
    QVERIFY(list.environment.messages.size() == 1);  // only the Maximus note
}

void SaveListTest::gamelistOptionsAreRememberedInTheSettings() {
    WorkingList list;
    QVERIFY(list.ok);
    // A cancelled dialog saves nothing and remembers nothing.
    list.Select(ListFormat::EsBatocera);
    OnNextModal<FormatOptionsDialog>([](FormatOptionsDialog* d) {
        Child<QLineEdit>(d, "romExtensionEdit")->setText(QStringLiteral("forgotten"));
        Child<QPushButton>(d, "cancelButton")->click();
    });
    list.Click("saveButton");
    QVERIFY(list.environment.fileQuestions.empty());
    QCOMPARE(LoadFormatChoice(FormatInfo(ListFormat::EsDe)).Text(ListOption::RomExtension), std::string());

    OnNextModal<FormatOptionsDialog>([](FormatOptionsDialog* d) {
        Child<QLineEdit>(d, "romExtensionEdit")->setText(QStringLiteral(" .7z "));
        Child<QCheckBox>(d, "mediaBox")->setChecked(true);
        Child<QCheckBox>(d, "hideRemovedBox")->setChecked(true);
        Child<QPushButton>(d, "okButton")->click();
    });
    list.environment.fileAnswers = {list.Path("gamelist.xml")};
    list.Click("saveButton");
    const std::string written = FileText(list.Path("gamelist.xml"));
    QVERIFY(written.find("<path>./1942.7z</path>") != std::string::npos);
    QVERIFY(written.find("<image>./images/1942-image.png</image>") != std::string::npos);

    // Kept in the settings store, and offered so for the other flavour too, which has no media box.
    QCOMPARE(LoadFormatChoice(FormatInfo(ListFormat::EsDe)).Text(ListOption::RomExtension),
             std::string(".7z"));
    list.Select(ListFormat::EsDe);
    bool kept = false;
    OnNextModal<FormatOptionsDialog>([&](FormatOptionsDialog* d) {
        kept = Child<QLineEdit>(d, "romExtensionEdit")->text() == QStringLiteral(".7z") &&
               Child<QCheckBox>(d, "hideRemovedBox")->isChecked() &&
               d->findChild<QCheckBox*>(QStringLiteral("mediaBox")) == nullptr;
        Child<QPushButton>(d, "okButton")->click();
    });
    // A save onto it asks to update, not to replace, and keeps what the front end set.
    QVERIFY(WriteFileAtomically(list.Path("gamelist.xml"),
                                "<gameList><game><path>./1942.zip</path><favorite>true</favorite></game>"
                                "<game><path>./gone.zip</path></game></gameList>"));
    list.environment.messages.clear();
    list.environment.fileAnswers = {list.Path("gamelist.xml")};
    list.Click("saveButton");
    QVERIFY(kept);
    QCOMPARE(list.environment.MessageTexts(),
             std::vector<std::string>{UpdateFileQuestion(list.Path("gamelist.xml"))});
    const std::string updated = FileText(list.Path("gamelist.xml"));
    QVERIFY(updated.find("<path>./1942.7z</path>\n\t\t<name>1942 (Revision B)</name>") != std::string::npos);
    QVERIFY(updated.find("<favorite>true</favorite>") != std::string::npos);
    QVERIFY(updated.find("<path>./gone.zip</path>\n\t\t<hidden>true</hidden>") != std::string::npos);
}

void SaveListTest::loadedListReplacesTheWorkingListInItsOrder() {
    WorkingList list;
    QVERIFY(list.ok);
    const std::string names = list.Path("names.txt");
    QVERIFY(WriteFileAtomically(names, "pacman\nnosuch\n1942\nmappy\n"));
    // The unsaved list is only thrown away when the user says so.
    list.environment.fileAnswers = {names};
    list.environment.questionAnswers = {QMessageBox::No};
    list.Click("loadListButton");
    QCOMPARE(list.output->EntryCount(), 12);

    list.environment.fileAnswers = {names};
    list.environment.questionAnswers = {QMessageBox::Yes};
    list.Click("loadListButton");
    QVERIFY(WaitFor([&] { return list.output->PendingFills() == 0 && list.output->EntryCount() == 3; }));
    std::string order;
    for (int row = 0; row < list.output->List()->RowCount(); ++row)
        order += list.output->List()->Table().Cell(row, kRomNameColumn) + " ";
    QCOMPARE(order, std::string("pacman 1942 mappy "));
    QVERIFY(list.environment.HasMessage(
        "1 of the 4 games the list names are not in the master file; their names are in loadListLog.txt."));
}

void SaveListTest::batchTemplateIsRememberedAndNothingElse() {
    WorkingList list;
    QVERIFY(list.ok);
    auto save = [&](ListFormat format) {
        list.Select(format);
        list.environment.fileAnswers = {list.Path("list")};
        list.Click("saveButton");
    };

    // The batch template starts as the default, a cancelled edit is forgotten, a confirmed one stays.
    QString seen;
    OnNextModal<BatchTemplateDialog>([&](BatchTemplateDialog* d) {
        seen = Child<QLineEdit>(d, "templateEdit")->text();
        QCOMPARE(d->windowTitle(), QStringLiteral("Batch file creation"));
        Child<QLineEdit>(d, "templateEdit")->setText(QStringLiteral("forgotten"));
        d->reject();
    });
    save(ListFormat::Batch);
    QCOMPARE(seen, QStringLiteral("cp \"%ROM%.zip\" ~/roms/"));
    OnNextModal<BatchTemplateDialog>([&](BatchTemplateDialog* d) {
        seen = Child<QLineEdit>(d, "templateEdit")->text();
        Child<QLineEdit>(d, "templateEdit")->setText(QStringLiteral("del %ROM%.zip"));
        Child<QRadioButton>(d, "windowsForm")->click();
        Child<QPushButton>(d, "okButton")->click();
    });
    save(ListFormat::Batch);
    QCOMPARE(seen, QStringLiteral("cp \"%ROM%.zip\" ~/roms/"));
    QVERIFY(FileText(list.Path("list")).starts_with("del 1942.zip\r\ndel dkong.zip\r\n"));
    QCOMPARE(list.environment.fileAsked.back().filter, std::string("batch files (*.bat)|*.bat"));
    bool windowsForm = false;
    OnNextModal<BatchTemplateDialog>([&](BatchTemplateDialog* d) {
        seen = Child<QLineEdit>(d, "templateEdit")->text();
        windowsForm = Child<QRadioButton>(d, "windowsForm")->isChecked();
        Child<QPushButton>(d, "okButton")->click();
    });
    save(ListFormat::Batch);
    QCOMPARE(seen, QStringLiteral("del %ROM%.zip"));
    QVERIFY(windowsForm);

    // The CSV choice is kept from one save (or preview) to the next, so a preview and its save
    // ask nothing new; the Cabrio settings and the list title start empty every time.
    for (int round = 0; round < 2; ++round) {
        bool fresh = false;
        bool kept = false;
        OnNextModal<CsvColumnsDialog>([&](CsvColumnsDialog* d) {
            fresh = Child<QLineEdit>(d, "delimiterEdit")->text() == QStringLiteral(";") &&
                    !Child<QCheckBox>(d, "column:description")->isChecked() &&
                    Child<QCheckBox>(d, "headerBox")->isChecked();
            kept = Child<QLineEdit>(d, "delimiterEdit")->text() == QStringLiteral("|") &&
                   Child<QCheckBox>(d, "column:description")->isChecked() &&
                   Child<QCheckBox>(d, "column:rom-name")->isChecked() &&
                   !Child<QCheckBox>(d, "headerBox")->isChecked();
            Child<QLineEdit>(d, "delimiterEdit")->setText(QStringLiteral("|"));
            Child<QCheckBox>(d, "column:description")->setChecked(true);
            Child<QCheckBox>(d, "column:rom-name")->setChecked(true);
            Child<QCheckBox>(d, "headerBox")->setChecked(false);
            OnNextModal<CsvHeaderDialog>([round](CsvHeaderDialog* o) {
                // The order of the last list: ROM Name dragged first, and offered so again.
                QHeaderView* header = Child<SortableListView>(o, "columnList")->header();
                if (round == 0) DragHeader(header, 1, 0);
                QCOMPARE(header->model()->headerData(header->logicalIndex(0), Qt::Horizontal).toString(),
                         QStringLiteral("ROM Name"));
                Child<QPushButton>(o, "okButton")->click();
            });
            Child<QPushButton>(d, "okButton")->click();
        });
        save(ListFormat::Csv);
        QVERIFY(round == 0 ? fresh : kept);
        QVERIFY(FileText(list.Path("list")).starts_with("1942|1942 (Revision B)\r\n"));
        OnNextModal<CabrioSettingsDialog>([&](CabrioSettingsDialog* d) {
            fresh = d->windowTitle() == QStringLiteral("Cabrio Settings");
            for (const char* edit :
                 {"titleEdit", "logoFolderEdit", "screenshotFolderEdit", "backgroundFolderEdit"}) {
                fresh = fresh && Child<QLineEdit>(d, edit)->text().isEmpty();
                Child<QLineEdit>(d, edit)->setText(QStringLiteral("x"));
            }
            Child<QPushButton>(d, "okButton")->click();
        });
        save(ListFormat::Cabrio);
        QVERIFY(fresh);
        OnNextModal<ListTitleDialog>([&](ListTitleDialog* d) {
            fresh = Child<QLineEdit>(d, "titleEdit")->text().isEmpty();
            Child<QLineEdit>(d, "titleEdit")->setText(QStringLiteral("x"));
            Child<QPushButton>(d, "okButton")->click();
        });
        save(ListFormat::Khameleon);
        QVERIFY(fresh);
    }
    // The CSV delimiter of the last save does not reach other lists (the command line starts
    // afresh each time too).
    list.environment.fileAnswers.clear();
    list.Select(ListFormat::AttractMode);
    list.environment.fileAnswers = {list.Path("attract.txt")};
    list.Click("saveButton");
    QCOMPARE(FileText(list.Path("attract.txt")), list.CliList(ListFormat::AttractMode, {}, false));
}

void SaveListTest::unwritableTargetsAreReported() {
    WorkingList list;
    QVERIFY(list.ok);
    const std::string folder = list.Path("folder");
    QVERIFY(MakeDirectories(folder));
    for (ListFormat format : {ListFormat::RomNames, ListFormat::Xml, ListFormat::Mala}) {
        for (const std::string& target : {list.Path("no-such-folder/list.txt"), folder}) {
            list.environment.messages.clear();
            list.Select(format);
            if (format == ListFormat::Mala) {
                OnNextModal<ListTitleDialog>(
                    [](ListTitleDialog* d) { Child<QPushButton>(d, "okButton")->click(); });
            }
            list.environment.fileAnswers = {target};
            list.Click("saveButton");
            // The message names the file.
            QCOMPARE(list.environment.messages.size(), std::size_t{1});
            QVERIFY(list.environment.messages[0].text.starts_with(
                "Error opening output file for write!?\r\n" + target + ": "));
            QCOMPARE(list.environment.messages[0].icon, MessageIcon::Exclamation);
        }
    }
    QVERIFY(!FileExists(list.Path("no-such-folder")));
    QVERIFY(IsDirectory(folder));

    // While the writer runs (here: while it reports), the main window neither reopens the master
    // file for the settings nor closes.
    bool running = false;
    int settingsOpened = 0;
    QPointer<QTimer> settingsWait = OnNextModal<SettingsWindow>([&](SettingsWindow* d) {
        ++settingsOpened;
        d->reject();
    });
    SetMessageHook([&](MessageIcon icon, const std::string& text, QMessageBox::StandardButtons) {
        list.environment.messages.push_back({icon, text});
        running = list.output->SaveRunning();
        list.window->OpenSettings();
        list.window->close();
        return QMessageBox::Ok;
    });
    list.Select(ListFormat::HyperSpin);
    list.environment.fileAnswers = {folder};
    list.Click("saveButton");
    QTest::qWait(50);
    StopWaiting(settingsWait);
    QVERIFY(running);
    QCOMPARE(settingsOpened, 0);
    QVERIFY(list.window->isVisible());
    QVERIFY(!list.output->SaveRunning());
    SetMessageHook([&](MessageIcon icon, const std::string& text, QMessageBox::StandardButtons) {
        list.environment.messages.push_back({icon, text});
        return QMessageBox::Ok;
    });

    // The preview window's Save says so too.
    list.environment.messages.clear();
    list.Select(ListFormat::RomNames);
    OnNextModal<TextWindow>([&](TextWindow* preview) {
        list.environment.fileAnswers = {folder};
        SavePreview(preview);
        preview->reject();
    });
    list.Click("previewButton");
    QCOMPARE(list.environment.MessageTexts(),
             std::vector<std::string>{"Error opening output file for write!?\r\n" + folder +
                                      ": a folder, not a file a list can be written to"});
}

void SaveListTest::closingCsvPreviewKeepsTheColumns() {
    WorkingList list;
    QVERIFY(list.ok);
    list.Select(ListFormat::Csv);
    OnNextModal<CsvColumnsDialog>([](CsvColumnsDialog* dialog) {
        Child<QCheckBox>(dialog, "column:rom-name")->click();
        Child<QCheckBox>(dialog, "column:description")->click();
        OnNextModal<CsvHeaderDialog>([](CsvHeaderDialog* order) {
            QCOMPARE(order->windowTitle(), QStringLiteral("CSV Preview"));
            DragHeader(Child<SortableListView>(order, "columnList")->header(), 1, 0);
            QTest::keyClick(order, Qt::Key_Escape);
        });
        Child<QPushButton>(dialog, "okButton")->click();
    });
    list.environment.fileAnswers = {list.Path("closed.csv")};
    list.Click("saveButton");
    QCOMPARE(FileText(list.Path("closed.csv")),
             list.CliList(ListFormat::Csv, {"--columns", "rom-name,description"}, false));
    QVERIFY(
        FileText(list.Path("closed.csv")).starts_with("ROM Name;Description\r\n1942;1942 (Revision B)\r\n"));
}

void SaveListTest::nothingIsReplacedOrDiscardedUnasked() {
    WorkingList list;
    QVERIFY(list.ok);
    AppTestEnvironment& environment = list.environment;
    const std::string existing = list.Path("existing.txt");
    QVERIFY(WriteFileAtomically(existing, "keep me"));
    list.Select(ListFormat::RomNames);

    // Quitting with a list never saved asks first; "No" keeps the program and the list.
    environment.questionAnswers = {QMessageBox::No};
    QVERIFY(!list.window->close());
    QVERIFY(list.window->isVisible());
    QCOMPARE(environment.MessageTexts(), std::vector<std::string>{WorkingListWindow::DiscardQuestion(12)});

    // A save onto an existing file asks; "No" goes back to the file dialog (cancelled here).
    environment.messages.clear();
    environment.fileAsked.clear();
    environment.questionAnswers = {QMessageBox::No};
    environment.fileAnswers = {existing, ""};
    list.Click("saveButton");
    QCOMPARE(FileText(existing), std::string("keep me"));
    QCOMPARE(environment.fileAsked.size(), std::size_t{2});
    QCOMPARE(environment.MessageTexts(), std::vector<std::string>{ReplaceFileQuestion(existing)});
    QVERIFY(list.output->Unsaved());
    // The preview's Save asks the same.
    OnNextModal<TextWindow>([&](TextWindow* preview) {
        environment.questionAnswers = {QMessageBox::No};
        environment.fileAnswers = {existing, ""};
        SavePreview(preview);
        preview->reject();
    });
    list.Click("previewButton");
    QCOMPARE(FileText(existing), std::string("keep me"));
    QCOMPARE(environment.messages.size(), std::size_t{2});

    // "Yes" replaces it; the list is saved now, so closing asks nothing.
    environment.messages.clear();
    environment.fileAnswers = {existing};
    list.Click("saveButton");
    QVERIFY(FileText(existing).starts_with("1942\r\n"));
    QVERIFY(!list.output->Unsaved());
    // A deletion is a change again.
    list.output->List()->SelectRow(0, false);
    list.output->DeleteSelected();
    QVERIFY(list.output->Unsaved());
    environment.fileAnswers = {existing};
    list.Click("saveButton");
    environment.messages.clear();
    list.output->close();
    QVERIFY(environment.messages.empty());
    QCOMPARE(list.output->EntryCount(), 0);
}

// A listing of 600 games, all of them in the main window's working list (the writer reports after
// 256, 512 and 600 of them), and an earlier list where the saves go.
struct ManyGames {
    ManyGames() {
        const std::string games = FileText(AppFixture("games.xml"));
        std::string master = games.substr(0, games.find("\t<machine"));  // the listing's header
        for (int i = 0; i < 600; ++i) {
            const std::string name = "game" + std::to_string(i);
            master += "\t<machine name=\"" + name + "\">\n\t\t<description>Game " + std::to_string(i) +
                      "</description>\n\t\t<year>1981</year>\n\t</machine>\n";
        }
        const std::string path = dir.filePath(QStringLiteral("many.xml")).toStdString();
        if (!WriteFileAtomically(path, master + "</mame>\n") ||
            !WriteFileAtomically(earlier, "an earlier list"))
            return;
        window = OpenMainWindow(environment, path);
        Child<QLineEdit>(window.get(), "findEdit")->setText(QStringLiteral("="));
        Child<QPushButton>(window.get(), "goButton")->click();
        WorkingListWindow* list = window->WorkingList();
        if (!WaitFor([&] { return list->EntryCount() == 600 && list->PendingFills() == 0; })) return;
        Child<QComboBox>(list, "formatBox")->setCurrentIndex(static_cast<int>(ListFormat::RomNames));
        output = list;
    }
    AppTestEnvironment environment;
    QTemporaryDir dir;
    const std::string earlier = dir.filePath(QStringLiteral("list.txt")).toStdString();
    std::unique_ptr<MainWindow> window;
    WorkingListWindow* output = nullptr;  // set once the list is there
};

void SaveListTest::cancelledSavesChangeNothing() {
    ManyGames many;
    QVERIFY(many.output != nullptr);
    auto& [environment, dir, earlier, window, output] = many;
    const QStringList files = QDir(dir.path()).entryList(QDir::Files);

    for (bool preview : {false, true}) {
        for (int cancelAt : {0, 1, 3}) {  // before it begins, after 256 games, after the last
            const QByteArray what = QByteArray(preview ? "preview" : "save") + " cancelled at report " +
                                    QByteArray::number(cancelAt);
            std::atomic<int> reports{0};
            std::atomic<std::size_t> asked{0};
            JobTestHooks hooks;
            hooks.started = [&, cancelAt](JobControl& control) {
                asked = environment.messages.size();
                if (cancelAt == 0) control.RequestCancel();
            };
            hooks.reported = [&, cancelAt](JobControl& control, std::int64_t, std::int64_t) {
                if (++reports == cancelAt) control.RequestCancel();
            };
            SetJobTestHooks(hooks);
            environment.messages.clear();
            environment.fileAnswers = {earlier};  // "Yes" to replacing it
            bool previewed = false;
            QPointer<QTimer> wait = OnNextModal<TextWindow>([&](TextWindow* shown) {
                previewed = true;
                shown->reject();
            });
            Child<QPushButton>(output, preview ? "previewButton" : "saveButton")->click();
            QVERIFY2(WaitFor([&] { return !output->SaveRunning(); }), what);
            QTest::qWait(50);
            StopWaiting(wait);
            SetJobTestHooks({});
            QVERIFY2(output->StatusText() == QStringLiteral("Cancelled.") && !previewed, what);
            QVERIFY2(reports == cancelAt, what);
            QVERIFY2(environment.messages.size() == asked, what);  // no message after the job
            QVERIFY2(
                FileText(earlier) == "an earlier list" && QDir(dir.path()).entryList(QDir::Files) == files,
                what);
            QVERIFY2(output->EntryCount() == 600 && output->Unsaved() && output->SaveProgress() == nullptr,
                     what);
        }
    }

    // The progress window's Cancel, pressed while the writer waits to begin; then the preview
    // window's Save the same way.
    std::atomic<bool> pressed{false};
    SetJobTestHooks({[&](JobControl&) {
                         for (int ms = 0; ms < 10000 && !pressed; ++ms) QThread::msleep(1);
                     },
                     {},
                     {}});
    environment.fileAnswers = {earlier};
    Child<QPushButton>(output, "saveButton")->click();
    QVERIFY(output->SaveProgress() != nullptr);
    QCOMPARE(output->SaveProgress()->FirstText(), QStringLiteral("Creating list..."));
    Child<QPushButton>(output->SaveProgress(), "cancelButton")->click();
    pressed = true;
    QVERIFY(WaitFor([&] { return !output->SaveRunning(); }));
    QCOMPARE(output->StatusText(), QStringLiteral("Cancelled."));
    QCOMPARE(FileText(earlier), std::string("an earlier list"));

    pressed = false;
    TextWindow text("List Preview", "a list", true);
    environment.fileAnswers = {earlier};
    Child<QPushButton>(&text, "saveButton")->click();
    QVERIFY(text.SaveRunning() && text.SaveProgress() != nullptr);
    text.reject();  // the window stays while it writes
    QVERIFY(text.SaveRunning());
    Child<QPushButton>(text.SaveProgress(), "cancelButton")->click();
    pressed = true;
    QVERIFY(WaitFor([&] { return !text.SaveRunning(); }));
    SetJobTestHooks({});
    QCOMPARE(text.StatusText(), QStringLiteral("Cancelled."));
    QVERIFY(!text.Saved());
    QCOMPARE(FileText(earlier), std::string("an earlier list"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), files);
}

void SaveListTest::cancelTooLateIsRefusedAndTold() {
    ManyGames many;
    QVERIFY(many.output != nullptr);
    auto& [environment, dir, earlier, window, output] = many;

    // The writer stops just after its final step began, before the window has heard of it.
    std::atomic<bool> reached{false}, release{false};
    JobTestHooks hooks;
    hooks.finalStepBegun = [&](JobControl&) {
        reached = true;
        for (int ms = 0; ms < 10000 && !release; ++ms) QThread::msleep(1);
    };
    SetJobTestHooks(hooks);
    environment.messages.clear();
    environment.fileAnswers = {earlier};
    Child<QPushButton>(output, "saveButton")->click();
    for (int ms = 0; ms < 10000 && !reached; ++ms) QThread::msleep(1);
    QVERIFY(reached);
    ProgressDialog* progress = output->SaveProgress();
    QVERIFY(progress != nullptr);
    auto* cancel = Child<QPushButton>(progress, "cancelButton");
    // The click comes too late: refused, and from then on Cancel and Escape do nothing.
    QVERIFY(cancel->isEnabled());
    cancel->click();
    QVERIFY(!cancel->isEnabled());
    QTest::keyClick(progress, Qt::Key_Escape);
    QVERIFY(progress->isVisible());
    QCOMPARE(progress->SecondText(), QString::fromUtf8(kPuttingFileInPlace));
    release = true;
    QVERIFY(WaitFor([&] { return !output->SaveRunning(); }));
    SetJobTestHooks({});
    // The file was replaced, and the user is told so, not that it was cancelled.
    const std::string note = SavedNote(600, earlier);
    QCOMPARE(environment.MessageTexts(),
             (std::vector<std::string>{ReplaceFileQuestion(earlier), kTooLateToCancel + note}));
    QCOMPARE(output->StatusText(), QString::fromStdString(note));
    QVERIFY(FileText(earlier).starts_with("game0\r\n"));
    QVERIFY(!output->Unsaved());

    // Without a click, the window disables Cancel itself once it sees the final step.
    release = false;
    reached = false;
    SetJobTestHooks(hooks);
    environment.messages.clear();
    environment.fileAnswers = {earlier};
    Child<QPushButton>(output, "saveButton")->click();
    QVERIFY(WaitFor([&] { return reached && output->SaveProgress()->CancelRefused(); }));
    QVERIFY(!Child<QPushButton>(output->SaveProgress(), "cancelButton")->isEnabled());
    release = true;
    QVERIFY(WaitFor([&] { return !output->SaveRunning(); }));
    SetJobTestHooks({});
    QCOMPARE(environment.MessageTexts(), std::vector<std::string>{ReplaceFileQuestion(earlier)});
    QCOMPARE(output->StatusText(), QString::fromStdString(SavedNote(600, earlier)));
}

QTEST_MAIN(SaveListTest)
#include "SaveListTest.moc"
