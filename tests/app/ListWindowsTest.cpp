// The list windows and the working list: adding selected rows, deleting, the first-letter jump,
// sorting by header click, closing, fills cancelled or overtaken, the details view and a list of
// 45,000 rows.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <atomic>

#include "AppTestSupport.h"
#include "MatchEntryText.h"
#include "app/BackgroundWork.h"
#include "app/DetailsView.h"
#include "app/ProgressDialog.h"
#include "app/ResultListWindows.h"
#include "app/SortableListView.h"
#include "app/TextWindow.h"
#include "app/WorkingListWindow.h"
#include "listmodel/ListTable.h"
#include "output/ListFormats.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

// Sends a batch the way the main window does and waits until the window has shown it.
template <typename Window>
bool Deliver(Window* window, const std::string& entries, const char* titleFormat = "", bool hide = false) {
    int shown = 0;
    auto connection = QObject::connect(window, &Window::BatchShown, [&] { ++shown; });
    HandOver handOver;
    handOver.entries = EntriesFromText(entries);
    handOver.titleFormat = titleFormat;
    handOver.hideRomNames = hide;
    QMetaObject::invokeMethod(
        window, [window, handOver] { window->ReceiveEntries(handOver); }, Qt::QueuedConnection);
    bool ok = WaitFor([&] { return shown > 0; });
    QObject::disconnect(connection);
    return ok;
}

HandOver Batch(const std::string& entries, const char* titleFormat = "") {
    HandOver handOver;
    handOver.entries = EntriesFromText(entries);
    handOver.titleFormat = titleFormat;
    return handOver;
}

// Holds jobs at their start until opened (or for ten seconds at most).
struct StartGate {
    std::atomic<bool> open{false};
    void Wait() const {
        for (int ms = 0; ms < 10000 && !open; ++ms) QThread::msleep(1);
    }
};

const char* kFiveGames =
    "0x1|pacman|Pac-Man|1980|Namco|"
    "0x2|mappy|Mappy|1983|Namco|"
    "0x3|dkong|Donkey Kong|1981|Nintendo|"
    "0x4|galaga|Galaga|1981|Namco|"
    "0x5|mk|Mortal Kombat|1992|Midway|";

}  // namespace

class ListWindowsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void cleanup() { SetJobTestHooks({}); }
    void addingSelectedRowsToTheWorkingList();
    void deletingRowsFromTheWorkingList();
    void firstLetterJumpIsCaseSensitive();
    void headerClicksSortWithTheArrow();
    void closingClearsOnlyTheWorkingList();
    void fillsAreCancelledOrOvertaken();
    void detailsHideRomLinesWhenAsked();
    void detailsShowTheLatestRequestOnly();
    void formatBoxDecidesThePreviewButton();
    void fortyFiveThousandRowsFillAndSortQuickly();
};

