// Start-up, the first run with the settings window, the input check and the criteria of the main
// window.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "AppTestSupport.h"
#include "app/AboutBox.h"
#include "app/Application.h"
#include "app/BackgroundWork.h"
#include "app/SettingsWindow.h"
#include "app/WelcomeDialog.h"
#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"

using namespace vantor;
using namespace vantor::app;
using namespace vantor::test;

namespace {

const char* kNoInputFile = "Please hit the settings button to select an input file.";
const char* kOpenError = "Open or Read error on input file!?\r\nCheck your settings.";

QString FindText(MainWindow& window) {
    return Child<QLineEdit>(&window, "findEdit")->text();
}

Qt::CheckState Check(MainWindow& window, const char* name) {
    return Child<QCheckBox>(&window, name)->checkState();
}

bool Enabled(MainWindow& window, const char* name) {
    return Child<QWidget>(&window, name)->isEnabled();
}

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void firstRunQuitEndsWithoutMainWindow();
    void firstRunOpensSettingsBeforeTheInputCheck();
    void initialCriteriaBuildTheFindText();
    void clicksGoThroughTheCriteriaModel();
    void inputCheckAdaptsToTheFile();
    void smallestMainWindowCutsAndOverlapsNothing();
    void mainWindowLayoutHoldsStill();
};

void StartupTest::firstRunQuitEndsWithoutMainWindow() {
    AppTestEnvironment environment;
    QVERIFY(!FileExists(SettingsFilePath()));
    bool welcomed = false;
    OnNextModal<WelcomeDialog>([&](WelcomeDialog* welcome) {
        welcomed = welcome->windowTitle() == QStringLiteral("Vantor");
        QCOMPARE(Child<QPushButton>(welcome, "nextButton")->text(), QStringLiteral("Next >>>"));
        Child<QPushButton>(welcome, "quitButton")->click();  // "Quit"
    });
    std::unique_ptr<MainWindow> window = CreateMainWindow();
    QVERIFY(welcomed);
    QVERIFY(window == nullptr);
    QVERIFY(!FileExists(SettingsFilePath()));
    // The per-user data folder is the working directory from the start.
    QCOMPARE(QDir::currentPath(),
             QDir(QString::fromStdString(environment.DataFolder() + "/Vantor")).canonicalPath());
}

void StartupTest::firstRunOpensSettingsBeforeTheInputCheck() {
    AppTestEnvironment environment;
    OnNextModal<WelcomeDialog>(
        [](WelcomeDialog* welcome) { Child<QPushButton>(welcome, "nextButton")->click(); });
    std::unique_ptr<MainWindow> window = CreateMainWindow();
    QVERIFY(window != nullptr);
    QVERIFY(window->FirstRun());
    // One version: the title's is the About box's.
    QVERIFY(AboutText().startsWith(window->windowTitle() + QLatin1Char('\n')));
    QVERIFY(window->windowTitle().startsWith(QStringLiteral("Vantor ")));

    // The settings come first, with nothing filled in; leaving them leaves no input file.
    bool settingsShown = false;
    OnNextModal<SettingsWindow>([&](SettingsWindow* settings) {
        settingsShown = environment.messages.empty();
        QVERIFY(Child<QLineEdit>(settings, "inputFileEdit")->text().isEmpty());
        QVERIFY(!Child<QPushButton>(settings, "setButton")->isEnabled());
        Child<QPushButton>(settings, "cancelButton")->click();
    });
    window->show();
    window->Initialise();
    QVERIFY(settingsShown);
    QCOMPARE(environment.MessageTexts(), std::vector<std::string>{kNoInputFile});
    QCOMPARE(environment.messages[0].icon, MessageIcon::Stop);
    QVERIFY(!Enabled(*window, "goButton"));  // "Go!"
    QVERIFY(!FileExists(SettingsFilePath()));

    // "Settings and Tools": browse to the master file, tick both options, "Set".
    environment.messages.clear();
    environment.fileAnswers = {AppFixture("games.xml")};
    OnNextModal<SettingsWindow>([](SettingsWindow* settings) {
        Child<QPushButton>(settings, "inputBrowseButton")->click();
        Child<QCheckBox>(settings, "hideRomNamesBox")->setChecked(true);
        Child<QCheckBox>(settings, "hideTagsBox")->setChecked(true);
        QVERIFY(Child<QPushButton>(settings, "setButton")->isEnabled());
        Child<QPushButton>(settings, "setButton")->click();
    });
    Child<QPushButton>(window.get(), "settingsButton")->click();
    QCOMPARE(environment.fileQuestions, std::vector<std::string>{"Point me to your xml file please..."});
    QVERIFY(Enabled(*window, "goButton"));
    QCOMPARE(window->InputXmlPath(), AppFixture("games.xml"));
    QVERIFY(window->HideRomNames());
    Settings stored = Settings::Load();
    QVERIFY(stored.keyExists);
    QCOMPARE(stored.inputXmlFile, AppFixture("games.xml"));
    QVERIFY(stored.hideRomNames);
    QVERIFY(stored.hideTags);
    // A listing, not a merged file: the note about categories.
    QCOMPARE(environment.messages.size(), size_t{1});
    QCOMPARE(environment.messages[0].icon, MessageIcon::Exclamation);

    // The next start has a settings store: no welcome, no first run.
    std::unique_ptr<MainWindow> second = CreateMainWindow();
    QVERIFY(second != nullptr);
    QVERIFY(!second->FirstRun());
    QCOMPARE(second->InputXmlPath(), AppFixture("games.xml"));
}

