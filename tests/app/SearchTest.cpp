// The main window's searches: "Go!" into the working list, "List all ROMs", "ROM Search", the
// progress window with its Cancel, and the search history.
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <sstream>

#include "AppTestSupport.h"
#include "app/BackgroundWork.h"
#include "app/ProgressDialog.h"
#include "app/ResultListWindows.h"
#include "app/SearchDialogs.h"
#include "app/SettingsWindow.h"
#include "app/SortableListView.h"
#include "app/WorkingListWindow.h"
#include "gamedata/FileIo.h"
#include "listmodel/ListTable.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

bool ListAll(MainWindow& window) {
    int shown = 0;
    auto connection = QObject::connect(window.FullList(), &ResultListWindow::BatchShown, [&] { ++shown; });
    Child<QPushButton>(&window, "listAllButton")->click();
    bool ok = WaitFor([&] { return shown > 0; });
    QObject::disconnect(connection);
    return ok;
}

bool RomSearch(MainWindow& window, const QString& text, bool cancel = false) {
    int shown = 0;
    auto connection =
        QObject::connect(window.SearchResults(), &ResultListWindow::BatchShown, [&] { ++shown; });
    OnNextModal<RomSearchDialog>([text, cancel](RomSearchDialog* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Search"));
        Child<QLineEdit>(dialog, "searchEdit")->setText(text);
        Child<QPushButton>(dialog, cancel ? "cancelButton" : "okButton")->click();
    });
    Child<QPushButton>(&window, "romSearchButton")->click();
    bool ok = WaitFor([&] { return shown > 0; });
    QObject::disconnect(connection);
    return ok;
}

}  // namespace

class SearchTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void goFillsTheWorkingList();
    void expressionErrorsHandOverNothing();
    void listAllScansOnceUntilTheSettingsChange();
    void romSearchRanksAsTheCommandLineDoes();
    void romSearchFillsTheSearchWindow();
    void scansShowProgressAndNeverOverlap();
    void cancelLeavesEveryListAsItWas();
    void historyKeepsTheLast25AndPutsOneBack();
};

void SearchTest::goFillsTheWorkingList() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    WorkingListWindow* output = window->WorkingList();
    QVERIFY(!output->isVisible());

    // Double quotes are removed before the search.
    QVERIFY(Go(*window, QStringLiteral("  \"ways=4\" & !cloneof  ")));
    QVERIFY(output->isVisible());
    QCOMPARE(output->windowTitle(), QStringLiteral("Your working list has 3 ROMs"));
    QCOMPARE(ColumnOf(output->List(), kNameColumn),
             (std::vector<std::string>{"Donkey Kong (US set 1)", "Ms. Pac-Man", "Puck Man (Japan set 1)"}));
    QCOMPARE(output->List()->Table().Rows()[0],
             (ListTable::Row{"0x109e", "Donkey Kong (US set 1)", "dkong", "1981", "Nintendo"}));
    // The history keeps the search as typed.
    QCOMPARE(window->History()[0], std::string("\"ways=4\" & !cloneof"));

    // A second batch adds up and the list stays sorted by name; a game already there is not
    // added again.
    QVERIFY(Go(*window, QStringLiteral("mappy | dkong")));
    QCOMPARE(output->windowTitle(), QStringLiteral("Your working list has 4 ROMs"));
    QCOMPARE(ColumnOf(output->List(), kRomNameColumn),
             (std::vector<std::string>{"dkong", "mappy", "mspacman", "puckman"}));
    QVERIFY(environment.messages.size() == 1);  // only the input check's note

    // No match: the message, and the working list as it was.
    environment.messages.clear();
    Child<QLineEdit>(window.get(), "findEdit")->setText(QStringLiteral("zzzz"));
    Child<QPushButton>(window.get(), "goButton")->click();
    QVERIFY(WaitFor([&] { return !window->ScanRunning() && !environment.messages.empty(); }));
    QCOMPARE(environment.MessageTexts(), std::vector<std::string>{"No matches found!"});
    QCOMPARE(output->EntryCount(), 4);
    QCOMPARE(window->History()[0], std::string("zzzz"));
}