void ListWindowsTest::addingSelectedRowsToTheWorkingList() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    ResultListWindow* fullList = window->FullList();
    WorkingListWindow* output = window->WorkingList();
    int shown = 0;
    QObject::connect(fullList, &ResultListWindow::BatchShown, [&] { ++shown; });
    Child<QPushButton>(window.get(), "listAllButton")->click();
    QVERIFY(WaitFor([&] { return shown == 1; }));

    // Rows 6 and 1 of the name order (selected in that order): sent in row order.
    SortableListView* list = Child<SortableListView>(fullList, "gameList");
    list->SelectRow(6, false);
    list->SelectRow(1, true);
    int added = 0;
    QObject::connect(output, &WorkingListWindow::BatchShown, [&] { ++added; });
    Child<QAction>(fullList, "addAction")->trigger();  // "Add to your list"
    QVERIFY(WaitFor([&] { return added == 1; }));
    QCOMPARE(output->windowTitle(), QStringLiteral("Your working list has 2 ROMs"));
    QCOMPARE(output->List()->Table().Rows()[0],
             (ListTable::Row{"0x109e", "Donkey Kong (US set 1)", "dkong", "1981", "Nintendo"}));
    QCOMPARE(output->List()->Table().Rows()[1],
             (ListTable::Row{"0x1740", "Mortal Kombat (rev 5.0 T-Unit 03/19/93)", "mk", "1992", "Midway"}));

    QCOMPARE(output->StatusText(), QStringLiteral("Added 2 ROMs."));

    // The same again from the search window, plus one more: a game already in the list is not
    // added twice, and the window says so; the list stays sorted by name.
    int found = 0;
    QObject::connect(window->SearchResults(), &ResultListWindow::BatchShown, [&] { ++found; });
    QVERIFY(Deliver(window->SearchResults(),
                    "0x109e|dkong|Donkey Kong (US set 1)|1981|Nintendo|0x0a5|puckman|Puck Man|1980|Namco|",
                    "Found %d ROMs"));
    SortableListView* results = window->SearchResults()->List();
    results->SelectRow(0, false);
    results->SelectRow(1, true);
    Child<QAction>(window->SearchResults(), "addAction")->trigger();
    QVERIFY(WaitFor([&] { return added == 2; }));
    QCOMPARE(ColumnOf(output->List(), kRomNameColumn), (std::vector<std::string>{"dkong", "mk", "puckman"}));
    QCOMPARE(output->windowTitle(), QStringLiteral("Your working list has 3 ROMs"));
    QCOMPARE(output->StatusText(), QStringLiteral("Added 1 ROM; 1 was in your list already."));

    // Nothing selected: the working list is merely shown.
    results->clearSelection();
    output->hide();
    QVERIFY(!output->isVisible());
    Child<QAction>(window->SearchResults(), "addAction")->trigger();
    QVERIFY(WaitFor([&] { return added == 3; }));
    QVERIFY(output->isVisible());
    QCOMPARE(output->EntryCount(), 3);
}

void ListWindowsTest::deletingRowsFromTheWorkingList() {
    AppTestEnvironment environment;
    Catalog catalog;
    WorkingListWindow output(catalog);
    QVERIFY(Deliver(&output, kFiveGames));
    QCOMPARE(ColumnOf(output.List(), kNameColumn),
             (std::vector<std::string>{"Donkey Kong", "Galaga", "Mappy", "Mortal Kombat", "Pac-Man"}));
    SortableListView* list = Child<SortableListView>(&output, "gameList");
    list->SelectRow(1, false);
    list->SelectRow(3, true);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(ColumnOf(output.List(), kNameColumn),
             (std::vector<std::string>{"Donkey Kong", "Mappy", "Pac-Man"}));
    QCOMPARE(output.EntryCount(), 3);
    QCOMPARE(output.windowTitle(), QStringLiteral("Your working list has 3 ROMs"));
    QCOMPARE(list->currentIndex().row(), 2);  // where the last deletion happened

    // The context menu's "Delete"; with nothing selected nothing goes, and the title still counts the list.
    list->SelectRow(0, false);
    Child<QAction>(&output, "deleteAction")->trigger();
    QCOMPARE(output.EntryCount(), 2);
    list->clearSelection();
    Child<QAction>(&output, "deleteAction")->trigger();
    QCOMPARE(output.EntryCount(), 2);
    QCOMPARE(output.windowTitle(), QStringLiteral("Your working list has 2 ROMs"));

    // A later batch is merged into what is left, still in name order.
    QVERIFY(Deliver(&output, "0x6|bzone|Battlezone|1980|Atari|"));
    QCOMPARE(ColumnOf(output.List(), kNameColumn),
             (std::vector<std::string>{"Battlezone", "Mappy", "Pac-Man"}));
    QCOMPARE(output.windowTitle(), QStringLiteral("Your working list has 3 ROMs"));
}

