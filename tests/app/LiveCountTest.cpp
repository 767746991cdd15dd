// The match count beside "Go!": what it shows is what "Go!" then lists, it follows every change
// without a stale answer, and it is prepared again only for another (or a changed) file.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <atomic>

#include "AppTestSupport.h"
#include "app/BackgroundWork.h"
#include "app/LiveCount.h"
#include "app/SettingsWindow.h"
#include "app/WorkingListWindow.h"
#include "gamedata/FileIo.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

bool CountSettled(MainWindow& window) {
    return WaitFor([&] { return window.LiveCount()->Ready() && !window.LiveCount()->Busy(); });
}

// "Go!" into an empty working list: the number of games it lists.
int GoCount(AppTestEnvironment& environment, MainWindow& window) {
    environment.messages.clear();
    int shown = 0;
    auto connection =
        QObject::connect(window.WorkingList(), &WorkingListWindow::BatchShown, [&] { ++shown; });
    Child<QPushButton>(&window, "goButton")->click();
    const bool done = WaitFor([&] { return shown > 0 || environment.HasMessage(kNoMatchesFound); });
    QObject::disconnect(connection);
    return done ? window.WorkingList()->EntryCount() : -1;
}

std::int64_t CountOf(const std::string& fixture, const std::string& text) {
    Catalog catalog;
    if (!OpenInputFile(catalog, fixture).Done()) return -2;
    return static_cast<std::int64_t>(ScanForMatches(catalog, text).size());
}

}  // namespace

class LiveCountTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void textsOfTheCount();
    void countEqualsGo_data();
    void countEqualsGo();
    void noStaleCountUnderRapidTyping();
    void preparedOncePerFile();
};

void LiveCountTest::textsOfTheCount() {
    const struct {
        std::int64_t count;
        const char* text;
    } counts[] = {{0, "0 games"},        {1, "1 game"},           {999, "999 games"},
                  {1000, "1,000 games"}, {45321, "45,321 games"}, {1234567, "1,234,567 games"}};
    for (const auto& [count, text] : counts) QCOMPARE(MatchCountText(count), QString::fromUtf8(text));
    QCOMPARE(ShortErrorText("Error, missing 2nd quote mark.\r\nThe quote mark at position 1 has no partner."),
             QStringLiteral("Error, missing 2nd quote mark."));
    QCOMPARE(ShortErrorText(
                 "Error, unknown macro @NOSUCH at position 11.\r\nThe macros of vnmacros.txt are @USA."),
             QStringLiteral("Error, unknown macro @NOSUCH at position 11."));
    QCOMPARE(ShortErrorText(kNothingToSearchFor), QString::fromUtf8(kNothingToSearchFor));
}

void LiveCountTest::countEqualsGo_data() {
    QTest::addColumn<QString>("fixture");
    QTest::newRow("MAME listing") << QString::fromStdString(AppFixture("games.xml"));
    QTest::newRow("merged file") << QString::fromStdString(AppFixture("merged.xml"));
}

// The start-up criteria, then each single change of a criterion from them (every item of a combo
// box), each in a window of its own: the count shown, then "Go!".
void LiveCountTest::countEqualsGo() {
    QFETCH(QString, fixture);
    AppTestEnvironment environment;
    int changes = 0, nonZero = 0;
    auto check = [&](const QByteArray& what, const std::function<bool(MainWindow&)>& change) {
        std::unique_ptr<MainWindow> window = OpenMainWindow(environment, fixture.toStdString());
        if (!change(*window)) return;
        QVERIFY2(CountSettled(*window), what);
        const std::int64_t shown = window->LiveCount()->Shown();
        QVERIFY2(shown >= 0, what + ": " + Child<QLabel>(window.get(), "countText")->toolTip().toUtf8());
        QVERIFY2(Child<QLabel>(window.get(), "countText")->text() == MatchCountText(shown), what);
        QVERIFY2(GoCount(environment, *window) == shown, what + " counted " + QByteArray::number(shown));
        ++changes;
        nonZero += shown > 0;
    };
    check("start-up criteria", [](MainWindow&) { return true; });
    for (const CriterionInfo& info : CriteriaControls()) {
        const int items =
            info.kind == CriterionKind::Combo ? static_cast<int>(ComboItems(info.key).size()) : 1;
        for (int item = 0; item < items; ++item) {
            check(QByteArray(info.label) + " " + QByteArray::number(item), [&](MainWindow& window) {
                QWidget* widget = window.CriterionWidget(info.key);
                if (widget == nullptr || !widget->isEnabled()) return false;
                if (auto* combo = qobject_cast<QComboBox*>(widget)) {
                    if (combo->currentIndex() == item) return false;
                    combo->setCurrentIndex(item);
                } else {
                    qobject_cast<QAbstractButton*>(widget)->click();
                }
                return true;
            });
        }
    }
    qInfo("%d criteria states compared, %d of them with matches", changes, nonZero);
    QVERIFY(changes > 20 && nonZero > 5);
}

