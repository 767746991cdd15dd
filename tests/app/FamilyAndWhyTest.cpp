// One game per family in the working list (the option and its rules, remembered; after "Go!" and
// on demand; the decisions), "why" for a game from a list window and from the main window, and the
// left-out report: each compared with what the engine answers for the same text and options.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "AppTestSupport.h"
#include "app/FamilyRulesDialog.h"
#include "app/GameExplainer.h"
#include "app/LiveCount.h"
#include "app/ResultListWindows.h"
#include "app/SettingsWindow.h"
#include "app/WorkingListWindow.h"
#include "gamedata/AppPaths.h"
#include "gamedata/SettingsStore.h"
#include "search/Explanation.h"
#include "search/GameSelection.h"
#include "search/InputCheck.h"
#include "search/MatchEntry.h"
#include "search/SearchText.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

// The main window again on the settings as they are (OpenMainWindow writes them anew).
std::unique_ptr<MainWindow> ReopenMainWindow() {
    auto window = std::make_unique<MainWindow>(AppFixture("games.xml"), DisplayOptions{}, false);
    window->show();
    window->Initialise();
    return window;
}

std::vector<std::string> SortedRomNames(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> ListedRomNames(GameListWindow* window) {
    return SortedRomNames(ColumnOf(window->List(), kRomNameColumn));
}

std::string Prepared(const std::string& typed) {
    return PrepareSearchText(typed, FindDataFile("vnmacros.txt"));
}

// What the engine selects from the fixture for `typed`.
Selection EngineSelection(const std::string& typed, bool onePerFamily, const FamilyOptions& family,
                          bool leftOut = false) {
    Catalog catalog;
    if (!OpenInputFile(catalog, AppFixture("games.xml")).Done()) return {};
    SelectionRequest request;
    request.expression = Prepared(typed);
    request.onePerFamily = onePerFamily;
    request.family = family;
    request.leftOut = leftOut;
    return SelectGames(catalog, request);
}

std::vector<std::string> RomNamesOf(const std::vector<MatchEntry>& entries) {
    std::vector<std::string> names;
    for (const MatchEntry& entry : entries) names.push_back(entry.romName);
    return SortedRomNames(names);
}

// The text of the next explanation the window opens, after `ask`.
std::string NextExplanation(MainWindow& window, const std::function<void()>& ask) {
    std::string text;
    bool shown = false;
    auto connection =
        QObject::connect(window.Explainer(), &GameExplainer::Shown, [&](const std::string& shownText) {
            text = shownText;
            shown = true;
        });
    ask();
    WaitFor([&] { return shown || !window.Explainer()->Busy(); });
    WaitFor([&] { return shown; }, 200);
    QObject::disconnect(connection);
    return shown ? text : "<none>";
}

}  // namespace

class FamilyAndWhyTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void onePerFamilyAfterGoAndOnDemand();
    void rulesDialogChoiceIsRememberedAndUsed();
    void whyAndWhyNotInListsAndMainWindow();
    void leftOutReportAndFindTextSetting();
};

// The three Pac-Man sets are one family; "Go!" with the option keeps the engine's choice, the
// option survives a restart, and "Keep one per family now" on the full family keeps the same game.
void FamilyAndWhyTest::onePerFamilyAfterGoAndOnDemand() {
    AppTestEnvironment environment;
    const FamilyOptions defaults = FamilyOptions::Defaults();
    const Selection expected = EngineSelection("puckman", true, defaults);
    QCOMPARE(expected.candidates.size(), std::size_t{3});
    QCOMPARE(expected.matches.size(), std::size_t{1});
    {
        std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
        WorkingListWindow* output = window->WorkingList();
        QVERIFY(!Child<QPushButton>(output, "familyLogButton")->isEnabled());
        Child<QCheckBox>(output, "onePerFamilyBox")->click();
        QVERIFY(Settings::Load().onePerFamily);
        QVERIFY(Go(*window, QStringLiteral("puckman")));
        // The count beside "Go!" is of the matches, and says so.
        QVERIFY(WaitFor([&] { return window->LiveCount()->Shown() == 3 && !window->LiveCount()->Busy(); }));
        QCOMPARE(Child<QLabel>(window.get(), "countText")->text(),
                 MatchCountText(3) + QString::fromUtf8(kBeforeOnePerFamilyText));
        QCOMPARE(ListedRomNames(output), RomNamesOf(expected.matches));
        QCOMPARE(output->FamilyLog(), FamilyLogText(expected.families, expected.candidates, defaults));
        QVERIFY(Child<QPushButton>(output, "familyLogButton")->isEnabled());
        QVERIFY(Child<QLabel>(output, "statusText")
                    ->text()
                    .contains(QString::fromStdString(FamilySummary(expected))));
    }

    std::unique_ptr<MainWindow> window = ReopenMainWindow();
    WorkingListWindow* output = window->WorkingList();
    QVERIFY(output->OnePerFamily());  // remembered
    Child<QCheckBox>(output, "onePerFamilyBox")->click();
    QVERIFY(!Settings::Load().onePerFamily);
    QVERIFY(WaitFor([&] { return window->LiveCount()->Shown() >= 0 && !window->LiveCount()->Busy(); }));
    QCOMPARE(Child<QLabel>(window.get(), "countText")->text(), MatchCountText(window->LiveCount()->Shown()));
    QVERIFY(Go(*window, QStringLiteral("puckman")));
    QCOMPARE(ListedRomNames(output), RomNamesOf(expected.candidates));
    QVERIFY(Go(*window, QStringLiteral("mappy")));
    bool finished = false;
    QObject::connect(output, &WorkingListWindow::FamilyFinished, [&] { finished = true; });
    Child<QPushButton>(output, "keepOnePerFamilyButton")->click();
    QVERIFY(WaitFor([&] { return finished; }));
    std::vector<std::string> kept = RomNamesOf(expected.matches);
    kept.push_back("mappy");  // a family of one stays
    QCOMPARE(ListedRomNames(output), SortedRomNames(kept));
    QCOMPARE(output->EntryCount(), 2);
    QVERIFY(output->FamilyLog().find(expected.matches[0].romName) != std::string::npos);
}