void ListWindowsTest::firstLetterJumpIsCaseSensitive() {
    AppTestEnvironment environment;
    Catalog catalog;
    FullListWindow fullList(catalog);
    QVERIFY(Deliver(&fullList,
                    "0x1|a|mad alien|1980|X|0x2|b|Mappy|1983|X|0x3|c|pac-land|1984|X|0x4|d|Pac-Man|1980|X|"
                    "0x5|e|1942|1984|X|",
                    "Full list of %d ROMs"));
    QCOMPARE(fullList.windowTitle(), QStringLiteral("Full list of 5 ROMs"));
    SortableListView* list = Child<SortableListView>(&fullList, "gameList");
    QCOMPARE(ColumnOf(list, kNameColumn),
             (std::vector<std::string>{"1942", "mad alien", "Mappy", "pac-land", "Pac-Man"}));

    list->setFocus();
    QTest::keyClick(list, Qt::Key_M);  // "m" or "M": the key counts, names with "m" are skipped
    QCOMPARE(list->currentIndex().row(), 2);
    QCOMPARE(list->SelectedRows(), (std::vector<int>{2}));
    QTest::keyClick(list, Qt::Key_P, Qt::ShiftModifier);
    QCOMPARE(list->currentIndex().row(), 4);
    QCOMPARE(list->SelectedRows(), (std::vector<int>{2, 4}));  // earlier selections stay
    QTest::keyClick(list, Qt::Key_1);
    QCOMPARE(list->currentIndex().row(), 0);
    QTest::keyClick(list, Qt::Key_Z);  // no such row: nothing changes
    QCOMPARE(list->currentIndex().row(), 0);
    QCOMPARE(list->SelectedRows(), (std::vector<int>{0, 2, 4}));

    // The working list jumps the same way; the same letter again goes on to the next name
    // with it, and round to the first.
    WorkingListWindow output(catalog);
    QVERIFY(Deliver(&output, kFiveGames));
    output.List()->setFocus();
    QTest::keyClick(output.List(), Qt::Key_P);
    QCOMPARE(output.List()->currentIndex().row(), 4);
    std::vector<int> rows;
    for (int press = 0; press < 3; ++press) {
        QTest::keyClick(output.List(), Qt::Key_M);
        rows.push_back(output.List()->currentIndex().row());
    }
    QCOMPARE(rows, (std::vector<int>{2, 3, 2}));  // Mappy, Mortal Kombat, Mappy

    // In a long list the match comes to the top of the view, and the Name column is as wide as
    // its (longest) name.
    std::string entries;
    for (int i = 0; i < 300; ++i)
        entries += "0x" + std::to_string(i + 1) + "|r|Game " + std::to_string(1000 + i) + "|1|X|";
    const std::string longName = "Zzyzx: The Exceedingly Long Title Of A Game (World, revision 2)";
    entries += "0x999|z|" + longName + "|1|X|";
    FullListWindow longList(catalog);
    QVERIFY(Deliver(&longList, entries, "Full list of %d ROMs"));
    QVERIFY(QTest::qWaitForWindowExposed(&longList));
    SortableListView* view = longList.List();
    QVERIFY(view->columnWidth(kNameColumn) >=
            view->fontMetrics().horizontalAdvance(QString::fromStdString(longName)));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Z);
    QCOMPARE(view->currentIndex().row(), 300);
    QTest::keyClick(view, Qt::Key_G);
    QCOMPARE(view->currentIndex().row(), 0);
    QTest::keyClick(view, Qt::Key_G);
    QCOMPARE(view->currentIndex().row(), 1);
    // A row in the middle: scrolled to the top, not just into view at the bottom.
    view->JumpToRow(150);
    QCOMPARE(view->visualRect(view->Model()->index(150, kNameColumn)).top(), 0);
}