// Each typed letter starts a count; the earlier a count starts, the longer it takes, so without
// the drop of older counts their answers would come last. Only the final text's count is shown.
void LiveCountTest::noStaleCountUnderRapidTyping() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    QVERIFY(CountSettled(*window));
    auto* find = Child<QLineEdit>(window.get(), "findEdit");
    find->clear();
    QVERIFY(CountSettled(*window));
    std::vector<QString> answers;
    QObject::connect(window->LiveCount(), &LiveMatchCount::Answered,
                     [&] { answers.push_back(Child<QLabel>(window.get(), "countText")->text()); });
    std::pair<int, int> mistake{-2, -2};
    QObject::connect(window->LiveCount(), &LiveMatchCount::MistakeAt, [&](int offset, int length) {
        mistake = {offset, length};
    });

    std::atomic<int> started{0};
    const QString typed = QStringLiteral("'Pac-Man (M");  // ends inside an unclosed quote
    SetJobTestHooks(
        {[&](JobControl&) { QThread::msleep(static_cast<unsigned long>(15 * (12 - ++started))); }, {}, {}});
    const int countsBefore = window->LiveCount()->CountsStarted();
    find->setFocus();
    for (QChar c : typed) {
        QTest::keyClicks(find, QString(c));
        QCoreApplication::processEvents();
    }
    QVERIFY(CountSettled(*window));
    QTest::qWait(200);  // time for an answer that should not come
    QCOMPARE(window->LiveCount()->CountsStarted() - countsBefore, typed.size());
    // The first line says what is wrong; the whole message is the tooltip; the quote is marked.
    QCOMPARE(answers, std::vector<QString>{QStringLiteral("Error, missing 2nd quote mark.")});
    QVERIFY(Child<QLabel>(window.get(), "countText")
                ->toolTip()
                .contains(QStringLiteral("position 1 has no partner")));
    QCOMPARE(mistake, std::make_pair(0, 1));
    QCOMPARE(window->LiveCount()->Shown(), std::int64_t{-1});

    // The closing quote: a count again, the one "Go!" finds.
    answers.clear();
    QTest::keyClicks(find, QStringLiteral("idway)'"));
    QVERIFY(CountSettled(*window));
    SetJobTestHooks({});
    QCOMPARE(window->LiveCount()->Shown(), CountOf(AppFixture("games.xml"), "'Pac-Man (Midway)'"));
    QCOMPARE(answers.back(), QStringLiteral("1 game"));
    QCOMPARE(mistake, std::make_pair(-1, 0));

    // Changes in one pass of the event loop are counted once.
    const int counts = window->LiveCount()->CountsStarted();
    for (const char* text : {"ways=4", "ways=2", "mappy | dkong"}) find->setText(QString::fromUtf8(text));
    QVERIFY(CountSettled(*window));
    QCOMPARE(window->LiveCount()->CountsStarted(), counts + 1);
    QCOMPARE(window->LiveCount()->Shown(), CountOf(AppFixture("games.xml"), "mappy | dkong"));

    // "Go!" on a mistake selects it in the text, after its message.
    find->setText(QStringLiteral("  mappy & | dkong"));
    environment.messages.clear();
    Child<QPushButton>(window.get(), "goButton")->click();
    QCOMPARE(environment.messages.size(), std::size_t{1});
    QCOMPARE(find->selectedText(), QStringLiteral("& |"));
}

// "counting..." while the records are prepared; then counts. The settings reopen the master file:
// the same unchanged file keeps its records, another or a changed one is prepared again.
void LiveCountTest::preparedOncePerFile() {
    AppTestEnvironment environment;
    std::atomic<bool> release{false};
    SetJobTestHooks({[&](JobControl&) {
                         while (!release) QThread::msleep(1);
                     },
                     {},
                     {}});
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    auto* label = Child<QLabel>(window.get(), "countText");
    QTest::qWait(50);
    QCOMPARE(label->text(), QString::fromUtf8(kCountingText));
    QVERIFY(!window->LiveCount()->Ready());
    release = true;
    QVERIFY(CountSettled(*window));
    SetJobTestHooks({});
    QCOMPARE(label->text(), QStringLiteral("8 games"));

    auto reopen = [&](const std::string& path) {
        OnNextModal<SettingsWindow>([path](SettingsWindow* settings) {
            Child<QLineEdit>(settings, "inputFileEdit")->setText(QString::fromStdString(path));
            Child<QPushButton>(settings, "setButton")->click();
        });
        Child<QPushButton>(window.get(), "settingsButton")->click();
    };
    reopen(AppFixture("games.xml"));
    QVERIFY(window->LiveCount()->Ready());  // nothing to prepare again
    QVERIFY(CountSettled(*window));
    QCOMPARE(label->text(), QStringLiteral("8 games"));

    // A copy of the file, then that copy changed: each is read again.
    const std::string copy = environment.DataFolder() + "/copy.xml";
    std::string text = FileText(AppFixture("games.xml"));
    QVERIFY(WriteFileAtomically(copy, text));
    reopen(copy);
    QVERIFY(!window->LiveCount()->Ready());
    QVERIFY(CountSettled(*window));
    const std::string clause = "<driver status=\"good\"";
    text.replace(text.find(clause), clause.size(), "<driver status=\"preliminary\"");
    QVERIFY(WriteFileAtomically(copy, text));
    reopen(copy);
    QVERIFY(!window->LiveCount()->Ready());
    QVERIFY(CountSettled(*window));
    QCOMPARE(label->text(), QStringLiteral("7 games"));
}

QTEST_MAIN(LiveCountTest)
#include "LiveCountTest.moc"