// The rules dialog: a region list that does not read keeps the dialog open; OK stores the rules,
// the next window starts with them, and "Go!" chooses by them.
void FamilyAndWhyTest::rulesDialogChoiceIsRememberedAndUsed() {
    AppTestEnvironment environment;
    FamilyOptions chosen;
    {
        std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
        bool triedBadList = false;
        OnNextModal<FamilyRulesDialog>([&](FamilyRulesDialog* dialog) {
            auto* regions = Child<QLineEdit>(dialog, "familyRegionsEdit");
            regions->setText(QStringLiteral("japan,,usa"));
            Child<QPushButton>(dialog, "okButton")->click();
            triedBadList = dialog->isVisible();
            // "Midway" is the only tag of Pac-Man (Midway): with the region rule on top, the
            // clone beats the parent the default rules keep.
            regions->setText(QStringLiteral("midway, japan"));
            QListWidget* rules = dialog->RuleList();
            rules->setCurrentRow(rules->count() - 1);
            for (int i = 0; i < rules->count(); ++i) dialog->MoveCurrentRule(-1);  // the last rule on top
            rules->item(0)->setCheckState(Qt::Unchecked);
            for (int row = rules->count() - 1; row >= 0; --row) {
                if (!rules->item(row)->text().startsWith(QStringLiteral("region"))) continue;
                rules->setCurrentRow(row);
                for (int i = 0; i < row; ++i) dialog->MoveCurrentRule(-1);
            }
            Child<QPushButton>(dialog, "okButton")->click();
            chosen = dialog->Options();
        });
        environment.messages.clear();
        window->WorkingList()->EditFamilyRules();
        QVERIFY(triedBadList);
        QCOMPARE(environment.messages.size(), std::size_t{1});
        QVERIFY(environment.messages[0].text.find("japan,,usa") != std::string::npos);
        QCOMPARE(chosen.regions, (std::vector<std::string>{"midway", "japan"}));
        QCOMPARE(chosen.rules.size(), FamilyOptions::Defaults().rules.size() - 1);
        QCOMPARE(chosen.rules.front(), FamilyRule::Region);
    }
    std::unique_ptr<MainWindow> window = ReopenMainWindow();
    WorkingListWindow* output = window->WorkingList();
    QCOMPARE(output->Family().rules, chosen.rules);
    QCOMPARE(output->Family().regions, chosen.regions);
    output->SetOnePerFamily(true);
    QVERIFY(Go(*window, QStringLiteral("puckman")));
    const Selection expected = EngineSelection("puckman", true, chosen);
    QCOMPARE(ListedRomNames(output), std::vector<std::string>{"pacman"});
    QCOMPARE(RomNamesOf(EngineSelection("puckman", true, FamilyOptions::Defaults()).matches),
             std::vector<std::string>{"puckman"});
    QCOMPARE(output->FamilyLog(), FamilyLogText(expected.families, expected.candidates, chosen));
}