void ListWindowsTest::headerClicksSortWithTheArrow() {
    AppTestEnvironment environment;
    Catalog searchCatalog;
    SearchResultsWindow search(searchCatalog);
    QVERIFY(Deliver(&search, std::string(kFiveGames) + "0x7|b|mappy|1983|Namco|", "Found %d ROMs"));
    QCOMPARE(search.windowTitle(), QStringLiteral("Found 6 ROMs"));
    SortableListView* list = search.List();
    QHeaderView* header = list->header();
    QVERIFY(QTest::qWaitForWindowExposed(&search));
    QVERIFY(list->isColumnHidden(kKeyColumn));
    QVERIFY(header->sectionsMovable());
    auto clickHeader = [&](int column) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    };
    // Filled by name ascending ("mappy" before "Mappy"); a click on Name reverses.
    QCOMPARE(ColumnOf(list, kNameColumn)[2], std::string("mappy"));
    clickHeader(kNameColumn);
    QCOMPARE(ColumnOf(list, kNameColumn), (std::vector<std::string>{"Pac-Man", "Mortal Kombat", "Mappy",
                                                                    "mappy", "Galaga", "Donkey Kong"}));
    QCOMPARE(header->sortIndicatorSection(), kNameColumn);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);

    // Another column sorts ascending, equal years keeping their order; the selection follows.
    list->SelectRow(0, false);
    clickHeader(kYearColumn);
    QCOMPARE(ColumnOf(list, kYearColumn),
             (std::vector<std::string>{"1980", "1981", "1981", "1983", "1983", "1992"}));
    QCOMPARE(ColumnOf(list, kNameColumn)[1], std::string("Galaga"));
    QCOMPARE(header->sortIndicatorSection(), kYearColumn);
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(list->Table().Cell(list->FirstSelectedRow(), kNameColumn), std::string("Pac-Man"));

    // A new batch replaces the rows even when empty.
    QVERIFY(Deliver(&search, "", "Found %d ROMs"));
    QCOMPARE(search.windowTitle(), QStringLiteral("Found 0 ROMs"));
    QCOMPARE(list->RowCount(), 0);
}

void ListWindowsTest::closingClearsOnlyTheWorkingList() {
    AppTestEnvironment environment;
    Catalog catalog;
    WorkingListWindow output(catalog);
    QVERIFY(Deliver(&output, kFiveGames));
    QVERIFY(output.isVisible());
    // A list that was never saved is kept unless the user says to discard it.
    environment.questionAnswers = {QMessageBox::No};
    output.close();
    QVERIFY(output.isVisible());
    QCOMPARE(output.EntryCount(), 5);
    QCOMPARE(environment.MessageTexts(), std::vector<std::string>{WorkingListWindow::DiscardQuestion(5)});
    output.close();  // "Yes"
    QVERIFY(!output.isVisible());
    QCOMPARE(output.EntryCount(), 0);
    QCOMPARE(output.List()->RowCount(), 0);
    QVERIFY(Deliver(&output, "0x9|bzone|Battlezone|1980|Atari|"));
    QCOMPARE(output.windowTitle(), QStringLiteral("Your working list has 1 ROMs"));
    QCOMPARE(ColumnOf(output.List(), kRomNameColumn), std::vector<std::string>{"bzone"});

    // Escape closes it too, after the same question.
    environment.messages.clear();
    environment.questionAnswers = {QMessageBox::No};
    QTest::keyClick(&output, Qt::Key_Escape);
    QCOMPARE(output.EntryCount(), 1);
    QTest::keyClick(&output, Qt::Key_Escape);
    QCOMPARE(output.EntryCount(), 0);
    QCOMPARE(environment.messages.size(), std::size_t{2});

    // The list windows only hide: the rows stay.
    FullListWindow fullList(catalog);
    QVERIFY(Deliver(&fullList, kFiveGames, "Full list of %d ROMs"));
    fullList.close();
    QCOMPARE(fullList.EntryCount(), 5);
    QVERIFY(Deliver(&fullList, ""));  // an empty hand-over shows the list it holds
    QVERIFY(fullList.isVisible());
    QCOMPARE(fullList.List()->RowCount(), 5);
    QCOMPARE(fullList.windowTitle(), QStringLiteral("Full list of 5 ROMs"));
}