void SearchTest::expressionErrorsHandOverNothing() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    environment.messages.clear();
    auto* find = Child<QLineEdit>(window.get(), "findEdit");

    find->setText(QStringLiteral("'pacman"));
    Child<QPushButton>(window.get(), "goButton")->click();
    QVERIFY(WaitFor([&] { return !window->ScanRunning(); }));
    QTest::qWait(50);
    QCOMPARE(environment.MessageTexts(),
             std::vector<std::string>{std::string(kMissingQuoteError) +
                                      "\r\nThe quote mark at position 1 has no partner."});
    QCOMPARE(environment.messages[0].icon, MessageIcon::Stop);
    QVERIFY(!window->WorkingList()->isVisible());
    QCOMPARE(window->WorkingList()->List()->RowCount(), 0);

    environment.messages.clear();
    find->setText(QStringLiteral("dkong) | (pacman"));
    Child<QPushButton>(window.get(), "goButton")->click();
    QVERIFY(WaitFor([&] { return !environment.messages.empty(); }));
    QCOMPARE(environment.messages[0].text,
             std::string(kMissingParenthesisError) + "\r\nThe \")\" at position 6 closes nothing.");

    environment.messages.clear();
    const int scans = window->ScanCount();
    find->setText(QStringLiteral("   "));
    Child<QPushButton>(window.get(), "goButton")->click();
    QCOMPARE(environment.MessageTexts(), std::vector<std::string>{"Error! Nothing to search for"});
    QCOMPARE(window->ScanCount(), scans);
    // None of them is kept in the history.
    QCOMPARE(window->History()[0], std::string());

    // Macros expand before the search (a user's own macro file comes first); the history keeps
    // the macro name.
    environment.messages.clear();
    QVERIFY(MakeDirectories(environment.DataFolder() + "/Vantor"));
    QVERIFY(WriteFileAtomically(environment.DataFolder() + "/Vantor/vnmacros.txt", "@USA = (usa)\n"));
    QVERIFY(Go(*window, QStringLiteral("@USA | dkong")));
    QCOMPARE(window->History()[0], std::string("@USA | dkong"));
    QCOMPARE(window->History()[1], std::string());
    QVERIFY(environment.messages.empty());
}

void SearchTest::listAllScansOnceUntilTheSettingsChange() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    ResultListWindow* fullList = window->FullList();

    QVERIFY(ListAll(*window));
    QCOMPARE(window->ScanCount(), 1);
    QVERIFY(fullList->isVisible());
    QCOMPARE(fullList->windowTitle(), QStringLiteral("Full list of 12 ROMs"));
    QCOMPARE(fullList->List()->Table().Cell(0, kNameColumn), std::string("1942 (Revision B)"));
    QCOMPARE(fullList->List()->Table().Cell(11, kNameColumn), std::string("Tempest (rev 3)"));

    // Closing hides; the next click shows the same rows without a scan.
    fullList->close();
    QVERIFY(!fullList->isVisible());
    fullList->List()->Sort(kYearColumn, false);
    QVERIFY(ListAll(*window));
    QCOMPARE(window->ScanCount(), 1);
    QVERIFY(fullList->isVisible());
    QCOMPARE(fullList->EntryCount(), 12);
    QCOMPARE(fullList->List()->Table().SortColumn(), kYearColumn);  // untouched

    // "Set" in the settings: the next click scans the (new) file again.
    OnNextModal<SettingsWindow>([](SettingsWindow* settings) {
        Child<QLineEdit>(settings, "inputFileEdit")
            ->setText(QString::fromStdString(AppFixture("merged.xml")));
        Child<QPushButton>(settings, "setButton")->click();
    });
    Child<QPushButton>(window.get(), "settingsButton")->click();
    QVERIFY(ListAll(*window));
    QCOMPARE(window->ScanCount(), 2);
    QCOMPARE(fullList->windowTitle(), QStringLiteral("Full list of 3 ROMs"));
    QCOMPARE(fullList->List()->Table().SortColumn(), kNameColumn);
}