// From the full list, a game in the working list offers "Why is it in my list?", another "Why
// not?"; both open the engine's explanation of that record. The main window's box asks by ROM name.
void FamilyAndWhyTest::whyAndWhyNotInListsAndMainWindow() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    const std::string typed = "mappy | dkong";
    QVERIFY(Go(*window, QString::fromStdString(typed)));
    int shown = 0;
    QObject::connect(window->FullList(), &ResultListWindow::BatchShown, [&] { ++shown; });
    Child<QPushButton>(window.get(), "listAllButton")->click();
    QVERIFY(WaitFor([&] { return shown > 0; }));

    Catalog catalog;
    QVERIFY(OpenInputFile(catalog, AppFixture("games.xml")).Done());
    SortableListView* list = window->FullList()->List();
    int checked = 0;
    for (int row = 0; row < list->RowCount(); ++row) {
        const std::string romName = list->Table().Cell(row, kRomNameColumn);
        if (romName != "mappy" && romName != "galaga") continue;
        list->SelectRow(row, false);
        const bool in = romName == "mappy";
        QCOMPARE(window->FullList()->WhyText(), QString::fromUtf8(in ? kWhyInListText : kWhyNotText));
        const std::string text = NextExplanation(*window, [&] { window->FullList()->AskWhy(); });
        const GameExplanation expected = ExplainGameAt(
            catalog, *RecordKey::Parse(list->Table().Cell(row, kKeyColumn)), {Prepared(typed), typed});
        QCOMPARE(text, expected.text);
        QCOMPARE(expected.matches, in);
        ++checked;
    }
    QCOMPARE(checked, 2);

    auto* edit = Child<QLineEdit>(window.get(), "explainEdit");
    edit->setText(QStringLiteral("galaga"));
    const std::string byName = NextExplanation(*window, [&] { QTest::keyClick(edit, Qt::Key_Return); });
    QCOMPARE(byName, ExplainGame(catalog, "galaga", {Prepared(typed), typed}).text);
    QVERIFY(byName.find(kVerdictNoMatch) != std::string::npos);
    QCOMPARE(window->WorkingList()->EntryCount(), 2);  // Return asked; it did not press "Go!"

    // With one game per family ticked, the family's choice decides as it does for "Go!".
    window->WorkingList()->SetOnePerFamily(true);
    const std::string family = "puckman | pacman | pacmanx";
    Child<QLineEdit>(window.get(), "findEdit")->setText(QString::fromStdString(family));
    for (const char* game : {"puckman", "pacman", "pacmanx"}) {
        edit->setText(QString::fromUtf8(game));
        const std::string why = NextExplanation(*window, [&] { QTest::keyClick(edit, Qt::Key_Return); });
        const GameExplanation expected =
            ExplainGame(catalog, game, {Prepared(family), family, window->WorkingList()->Family()});
        QCOMPARE(why, expected.text);
        QVERIFY2(why.find("3 matching games") != std::string::npos, why.c_str());
        const std::vector<MatchEntry> kept =
            EngineSelection(family, true, window->WorkingList()->Family()).matches;
        const bool listed = std::any_of(kept.begin(), kept.end(),
                                        [&](const MatchEntry& entry) { return entry.romName == game; });
        QCOMPARE(expected.matches, listed);
    }
    window->WorkingList()->SetOnePerFamily(false);

    // A ROM name the file does not hold: the engine's message, no window.
    edit->setText(QStringLiteral("nosuchgame"));
    environment.messages.clear();
    QCOMPARE(NextExplanation(*window, [&] { Child<QPushButton>(window.get(), "explainButton")->click(); }),
             std::string("<none>"));
    QCOMPARE(environment.messages.size(), std::size_t{1});
}

// The report holds what the engine reports for the text (and, with the option, the family
// losers); "Go!" leaves its text in the settings for vantor-cli explain.
void FamilyAndWhyTest::leftOutReportAndFindTextSetting() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    const std::string typed = "puckman | mappy";
    QVERIFY(Go(*window, QString::fromStdString(typed)));
    QCOMPARE(Settings::Load().findText, typed);
    // "Set" in the settings window keeps the values it does not show.
    OnNextModal<SettingsWindow>(
        [](SettingsWindow* settings) { Child<QPushButton>(settings, "setButton")->click(); });
    Child<QPushButton>(window.get(), "settingsButton")->click();
    QCOMPARE(Settings::Load().findText, typed);
    std::size_t plainCount = 0;
    for (const bool onePerFamily : {false, true}) {
        window->WorkingList()->SetOnePerFamily(onePerFamily);
        const std::string path = environment.DataFolder() + (onePerFamily ? "/family.csv" : "/plain.csv");
        environment.fileAnswers = {path};
        bool finished = false;
        auto connection = QObject::connect(window.get(), &MainWindow::ScanFinished, [&] { finished = true; });
        Child<QPushButton>(window.get(), "leftOutButton")->click();
        QVERIFY(WaitFor([&] { return finished; }));
        QObject::disconnect(connection);
        const Selection expected = EngineSelection(typed, onePerFamily, FamilyOptions::Defaults(), true);
        QCOMPARE(FileText(path), LeftOutCsv(expected.leftOut));
        // The two Pac-Man sets the family did not keep are reported too.
        if (onePerFamily) QCOMPARE(expected.leftOut.size(), plainCount + 2);
        plainCount = expected.leftOut.size();
    }
}

QTEST_MAIN(FamilyAndWhyTest)
#include "FamilyAndWhyTest.moc"