void ListWindowsTest::fillsAreCancelledOrOvertaken() {
    AppTestEnvironment environment;
    Catalog catalog;
    FullListWindow fullList(catalog);
    QVERIFY(Deliver(&fullList, kFiveGames, "Full list of %d ROMs"));
    const std::vector<std::string> fiveNames = ColumnOf(fullList.List(), kNameColumn);
    int cancelled = 0;
    int shown = 0;
    QObject::connect(&fullList, &ResultListWindow::FillCancelled, [&] { ++cancelled; });
    QObject::connect(&fullList, &ResultListWindow::BatchShown, [&] { ++shown; });
    const std::string two = "0x9|bzone|Battlezone|1980|Atari|0x8|qix|Qix|1981|Taito|";
    auto unchanged = [&] {
        return ColumnOf(fullList.List(), kNameColumn) == fiveNames &&
               fullList.windowTitle() == QStringLiteral("Full list of 5 ROMs") && shown == 0;
    };

    // Before the rows are built, between building and sorting them, and after the last step.
    enum Point { Start, Middle, End };
    for (Point point : {Start, Middle, End}) {
        JobTestHooks hooks;
        if (point == Start) hooks.started = [](JobControl& control) { control.RequestCancel(); };
        hooks.reported = [point](JobControl& control, std::int64_t done, std::int64_t total) {
            if ((point == Middle && done < total) || (point == End && done == total)) control.RequestCancel();
        };
        SetJobTestHooks(hooks);
        fullList.ReceiveEntries(Batch(two, "Full list of %d ROMs"));
        QVERIFY(WaitFor([&] { return cancelled == point + 1; }));
        QVERIFY2(unchanged() && !fullList.FillRunning(), qPrintable(QString::number(point)));
    }

    // A long fill shows a progress window whose Cancel stops it.
    StartGate gate;
    SetJobTestHooks({[&](JobControl&) { gate.Wait(); }, {}, {}});
    fullList.ReceiveEntries(Batch(two, "Full list of %d ROMs"));
    QVERIFY(WaitFor([&] { return fullList.FillProgress() != nullptr; }));
    ProgressDialog* progress = fullList.FillProgress();
    QCOMPARE(progress->FirstText(), QStringLiteral("Building list, one moment please..."));
    Child<QPushButton>(progress, "cancelButton")->click();
    gate.open = true;
    QVERIFY(WaitFor([&] { return cancelled == 4; }));
    QVERIFY(unchanged() && fullList.FillProgress() == nullptr);

    // A batch that comes while the one before is filled takes its place: only it is shown.
    StartGate first;
    std::atomic<int> started{0};
    SetJobTestHooks({[&](JobControl&) {
                         if (++started == 1) first.Wait();
                     },
                     {},
                     {}});
    fullList.ReceiveEntries(Batch(kFiveGames, "Full list of %d ROMs"));
    QVERIFY(WaitFor([&] { return started == 1; }));
    fullList.ReceiveEntries(Batch(two, "Full list of %d ROMs"));
    QVERIFY(WaitFor([&] { return shown == 1; }));
    first.open = true;
    QTest::qWait(3 * kProgressPollMs);
    QCOMPARE(shown, 1);
    QCOMPARE(ColumnOf(fullList.List(), kNameColumn), (std::vector<std::string>{"Battlezone", "Qix"}));
    QCOMPARE(cancelled, 4);
    SetJobTestHooks({});

    // The working list adds every batch, in the order they came; closing it drops the batches
    // still on their way.
    WorkingListWindow output(catalog);
    int added = 0;
    QObject::connect(&output, &WorkingListWindow::BatchShown, [&] { ++added; });
    output.ReceiveEntries(Batch(kFiveGames));
    output.ReceiveEntries(Batch("0x9|bzone|Battlezone|1980|Atari|0x1|pacman|Pac-Man|1980|Namco|"));
    QCOMPARE(output.PendingFills(), 2);
    QVERIFY(WaitFor([&] { return added == 2; }));
    QCOMPARE(output.EntryCount(), 6);
    QCOMPARE(output.StatusText(), QStringLiteral("Added 1 ROM; 1 was in your list already."));
    output.ReceiveEntries(Batch(two));
    output.close();  // "Yes", discard it
    QTest::qWait(3 * kProgressPollMs);
    QCOMPARE(added, 2);
    QVERIFY(output.EntryCount() == 0 && output.PendingFills() == 0 && !output.isVisible());
}