void SearchTest::romSearchFillsTheSearchWindow() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    environment.messages.clear();
    ResultListWindow* search = window->SearchResults();

    // Best match first (by the description similarity), not by name or file order.
    QVERIFY(RomSearch(*window, QStringLiteral("Pac-Man (Prototype)")));
    QCOMPARE(ColumnOf(search->List(), kRomNameColumn), (std::vector<std::string>{"pacmanx", "pacman"}));
    QVERIFY(!search->List()->header()->isSortIndicatorShown());

    // "Pac-Man" is nearer "PACMAN" than "Ms. Pac-Man"; the two alike stay in file order.
    QVERIFY(RomSearch(*window, QStringLiteral("PACMAN")));
    QCOMPARE(search->windowTitle(), QStringLiteral("Found 3 ROMs"));
    QCOMPARE(ColumnOf(search->List(), kRomNameColumn),
             (std::vector<std::string>{"pacman", "pacmanx", "mspacman"}));

    // Cancel keeps the text the dialog opened with, which is searched again.
    OnNextModal<RomSearchDialog>([](RomSearchDialog* dialog) {
        QCOMPARE(Child<QLineEdit>(dialog, "searchEdit")->text(), QStringLiteral("PACMAN"));
    });
    QVERIFY(RomSearch(*window, QStringLiteral("something else"), true));
    QCOMPARE(window->ScanCount(), 3);
    QCOMPARE(search->EntryCount(), 3);

    // No match: the message instead of an empty window.
    search->hide();
    OnNextModal<RomSearchDialog>([](RomSearchDialog* dialog) {
        Child<QLineEdit>(dialog, "searchEdit")->setText(QStringLiteral("qqqqqqqqqqqqqqqqqqqq"));
        Child<QPushButton>(dialog, "okButton")->click();
    });
    Child<QPushButton>(window.get(), "romSearchButton")->click();
    QVERIFY(WaitFor([&] { return environment.HasMessage("No matches found!"); }));
    QCOMPARE(window->ScanCount(), 4);
    QTest::qWait(50);
    QVERIFY(!search->isVisible());
    QCOMPARE(search->EntryCount(), 3);
}

void SearchTest::scansShowProgressAndNeverOverlap() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    Child<QLineEdit>(window.get(), "findEdit")->setText(QStringLiteral("ways=4"));
    Child<QPushButton>(window.get(), "goButton")->click();

    // The scan has started: its window-modal progress window shows, a second scan is refused.
    QVERIFY(window->ScanRunning());
    ProgressDialog* progress = window->ScanProgress();
    QVERIFY(progress != nullptr);
    QCOMPARE(progress->windowTitle(), QStringLiteral("Progress..."));
    QCOMPARE(progress->windowModality(), Qt::WindowModal);
    QCOMPARE(Child<QLabel>(progress, "firstLineText")->text(),
             QStringLiteral("Scanning input file for matches..."));
    QVERIFY(Child<QLabel>(progress, "secondLineText") != nullptr);
    auto* bar = Child<QProgressBar>(progress, "progressBar");
    QCOMPARE(bar->maximum(), 1000);
    QVERIFY(Child<QPushButton>(progress, "cancelButton")->isVisible());  // Cancel
    Child<QPushButton>(window.get(), "listAllButton")->click();
    QCOMPARE(window->ScanCount(), 1);

    // The bar reaches the end (bytes read of the file) before the window goes, and says so.
    int last = 0;
    QString figures;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        last = value;
        figures = progress->FiguresText();
    });
    QVERIFY(WaitFor([&] { return !window->ScanRunning(); }));
    QCOMPARE(last, 1000);
    QCOMPARE(figures, QStringLiteral("7.1 kB of 7.1 kB (100%)"));
    QVERIFY(window->ScanProgress() == nullptr);
    QVERIFY(WaitFor([&] { return window->WorkingList()->EntryCount() == 5; }));

    // The main window cannot be closed under a running scan.
    Child<QPushButton>(window.get(), "listAllButton")->click();
    QVERIFY(window->ScanRunning());
    QVERIFY(!window->close());
    QVERIFY(WaitFor([&] { return !window->ScanRunning(); }));
}