void StartupTest::initialCriteriaBuildTheFindText() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    // Upright, at most two buttons, 2-way, 4-way or buttons only and no other control, playable,
    // every category but BIOS; in the words of MAME's own listing (joysticks by their ways).
    const QString text = FindText(*window);
    QVERIFY2(text.startsWith(QStringLiteral("!buttons>2 & (ways=2 | ways=1 | ways=vertical2 | ways=4 | ")),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral(") & !(ways=8 | 'ways=5 (half8)' | ")));
    QVERIFY(text.endsWith(QStringLiteral(" & (!status=preliminary & !isbios=yes) &  !(isbios=yes)")));
    QVERIFY(Child<QRadioButton>(window.get(), "criterion:cabinet=upright")->isChecked());
    QVERIFY(!Child<QRadioButton>(window.get(), "criterion:cabinet=cocktail")->isChecked());
    QCOMPARE(Child<QComboBox>(window.get(), "criterion:buttons")->currentText(), QStringLiteral("2"));
    QCOMPARE(Child<QComboBox>(window.get(), "criterion:region")->currentText(), QStringLiteral("Any"));
    QVERIFY(!Enabled(*window, "criterion:not"));  // "Not" waits for a region
    QCOMPARE(Check(*window, "criterion:2-way"), Qt::Checked);
    QCOMPARE(Check(*window, "criterion:8-way"), Qt::Unchecked);
    QVERIFY(!Enabled(*window, "criterion:triggerstick"));  // Triggerstick: only controls.xml knows it
    QCOMPARE(Check(*window, "criterion:playable"), Qt::Checked);
    QCOMPARE(Check(*window, "criterion:bios"), Qt::Unchecked);  // BIOS
    QCOMPARE(Check(*window, "criterion:breakout"), Qt::PartiallyChecked);
    QVERIFY(Child<QCheckBox>(window.get(), "criterion:breakout")->isTristate());
    QCOMPARE(Check(*window, "criterion:1-plyr"), Qt::PartiallyChecked);
    QVERIFY(!Enabled(*window, "criterion:breakout"));  // no categories without a merged file
    QVERIFY(!Enabled(*window, "criterion:1-plyr"));    // no players without <nplayers>
}

void StartupTest::clicksGoThroughTheCriteriaModel() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("merged.xml"));
    auto* eightWay = Child<QCheckBox>(window.get(), "criterion:8-way");
    // Unticked, then ticked, grey, unticked again: the window's own cycle, not Qt's.
    QCOMPARE(eightWay->checkState(), Qt::Unchecked);
    QVERIFY(
        FindText(*window).contains(QStringLiteral("(joy2way | joy4way | !'control type=') & !(joy8way | ")));
    eightWay->click();
    QCOMPARE(eightWay->checkState(), Qt::Checked);
    QVERIFY(FindText(*window).contains(QStringLiteral("(joy2way | joy4way | joy8way | !'control type=')")));
    eightWay->click();
    QCOMPARE(eightWay->checkState(), Qt::PartiallyChecked);
    QVERIFY(FindText(*window).contains(QStringLiteral("!(49-way | ")));

    // Cocktail and Upright exclude each other; the cabinet clause comes first.
    Child<QRadioButton>(window.get(), "criterion:cabinet=cocktail")->click();
    QVERIFY(!Child<QRadioButton>(window.get(), "criterion:cabinet=upright")->isChecked());
    QVERIFY(FindText(*window).startsWith(
        QStringLiteral("('dipvalue name=Cocktail' | 'confsetting name=Cocktail') & ")));

    // A region enables "Not"; a hand edit survives until the next change of a criterion.
    Child<QComboBox>(window.get(), "criterion:region")->setCurrentIndex(2);
    QVERIFY(Enabled(*window, "criterion:not"));
    Child<QCheckBox>(window.get(), "criterion:not")->click();
    QVERIFY(FindText(*window).contains(QStringLiteral("& !@JAPAN &")));
    Child<QLineEdit>(window.get(), "findEdit")->setText(QStringLiteral("pacman"));
    QCOMPARE(FindText(*window), QStringLiteral("pacman"));

    // "Any/None" unticked: no categories at all; the merged file has them enabled.
    auto* anyNone = Child<QPushButton>(window.get(), "criterion:any-none");
    QVERIFY(anyNone->isEnabled() && anyNone->isChecked());
    anyNone->click();
    QCOMPARE(Check(*window, "criterion:breakout"), Qt::Unchecked);
    QVERIFY(FindText(*window).contains(QStringLiteral("!('ball & paddle' | isbios=yes | breakout")));

    // Zero buttons disables "or less".
    Child<QComboBox>(window.get(), "criterion:buttons")->setCurrentIndex(1);
    QVERIFY(!Enabled(*window, "criterion:or-less"));
    QVERIFY(FindText(*window).contains(QStringLiteral("!buttons>0 &")));
}