void ListWindowsTest::detailsHideRomLinesWhenAsked() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"), true);
    WorkingListWindow* output = window->WorkingList();
    // A batch from "Go!" carries the hide setting.
    QVERIFY(Deliver(output, "0x516|mspacman|Ms. Pac-Man|1981|Midway|", "", true));
    output->List()->SelectRow(0, false);

    auto readDetails = [](QAction* action) {
        std::string title, text;
        OnNextModal<TextWindow>([&](TextWindow* dialog) {
            title = dialog->windowTitle().toStdString();
            text = Child<QPlainTextEdit>(dialog, "textEdit")->toPlainText().toStdString();
            QVERIFY(!Child<QPushButton>(dialog, "saveButton")->isVisible());
            dialog->close();
        });
        action->trigger();
        WaitFor([&] { return !title.empty(); });
        return std::make_pair(title, text);
    };
    auto [title, text] = readDetails(Child<QAction>(output, "detailsAction"));
    QCOMPARE(title, std::string("Ms. Pac-Man"));
    QVERIFY(text.rfind("<machine name=\"mspacman\"", 0) == 0);
    QVERIFY(text.find("<description>Ms. Pac-Man</description>") != std::string::npos);
    QVERIFY(text.find("<rom name=") == std::string::npos);

    // "Add to your list" leaves the working list's setting alone; the full list has its own.
    ResultListWindow* fullList = window->FullList();
    QVERIFY(Deliver(fullList, "0x516|mspacman|Ms. Pac-Man|1981|Midway|", "Full list of %d ROMs", false));
    fullList->List()->SelectRow(0, false);
    auto [fullTitle, fullText] = readDetails(Child<QAction>(fullList, "detailsAction"));
    QCOMPARE(fullTitle, std::string("Ms. Pac-Man"));
    QVERIFY(fullText.find("<rom name=\"mspacman.1\"") != std::string::npos);
    int added = 0;
    QObject::connect(output, &WorkingListWindow::BatchShown, [&] { ++added; });
    Child<QAction>(fullList, "addAction")->trigger();
    QVERIFY(WaitFor([&] { return added == 1; }));
    QCOMPARE(output->EntryCount(), 1);  // the game was there already
    QVERIFY(output->HideRomNames());
}