// Cancel before a scan begins, at its first report (the parts have started) or after its last
// one: no list changes, the search is not kept in the history, and the main window says
// "Cancelled.".
void SearchTest::cancelLeavesEveryListAsItWas() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    QVERIFY(Go(*window, QStringLiteral("name=dkong")));
    const int inList = window->WorkingList()->EntryCount();
    environment.messages.clear();
    auto* find = Child<QLineEdit>(window.get(), "findEdit");

    const struct {
        const char* name;
        std::function<void()> start;
    } scans[] = {
        {"Go!",
         [&] {
             find->setText(QStringLiteral("ways=4"));
             Child<QPushButton>(window.get(), "goButton")->click();
         }},
        {"List all ROMs", [&] { Child<QPushButton>(window.get(), "listAllButton")->click(); }},
        {"ROM Search",
         [&] {
             OnNextModal<RomSearchDialog>([](RomSearchDialog* dialog) {
                 Child<QLineEdit>(dialog, "searchEdit")->setText(QStringLiteral("pacman"));
                 Child<QPushButton>(dialog, "okButton")->click();
             });
             Child<QPushButton>(window.get(), "romSearchButton")->click();
         }},
    };
    enum Point { Start, Middle, End };
    for (const auto& scan : scans) {
        for (Point point : {Start, Middle, End}) {
            const QByteArray what = QByteArray(scan.name) + " cancelled at " + QByteArray::number(point);
            std::atomic<bool> reportedMiddle{false}, reportedEnd{false};
            JobTestHooks hooks;
            if (point == Start) hooks.started = [](JobControl& control) { control.RequestCancel(); };
            hooks.reported = [&, point](JobControl& control, std::int64_t done, std::int64_t total) {
                (done < total ? reportedMiddle : reportedEnd) = true;
                if ((point == Middle && done < total) || (point == End && done == total))
                    control.RequestCancel();
            };
            SetJobTestHooks(hooks);
            scan.start();
            QVERIFY2(WaitFor([&] { return !window->ScanRunning(); }), what);
            SetJobTestHooks({});
            QTest::qWait(2 * kProgressPollMs);  // time for a hand-over that should not be there

            QVERIFY2(window->StatusText() == QStringLiteral("Cancelled.") && environment.messages.empty(),
                     what);
            QVERIFY2(window->ScanProgress() == nullptr, what);
            QVERIFY2(
                window->WorkingList()->EntryCount() == inList && window->WorkingList()->PendingFills() == 0,
                what);
            QVERIFY2(window->History()[0] == "name=dkong", what);
            QVERIFY2(!window->FullListReady() && window->FullList()->EntryCount() == 0 &&
                         !window->FullList()->isVisible(),
                     what);
            QVERIFY2(window->SearchResults()->EntryCount() == 0 && !window->SearchResults()->isVisible(),
                     what);
            // It stopped where it was asked to: before it began, in the middle, or after the end.
            QVERIFY2(point == Start    ? !reportedMiddle && !reportedEnd
                     : point == Middle ? reportedMiddle && !reportedEnd
                                       : reportedEnd.load(),
                     what);
        }
    }

    // The Cancel button of the progress window ends the scan at once. The scan waits at its
    // first report until the button has been pressed.
    std::atomic<bool> reading{false}, pressed{false};
    SetJobTestHooks({{},
                     [&](JobControl&, std::int64_t done, std::int64_t total) {
                         if (done == total || reading.exchange(true)) return;
                         for (int ms = 0; ms < 10000 && !pressed; ++ms) QThread::msleep(1);
                     },
                     {}});
    find->setText(QStringLiteral("ways=4"));
    Child<QPushButton>(window.get(), "goButton")->click();
    QVERIFY(window->StatusText().isEmpty());
    QVERIFY(WaitFor([&] { return !window->ScanProgress()->FiguresText().isEmpty(); }));
    QVERIFY(reading);
    QElapsedTimer timer;
    timer.start();
    Child<QPushButton>(window->ScanProgress(), "cancelButton")->click();
    pressed = true;
    QVERIFY(WaitFor([&] { return !window->ScanRunning(); }));
    SetJobTestHooks({});
    const qint64 cancelMs = timer.elapsed();
    qInfo("Cancel took %lld ms", static_cast<long long>(cancelMs));
    QVERIFY(cancelMs < 1000);  // 200 ms and less when the machine is not busy with other work
    QCOMPARE(window->WorkingList()->EntryCount(), inList);

    // A full list whose fill is cancelled is not kept as built; the next click builds it.
    std::atomic<int> jobs{0};
    SetJobTestHooks({[&](JobControl& control) {
                         if (++jobs == 2) control.RequestCancel();  // the scan, then the fill
                     },
                     {},
                     {}});
    Child<QPushButton>(window.get(), "listAllButton")->click();
    QVERIFY(WaitFor([&] { return jobs == 2 && !window->FullList()->FillRunning(); }));
    SetJobTestHooks({});
    QVERIFY(!window->FullListReady());
    QCOMPARE(window->StatusText(), QStringLiteral("Cancelled."));
    QVERIFY(ListAll(*window));
    QVERIFY(window->FullListReady() && window->StatusText().isEmpty());
    QCOMPARE(window->FullList()->EntryCount(), 12);
}