void StartupTest::inputCheckAdaptsToTheFile() {
    AppTestEnvironment environment;
    {
        std::unique_ptr<MainWindow> window = OpenMainWindow(environment, "/nonexistent/master.xml");
        QCOMPARE(environment.MessageTexts(), std::vector<std::string>{kOpenError});
        QCOMPARE(environment.messages[0].icon, MessageIcon::Stop);
        QVERIFY(!Enabled(*window, "goButton"));
    }
    environment.messages.clear();
    {
        std::unique_ptr<MainWindow> window = OpenMainWindow(environment, "");
        QCOMPARE(environment.MessageTexts(), std::vector<std::string>{kNoInputFile});
        QVERIFY(!Enabled(*window, "goButton"));
    }
    environment.messages.clear();
    {
        // A merged file with player data: no note, categories and players usable.
        std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("merged.xml"));
        QVERIFY(environment.messages.empty());
        QVERIFY(Enabled(*window, "goButton"));
        QVERIFY(Enabled(*window, "criterion:breakout"));
        QVERIFY(Enabled(*window, "criterion:1-plyr"));
        // It says nothing of the emulation status: Playable is off and adds nothing.
        QVERIFY(!Enabled(*window, "criterion:playable"));
        QVERIFY(!FindText(*window).contains(QStringLiteral("status=")));
    }
}

void StartupTest::smallestMainWindowCutsAndOverlapsNothing() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    window->resize(1, 1);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCoreApplication::processEvents();
    QVERIFY(window->width() >= window->minimumSizeHint().width());
    QVERIFY(window->height() >= window->minimumSizeHint().height());
    // Every text shown whole, and no two controls of one group on top of each other.
    const QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (!widget->isVisible() || widget->isWindow()) continue;
        if (auto* push = qobject_cast<QPushButton*>(widget)) {
            // A push button's own smallest size has room to spare ("H" is kept narrow).
            QVERIFY2(push->width() >= push->fontMetrics().horizontalAdvance(push->text()) + 8,
                     qPrintable(push->text()));
        } else if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
                   qobject_cast<QComboBox*>(widget)) {
            QVERIFY2(widget->width() >= widget->minimumSizeHint().width() &&
                         widget->height() >= widget->minimumSizeHint().height(),
                     qPrintable(widget->objectName()));
        }
        for (QWidget* other : widgets) {
            if (other == widget || other->parentWidget() != widget->parentWidget() || !other->isVisible() ||
                other->isWindow())
                continue;
            QVERIFY2(!widget->geometry().intersects(other->geometry()),
                     qPrintable(widget->objectName() + QStringLiteral(" / ") + other->objectName()));
        }
    }
}

void StartupTest::mainWindowLayoutHoldsStill() {
    AppTestEnvironment environment;
    std::unique_ptr<MainWindow> window = OpenMainWindow(environment, AppFixture("games.xml"));
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    // Tab from the "-find:" text reaches Go!, and the focus shows on it.
    auto* go = Child<QPushButton>(window.get(), "goButton");
    const QImage unfocused = go->grab().toImage();
    Child<QLineEdit>(window.get(), "findEdit")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), go);
    QVERIFY(go->grab().toImage() != unfocused);

    // A note beside the buttons ("Cancelled.") moves none of them.
    auto* about = Child<QPushButton>(window.get(), "aboutButton");
    const QRect before = about->geometry();
    SetJobTestHooks({[](JobControl& control) { control.RequestCancel(); }, {}, {}});
    go->click();
    QVERIFY(WaitFor([&] { return !window->ScanRunning(); }));
    SetJobTestHooks({});
    QCOMPARE(window->StatusText(), QStringLiteral("Cancelled."));
    QCoreApplication::processEvents();
    QCOMPARE(about->geometry(), before);

    // Height to spare (a full screen) goes to the criteria: no empty band above "-find:".
    window->resize(window->width(), window->height() + 400);
    QCoreApplication::processEvents();
    QGroupBox* categories = nullptr;
    for (QGroupBox* group : window->findChildren<QGroupBox*>())
        if (group->title() == QStringLiteral("Categories")) categories = group;
    QVERIFY(categories != nullptr);
    const int gap =
        Child<QLineEdit>(window.get(), "findEdit")->geometry().top() - categories->geometry().bottom();
    QVERIFY2(gap < 30, qPrintable(QString::number(gap)));
}

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