void ListWindowsTest::detailsShowTheLatestRequestOnly() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    ResultListWindow* fullList = window->FullList();
    QVERIFY(Deliver(fullList,
                    "0x516|mspacman|Ms. Pac-Man|1981|Midway|0x109e|dkong|Donkey Kong|1981|Nintendo|",
                    "Full list of %d ROMs"));
    auto* details = fullList->findChild<DetailsView*>();
    std::vector<std::string> opened;
    QObject::connect(details, &DetailsView::Opened, [&](const std::string& text) { opened.push_back(text); });

    // A second request while the first is read takes its place.
    for (int row : {0, 1}) {
        fullList->List()->SelectRow(row, false);
        fullList->ShowDetails();
    }
    QVERIFY(WaitFor([&] { return !opened.empty(); }));
    QTest::qWait(3 * kProgressPollMs);
    QCOMPARE(opened.size(), std::size_t{1});
    QVERIFY(opened[0].rfind("<machine name=\"mspacman\"", 0) == 0);  // "Ms. Pac-Man" sorts after
    auto* text = qobject_cast<TextWindow*>(QApplication::activeModalWidget());
    QVERIFY(text != nullptr);
    QCOMPARE(text->windowTitle(), QStringLiteral("Ms. Pac-Man"));
    QPointer<TextWindow> closed(text);
    text->close();
    QVERIFY(WaitFor([&] { return closed.isNull(); }));  // it goes when closed

    // The list window closed before the text came: no details window.
    StartGate gate;
    SetJobTestHooks({[&](JobControl&) { gate.Wait(); }, {}, {}});
    fullList->ShowDetails();
    QVERIFY(details->Busy());
    fullList->close();
    gate.open = true;
    QVERIFY(WaitFor([&] { return !details->Busy(); }));
    QCOMPARE(opened.size(), std::size_t{1});
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void ListWindowsTest::formatBoxDecidesThePreviewButton() {
    AppTestEnvironment environment;
    Catalog catalog;
    WorkingListWindow output(catalog);
    auto* formats = Child<QComboBox>(&output, "formatBox");
    auto* preview = Child<QPushButton>(&output, "previewButton");
    QCOMPARE(formats->count(), kListFormatCount);
    QCOMPARE(formats->itemText(0), QStringLiteral("AdvanceMenu Lst"));
    QCOMPARE(formats->itemText(static_cast<int>(ListFormat::Mala)), QStringLiteral("MaLa Gamelist"));
    QCOMPARE(formats->itemText(kListFormatCount - 1), QStringLiteral("XML File"));
    QVERIFY(preview->isDefault());
    formats->setCurrentText(QStringLiteral("MAMEUIFX"));
    QVERIFY(preview->isEnabled());
    formats->setCurrentText(QStringLiteral("Cabrio"));
    QVERIFY(preview->isEnabled());
    formats->setCurrentText(QStringLiteral("XML File"));
    QVERIFY(!preview->isEnabled());
    formats->setCurrentText(QStringLiteral("AdvanceMenu Lst"));
    QVERIFY(!preview->isEnabled());
}

void ListWindowsTest::fortyFiveThousandRowsFillAndSortQuickly() {
    AppTestEnvironment environment;
    std::string entries;
    for (int i = 0; i < 45000; ++i) {
        const int scrambled = (i * 7919) % 45000;
        entries += "0x" + std::to_string(i) + "|rom" + std::to_string(i) + "|Game " +
                   std::to_string(scrambled) + (i % 3 == 0 ? " (set 1)" : " (US)") + "|" +
                   std::to_string(1975 + i % 40) + "|Maker " + std::to_string(i % 97) + "|";
    }
    Catalog catalog;
    FullListWindow fullList(catalog);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(Deliver(&fullList, entries, "Full list of %d ROMs"));
    const qint64 fillMs = timer.elapsed();
    QCOMPARE(fullList.windowTitle(), QStringLiteral("Full list of 45000 ROMs"));
    QCOMPARE(fullList.List()->Table().Cell(0, kNameColumn), std::string("Game 0 (set 1)"));

    timer.restart();
    fullList.List()->Sort(kManufacturerColumn, true);
    QCoreApplication::processEvents();
    fullList.List()->Sort(kNameColumn, false);
    QCoreApplication::processEvents();
    const qint64 sortMs = timer.elapsed();
    QVERIFY(fullList.List()->Table().Cell(0, kNameColumn).rfind("Game 9999 (", 0) == 0);
    qInfo("45000 rows: fill %lld ms, two sorts %lld ms", static_cast<long long>(fillMs),
          static_cast<long long>(sortMs));
    // Generous for a shared, busy machine; a fill that goes per cell or a quadratic sort does
    // not come near.
    QVERIFY(fillMs < 1000);
    QVERIFY(sortMs < 1000);
}

QTEST_MAIN(ListWindowsTest)
#include "ListWindowsTest.moc"