void SearchTest::historyKeepsTheLast25AndPutsOneBack() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    for (int i = 1; i <= 30; ++i) QVERIFY(Go(*window, QStringLiteral("name=mk | %1").arg(i)));
    QCOMPARE(window->History()[0], std::string("name=mk | 30"));
    QCOMPARE(window->History()[24], std::string("name=mk | 6"));
    // A search made again moves up instead of standing twice.
    QVERIFY(Go(*window, QStringLiteral("name=mk | 29")));
    QVERIFY(Go(*window, QStringLiteral("name=mk | 30")));
    QCOMPARE(window->History()[1], std::string("name=mk | 29"));
    QCOMPARE(window->History()[2], std::string("name=mk | 28"));
    QCOMPARE(window->History()[24], std::string("name=mk | 6"));

    // "H": the entries newest first; a double click puts one back into "-find:" without a search.
    auto* find = Child<QLineEdit>(window.get(), "findEdit");
    find->setText(QStringLiteral("something typed"));
    const int scans = window->ScanCount();
    OnNextModal<SearchHistoryDialog>([](SearchHistoryDialog* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Search History"));
        SortableListView* list = Child<SortableListView>(dialog, "historyList");
        QCOMPARE(list->RowCount(), 25);
        QCOMPARE(list->Table().Cell(0, 0), std::string("name=mk | 30"));
        QVERIFY(dialog->findChildren<QPushButton*>().isEmpty());  // closed by a double click
        list->SelectRow(2, false);
        // What a double click on the row reports.
        Q_EMIT list->doubleClicked(list->Model()->index(2, 0));
        QVERIFY(dialog->Chosen());
    });
    Child<QPushButton>(window.get(), "historyButton")->click();
    QCOMPARE(find->text(), QStringLiteral("name=mk | 28"));
    QCOMPARE(window->ScanCount(), scans);

    // Closing writes the file: two header lines and 25 entries, newest first.
    QVERIFY(window->close());
    std::string text;
    QVERIFY(ReadWholeFile(environment.DataFolder() + "/Vantor/searchHistory.txt", text));
    QVERIFY(text.rfind("; Vantor search history file.\r\r\n;Up to 25", 0) == 0);
    std::size_t lines = 0;
    for (char c : text) lines += c == '\n';
    QCOMPARE(lines, std::size_t{27});
    QVERIFY(text.find("name=mk | 30\r\r\nname=mk | 29\r\r\n") != std::string::npos);
    QVERIFY(text.find("name=mk | 5\r\r\n") == std::string::npos);

    // The next window loads it.
    std::unique_ptr<MainWindow> next = OpenMainWindow(environment, AppFixture("games.xml"));
    QCOMPARE(next->History()[0], std::string("name=mk | 30"));
    QCOMPARE(next->History()[24], std::string("name=mk | 6"));
}

void SearchTest::romSearchRanksAsTheCommandLineDoes() {
    AppTestEnvironment environment;
    QTemporaryDir dir;
    // A game that only resembles the text comes first in the file; long tags follow the names.
    const std::string games = FileText(AppFixture("games.xml"));
    std::string master = games.substr(0, games.find("\t<machine"));
    for (const auto& [name, description] : {std::pair{"starfigh", "Star Fighter"},
                                            {"sf", "Street Fighter (World 910522)"},
                                            {"sf2", "Street Fighter II: The World Warrior (World 910522)"}})
        master += std::string("\t<machine name=\"") + name + "\">\n\t\t<description>" + description +
                  "</description>\n\t</machine>\n";
    const std::string path = dir.filePath(QStringLiteral("fighters.xml")).toStdString();
    QVERIFY(WriteFileAtomically(path, master + "</mame>\n"));
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, path);
    QVERIFY(RomSearch(*window, QStringLiteral("street fighter")));
    const std::vector<std::string> best = {"sf", "sf2", "starfigh"};
    QCOMPARE(ColumnOf(window->SearchResults()->List(), kRomNameColumn), best);
    // vantor-cli lists them in the same order.
    std::vector<std::string> printed;
    std::istringstream lines(RunCli({"--input", path, "romsearch", "street fighter"}));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t name = line.find('|') + 1;  // after the record key
        printed.push_back(line.substr(name, line.find('|', name) - name));
    }
    QCOMPARE(printed, best);
}

QTEST_MAIN(SearchTest)
#include "SearchTest.moc"
