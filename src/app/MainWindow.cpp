#include "MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QVBoxLayout>
#include <algorithm>
#include <unordered_map>

#include "AboutBox.h"
#include "AppIcon.h"
#include "GameExplainer.h"
#include "LiveCount.h"
#include "ProgressDialog.h"
#include "QtUserInterface.h"
#include "ResultListWindows.h"
#include "SearchDialogs.h"
#include "SettingsWindow.h"
#include "WorkingListWindow.h"
#include "gamedata/AppPaths.h"
#include "gamedata/BuildInfo.h"
#include "gamedata/FileIo.h"
#include "gamedata/MasterFile.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TextUtil.h"
#include "romset/AuditRun.h"
#include "romset/AuditStore.h"
#include "search/InputCheck.h"
#include "search/SearchDriver.h"
#include "search/SearchText.h"
#include "utilities/ListLoader.h"

namespace vantor::app {

namespace {

constexpr const char* kFindKey =
    "Key:  & = AND    | = OR    ! = NOT    _=Space character    'any grouped text'";
constexpr const char* kTriStateHint = "Check all that apply.\nA grey tick means don't care.";
constexpr const char* kCategoriesHint =
    "Check all that you want in your list.\nA grey tick means don't care.";

Qt::CheckState ToQt(CheckState state) {
    switch (state) {
        case CheckState::Checked:
            return Qt::Checked;
        case CheckState::Indeterminate:
            return Qt::PartiallyChecked;
        case CheckState::Unchecked:
            break;
    }
    return Qt::Unchecked;
}

// The default button is drawn framed whether or not it has the focus, so Tab seemed to skip it:
// this one draws the focus frame on top.
class DefaultButton : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        if (!hasFocus()) return;
        QStyleOptionButton button;
        initStyleOption(&button);
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        frame.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &button, this);
        QStylePainter painter(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
    }
};

}  // namespace

QString MainWindowTitle() {
    return QStringLiteral("Vantor ") + QString::fromLatin1(ThisBuild().version);
}

QString CriterionObjectName(const CriterionInfo& info) {
    switch (info.key) {
        case Criterion::Upright:
            return QStringLiteral("criterion:cabinet=upright");
        case Criterion::Cocktail:
            return QStringLiteral("criterion:cabinet=cocktail");
        default:
            return QStringLiteral("criterion:") + QString::fromUtf8(info.settingName);
    }
}

MainWindow::MainWindow(std::string inputXmlPath, DisplayOptions display, bool firstRun, QWidget* parent)
    : QDialog(parent), inputXmlPath_(std::move(inputXmlPath)), firstRun_(firstRun) {
    catalog_.display = display;
    RegisterMetaTypes();
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(MainWindowTitle());
    setWindowIcon(AppIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    BuildWindow();
    model_.SetChangeListener([this](bool rebuilt) { OnCriteriaChanged(rebuilt); });
    SyncCriteriaWidgets();

    fullList_ = std::make_unique<FullListWindow>(catalog_);
    output_ = std::make_unique<WorkingListWindow>(catalog_);
    search_ = std::make_unique<SearchResultsWindow>(catalog_);
    connect(this, &MainWindow::EntriesForWorkingList, output_.get(), &WorkingListWindow::ReceiveEntries,
            Qt::QueuedConnection);
    connect(this, &MainWindow::EntriesForFullList, fullList_.get(), &ResultListWindow::ReceiveEntries,
            Qt::QueuedConnection);
    connect(this, &MainWindow::EntriesForSearchResults, search_.get(), &ResultListWindow::ReceiveEntries,
            Qt::QueuedConnection);
    for (ResultListWindow* window : {fullList_.get(), search_.get()}) {
        connect(window, &ResultListWindow::EntriesForWorkingList, output_.get(),
                &WorkingListWindow::ReceiveEntries, Qt::QueuedConnection);
    }
    // A full list whose rows were never built is not there to be shown again.
    connect(fullList_.get(), &ResultListWindow::FillCancelled, this, [this] {
        fullListReady_ = false;
        status_->setText(QString::fromUtf8(kCancelled));
    });
    connect(this, &MainWindow::AuditFinished, this, [this] {
        for (GameListWindow* window :
             std::initializer_list<GameListWindow*>{fullList_.get(), search_.get(), output_.get()})
            window->ShowAuditMark();
    });
    connect(search_.get(), &ResultListWindow::FillCancelled, this,
            [this] { status_->setText(QString::fromUtf8(kCancelled)); });

    explainer_ = new GameExplainer(catalog_, this);
    for (GameListWindow* window :
         std::initializer_list<GameListWindow*>{fullList_.get(), search_.get(), output_.get()}) {
        connect(window, &GameListWindow::WhyRequested, this, [this, window](const std::string& key) {
            // A key of another file would explain another game.
            if (!window->KeysCurrent()) {
                ShowMessageBox(window, MessageIcon::Exclamation, kStaleWorkingList);
                return;
            }
            explainer_->Explain(window, GameExplainer::Game::ByRecordKey, key, ToBytes(findEdit_->text()),
                                FamilyOfGo());
        });
    }
    for (ResultListWindow* window : {fullList_.get(), search_.get()})
        window->SetWorkingListCheck([this](const std::string& key) { return output_->Contains(key); });
    liveCount_->SetOnePerFamily(output_->OnePerFamily());
    connect(output_.get(), &WorkingListWindow::OnePerFamilyToggled, liveCount_,
            &LiveMatchCount::SetOnePerFamily);
}

MainWindow::~MainWindow() {
    model_.SetChangeListener({});
    // A running scan is stopped and waited for: no worker outlives the window.
    scan_.Drop();
    scan_.WaitForWorker();
    liveCount_->StopReading();
}

void MainWindow::BuildWindow() {
    auto* layout = new QVBoxLayout(this);
    // Extra height goes to the criteria, whose rows spread: no empty band opens above "-find:".
    layout->addLayout(BuildCriteria(), 1);
    layout->addSpacing(4);
    layout->addLayout(BuildFindRows());
    layout->addSpacing(4);
    layout->addLayout(BuildButtonRow());
    layout->addLayout(BuildExplainRow());
    // Tab goes from the text to the button that searches it.
    setTabOrder(findEdit_, goButton_);
    // Wide enough for the initial "-find:" text.
    resize(std::max(980, sizeHint().width()), sizeHint().height());
}

QLayout* MainWindow::BuildCriteria() {
    // The small groups side by side on top, the long lists of tick boxes below them.
    auto* small = new QHBoxLayout;
    small->addWidget(BuildGroup(CriteriaGroup::Cabinet, QStringLiteral("Cabinet"), nullptr, 1), 1);
    small->addWidget(BuildGroup(CriteriaGroup::Orientation, QStringLiteral("Orientation"), nullptr, 1), 1);
    small->addWidget(BuildGroup(CriteriaGroup::Buttons, QStringLiteral("Buttons"), nullptr, 1), 1);
    small->addWidget(BuildGroup(CriteriaGroup::Region, QStringLiteral("Region"), nullptr, 1), 1);
    small->addWidget(BuildGroup(CriteriaGroup::Misc, QStringLiteral("Misc"), nullptr, 1), 1);

    auto* lists = new QHBoxLayout;
    lists->addWidget(BuildGroup(CriteriaGroup::Controls, QStringLiteral("Controls"), kTriStateHint, 4), 4);
    lists->addWidget(BuildGroup(CriteriaGroup::Players, QStringLiteral("Players"), kTriStateHint, 2), 2);

    auto* criteria = new QVBoxLayout;
    criteria->addLayout(small);
    criteria->addLayout(lists, 1);
    criteria->addWidget(
        BuildGroup(CriteriaGroup::Categories, QStringLiteral("Categories"), kCategoriesHint, 6), 1);
    return criteria;
}

QLayout* MainWindow::BuildFindRows() {
    auto* findLabel = new QLabel(QStringLiteral("-find:"), this);
    findEdit_ = new QLineEdit(this);
    findEdit_->setObjectName(QStringLiteral("findEdit"));
    findLabel->setBuddy(findEdit_);
    auto* history = new QPushButton(QStringLiteral("H"), this);
    history->setObjectName(QStringLiteral("historyButton"));
    history->setAutoDefault(false);
    history->setToolTip(QStringLiteral("Search History"));
    history->setFixedWidth(history->sizeHint().height() + 8);
    connect(history, &QPushButton::clicked, this, &MainWindow::OnHistoryButton);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findLabel);
    findRow->addWidget(findEdit_, 1);
    findRow->addWidget(history);
    auto* key = new QLabel(QString::fromUtf8(kFindKey), this);
    key->setObjectName(QStringLiteral("findKey"));
    key->setIndent(findLabel->sizeHint().width() + 6);
    auto* rows = new QVBoxLayout;
    rows->addLayout(findRow);
    rows->addWidget(key);
    return rows;
}

QLayout* MainWindow::BuildButtonRow() {
    goButton_ = new DefaultButton(QStringLiteral("Go!"), this);
    goButton_->setObjectName(QStringLiteral("goButton"));
    goButton_->setDefault(true);
    auto makeButton = [this](const char* name, const char* text) {
        auto* button = new QPushButton(QString::fromUtf8(text), this);
        button->setObjectName(QString::fromUtf8(name));
        button->setAutoDefault(false);
        return button;
    };
    QPushButton* listAll = listAllButton_ = makeButton("listAllButton", "List all ROMs");
    QPushButton* romSearch = romSearchButton_ = makeButton("romSearchButton", "ROM Search");
    QPushButton* settings = makeButton("settingsButton", "Settings and Tools");
    QPushButton* about = makeButton("aboutButton", "About");
    QPushButton* audit = makeButton("auditRomsButton", "Audit ROMs");
    auditAction_ = new QAction(QStringLiteral("Audit ROMs"), this);
    auditAction_->setObjectName(QStringLiteral("auditRomsAction"));
    auditAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    auditAction_->setToolTip(QStringLiteral(
        "Check the games' ROM sets in the ROM folders of the settings, as MAME's own audit does"));
    addAction(auditAction_);
    audit->setToolTip(auditAction_->toolTip() + QStringLiteral(" (Ctrl+U)"));
    connect(audit, &QPushButton::clicked, auditAction_, &QAction::trigger);
    connect(auditAction_, &QAction::triggered, this, &MainWindow::OnAuditRoms);
    connect(auditAction_, &QAction::enabledChanged, audit, &QPushButton::setEnabled);
    for (QPushButton* button : {goButton_, listAll, romSearch}) button->setMinimumWidth(110);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusText"));
    // Room for its note from the start: a note that comes or goes moves no button.
    status_->setFixedWidth(status_->fontMetrics().horizontalAdvance(QString::fromUtf8(kCancelled)) + 8);
    countText_ = new CountLabel(this);
    countText_->setObjectName(QStringLiteral("countText"));
    liveCount_ = new LiveMatchCount(countText_, this);
    connect(findEdit_, &QLineEdit::textChanged, this,
            [this](const QString& text) { liveCount_->Count(ToBytes(text)); });
    connect(liveCount_, &LiveMatchCount::MistakeAt, this,
            [this](int offset, int length) { MarkMistake(findEdit_, offset, length); });
    connect(goButton_, &QPushButton::clicked, this, &MainWindow::OnGo);
    connect(listAll, &QPushButton::clicked, this, &MainWindow::OnListAllRoms);
    connect(romSearch, &QPushButton::clicked, this, &MainWindow::OnRomSearch);
    connect(settings, &QPushButton::clicked, this, &MainWindow::OpenSettings);
    connect(about, &QPushButton::clicked, this, [this] { ShowAboutBox(this); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(goButton_);
    buttons->addWidget(countText_, 1);
    buttons->addWidget(listAll);
    buttons->addWidget(romSearch);
    buttons->addWidget(audit);
    buttons->addSpacing(8);
    buttons->addWidget(status_);
    buttons->addWidget(about);
    buttons->addWidget(settings);
    return buttons;
}

QGroupBox* MainWindow::BuildGroup(CriteriaGroup group, const QString& title, const char* hint, int columns) {
    auto* box = new QGroupBox(title, this);
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(2);
    if (hint != nullptr) {
        auto* label = new QLabel(QString::fromUtf8(hint), box);
        label->setObjectName(QStringLiteral("hint"));
        // The hint keeps its height: height to spare goes to the rows of tick boxes.
        label->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
        layout->addWidget(label);
        layout->addSpacing(2);
    }
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(2);
    layout->addLayout(grid, 1);
    int cell = 0;
    QWidget* anyNone = nullptr;
    for (const CriterionInfo& info : CriteriaControls()) {
        if (info.group != group) continue;
        QWidget* widget = MakeCriterionWidget(info);
        widget->setParent(box);
        if (info.key == Criterion::AnyNone) {
            anyNone = widget;  // below the category boxes
            continue;
        }
        if (info.kind == CriterionKind::Combo) {
            // The group's title names the combo box; it takes a row of its own.
            grid->addWidget(widget, cell / columns, cell % columns, 1, columns, Qt::AlignLeft);
            cell += columns;
            continue;
        }
        // Height the window gains spreads the rows evenly.
        widget->setSizePolicy(widget->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
        grid->addWidget(widget, cell / columns, cell % columns);
        ++cell;
    }
    for (int row = 0; row < grid->rowCount(); ++row) grid->setRowStretch(row, 1);
    if (anyNone != nullptr) {
        auto* row = new QHBoxLayout;
        row->addWidget(anyNone);
        row->addStretch(1);
        layout->addLayout(row);
    }
    return box;
}

QWidget* MainWindow::MakeCriterionWidget(const CriterionInfo& info) {
    const QString label = QString::fromUtf8(info.label);
    QWidget* widget = nullptr;
    switch (info.kind) {
        case CriterionKind::TriState:
        case CriterionKind::TwoState: {
            if (info.key == Criterion::AnyNone) {
                auto* push = new QPushButton(label);  // the push-like tick box
                push->setCheckable(true);
                push->setAutoDefault(false);
                widget = push;
            } else {
                auto* box = new QCheckBox(label);
                box->setTristate(info.kind == CriterionKind::TriState);
                widget = box;
            }
            break;
        }
        case CriterionKind::Radio: {
            auto* radio = new QRadioButton(label);
            radio->setAutoExclusive(false);  // the model unticks the other one
            widget = radio;
            break;
        }
        case CriterionKind::Combo: {
            auto* combo = new QComboBox;
            for (const std::string& item : ComboItems(info.key)) combo->addItem(FromBytes(item));
            combo->setMaxVisibleItems(18);
            connect(combo, &QComboBox::currentIndexChanged, this, [this, key = info.key](int index) {
                if (syncing_ || index == model_.ComboIndex(key)) return;
                if (!model_.SetComboIndex(key, index)) SyncCriteriaWidgets();
            });
            widget = combo;
            break;
        }
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        // The model decides the new state (three-state boxes go unticked, ticked, grey) and every
        // widget is set from it again.
        connect(button, &QAbstractButton::clicked, this, [this, key = info.key] {
            if (syncing_) return;
            if (!model_.Click(key)) SyncCriteriaWidgets();
        });
    }
    widget->setObjectName(CriterionObjectName(info));
    const auto index = static_cast<std::size_t>(info.key);
    if (criteria_.size() <= index) criteria_.resize(index + 1, nullptr);
    criteria_[index] = widget;
    return widget;
}

void MainWindow::SyncCriteriaWidgets() {
    syncing_ = true;
    for (const CriterionInfo& info : CriteriaControls()) {
        const auto index = static_cast<std::size_t>(info.key);
        QWidget* widget = index < criteria_.size() ? criteria_[index] : nullptr;
        if (widget == nullptr) continue;
        widget->setEnabled(model_.IsEnabled(info.key));
        if (info.key == Criterion::RunnableOnly) {
            // Why it is off, where the user looks for it.
            widget->setToolTip(model_.AuditKept()
                                   ? QStringLiteral("Only games whose sets the last ROM audit found good or "
                                                    "best available")
                                   : QString::fromUtf8(kRunnableOnlyOffNote) +
                                         QStringLiteral(" (\"Audit ROMs\")."));
        }
        const CheckState state = model_.Check(info.key);
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            box->setCheckState(ToQt(state));
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setChecked(state == CheckState::Checked);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            combo->setCurrentIndex(model_.ComboIndex(info.key));
        }
    }
    syncing_ = false;
}

void MainWindow::OnCriteriaChanged(bool findTextRebuilt) {
    SyncCriteriaWidgets();
    if (findTextRebuilt) SetFindText(model_.FindText());
}

void MainWindow::SetFindText(const std::string& text) {
    findEdit_->setText(FromBytes(text));
    findEdit_->setCursorPosition(0);  // the start of a long expression matters most
}

void MainWindow::Initialise() {
    if (initialised_) return;
    initialised_ = true;
    if (firstRun_) {
        OpenSettings();
    } else {
        OpenInputFile();
    }
    model_.ApplyInitialState();
    fullListReady_ = false;
    LoadSearchHistory(history_);
}

void MainWindow::OpenSettings() {
    // The settings reopen the master file, which a running scan or save is reading.
    if (scanRunning_ || (output_ && output_->SaveRunning())) return;
    SettingsWindow dialog(inputXmlPath_, this);
    dialog.exec();
    // Taken over whatever the dialog returned.
    inputXmlPath_ = dialog.InputXmlPath();
    catalog_.display = {dialog.HideTags(), dialog.HideRomNames()};
    liveCount_->StopReading();
    catalog_.file.Close();
    OpenInputFile();
    FollowInputFile();
}

void MainWindow::OpenInputFile() {
    const Outcome<InputCheck> check = vantor::OpenInputFile(catalog_, inputXmlPath_);
    fullListReady_ = false;
    // Without a master file there is nothing to scan: the three searches wait for one.
    for (QPushButton* button : {goButton_, listAllButton_, romSearchButton_})
        button->setEnabled(check.Done());
    auditAction_->setEnabled(check.Done());
    // The records are prepared while the user reads the notes.
    if (check.Done()) {
        liveCount_->Prepare(catalog_);
    } else {
        liveCount_->Clear();
    }
    // The notes on a file are told once: reopening it (Settings, then Cancel) tells nothing new.
    const FileIdentity& opened = catalog_.file.Identity();
    const bool noted =
        check.Done() && std::find(notedFiles_.begin(), notedFiles_.end(), opened) != notedFiles_.end();
    if (!noted) {
        ShowOutcomeMessages(this, check);
        if (check.Done()) notedFiles_.push_back(opened);
    }
    const std::string wordsBefore = model_.ComposeSearchCommand();
    model_.ApplyInputCheck(check);
    if (check.Done()) TakeKeptAudit();
    FollowCriteriaWords(wordsBefore);
}

void MainWindow::FollowCriteriaWords(const std::string& textBefore) {
    // The boxes now ask in the words of the file just opened; the text follows them, unless the
    // user wrote it by hand and wants to keep it.
    if (model_.ComposeSearchCommand() == textBefore) return;
    const std::string shown = ToBytes(findEdit_->text());
    const bool handEdited = !shown.empty() && shown != model_.FindText();
    if (handEdited && ShowMessageBox(this, MessageIcon::Exclamation, kRebuildFindTextQuestion,
                                     QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    model_.BuildSearchCommand();
}

void MainWindow::FollowInputFile() {
    // Keys are positions in one file: lists made from another are carried over by ROM name, or
    // cleared. The full list is of the old file whatever is chosen.
    if (!fullList_->KeysCurrent()) fullList_->Clear();
    const bool listStale = !output_->KeysCurrent();
    if (!catalog_.file.IsOpen() || (!listStale && search_->KeysCurrent())) return;
    bool carry = true;
    if (listStale && ShowMessageBox(this, MessageIcon::Exclamation, CarryOverQuestion(output_->EntryCount()),
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::No) {
        // "No" clears it, after the question every discarded list gets; keeping it means carrying it.
        carry = !output_->ConfirmDiscard();
        if (!carry) output_->ClearAndHide();
    }
    // Search results nobody looks at are not worth a scan.
    if (!carry || !search_->isVisible()) search_->Clear();
    if (output_->KeysCurrent() && search_->KeysCurrent()) return;
    std::vector<std::string> names = output_->RomNames();
    for (std::string& name : search_->RomNames()) names.push_back(std::move(name));
    const CatalogSnapshot catalog = SnapshotOf(catalog_);
    RunScan(
        "Finding your list's games in the new input file...",
        [catalog, names](ProgressSink& sink) {
            Selection selection;
            selection.matches = FindGamesByRomName(*catalog, names, &sink).entries;
            return selection;
        },
        [this](Selection found) { CarryListsOver(found.matches); });
}

void MainWindow::CarryListsOver(const std::vector<MatchEntry>& found) {
    std::unordered_map<std::string, const MatchEntry*> byName;
    for (const MatchEntry& entry : found) byName.emplace(entry.romName, &entry);
    // Taken from the rows as they are now: rows deleted meanwhile stay deleted.
    auto gamesOf = [&](const GameListWindow& window, std::vector<std::string>& missing) {
        std::vector<MatchEntry> games;
        for (const std::string& name : window.RomNames()) {
            auto game = byName.find(name);
            if (game == byName.end()) {
                missing.push_back(name);
            } else {
                games.push_back(*game->second);
            }
        }
        return games;
    };
    std::vector<std::string> missing;
    if (!search_->KeysCurrent()) search_->CarryOver(gamesOf(*search_, missing));
    if (output_->KeysCurrent()) return;
    missing.clear();
    std::vector<MatchEntry> games = gamesOf(*output_, missing);
    output_->CarryOver(std::move(games), std::move(missing));
}

std::string CarryOverQuestion(int count) {
    return "Your working list of " + std::to_string(count) +
           " ROMs was made from another input file.\r\nCarry it over to this one? Its games are found "
           "again by ROM name; No clears the list.";
}

void MainWindow::ShowError(const EngineError& error) {
    ShowMessageBox(this, error.Icon(), error.Text());
}

QString MainWindow::StatusText() const {
    return status_->text();
}

template <typename Result>
void MainWindow::RunBehindProgress(const char* progressText, ProgressUnit unit,
                                   std::function<Result(ProgressSink&)> job,
                                   std::function<void(Result)> done) {
    scanRunning_ = true;
    ++scanCount_;
    status_->clear();
    progress_ = ShowJobProgress(this, QString::fromUtf8(progressText), unit, [this] { scan_.Cancel(); });
    scan_ = RunThenDeliver(
        this, [job = std::move(job)](JobControl& control) { return job(control); },
        [this, found = std::move(done)](Outcome<Result> outcome) {
            delete progress_;
            progress_ = nullptr;
            scanRunning_ = false;
            if (outcome.Cancelled()) {
                status_->setText(QString::fromUtf8(kCancelled));
            } else if (!outcome.Done()) {
                ShowOutcomeMessages(this, outcome);
            } else {
                found(std::move(outcome.value));
            }
            Q_EMIT ScanFinished();
        },
        [this](std::int64_t done, std::int64_t total) {
            if (progress_ != nullptr) progress_->SetProgress(done, total);
        });
}

void MainWindow::RunScan(const char* progressText, std::function<Selection(ProgressSink&)> scan,
                         std::function<void(Selection)> found) {
    RunBehindProgress<Selection>(progressText, ProgressUnit::Bytes, std::move(scan), std::move(found));
}

void MainWindow::TakeKeptAudit() {
    AttachKeptAudit(catalog_);
    model_.SetAuditKept(catalog_.outsideFacts != nullptr);
}

void MainWindow::OnAuditRoms() {
    if (scanRunning_ || !catalog_.file.IsOpen() || (output_ && output_->SaveRunning())) return;
    const Settings settings = Settings::Load();
    AuditRequest request;
    request.folders = {settings.romFolders, settings.chdFolder};
    request.keepFolder = DefaultAuditFolder();
    if (request.folders.romFolders.empty()) {
        ShowMessageBox(this, MessageIcon::Exclamation, kNoRomFoldersMessage);
        return;
    }
    const CatalogSnapshot catalog = SnapshotOf(catalog_);
    const std::string master = inputXmlPath_;
    RunBehindProgress<AuditRunResult>(
        "Auditing ROM sets...", ProgressUnit::Games,
        [catalog, master, request](ProgressSink& sink) {
            return RunRomAudit(*catalog, master, request, &sink);
        },
        [this](AuditRunResult result) {
            TakeKeptAudit();
            liveCount_->Prepare(catalog_);
            std::string text = AuditSummary(result.games) + ".";
            if (!result.kept) text += "\r\nThe audit could not be kept in " + DefaultAuditFolder() + ".";
            ShowMessageBox(this, result.kept ? MessageIcon::Information : MessageIcon::Exclamation, text);
            Q_EMIT AuditFinished();
        });
}

void MainWindow::OnGo() {
    if (scanRunning_ || !goButton_->isEnabled()) return;
    // The history keeps the text as typed (macros unexpanded), once the search has run.
    const std::string asTyped = ToBytes(findEdit_->text());
    std::string typed = asTyped;
    Trim(typed);
    std::string searchText;
    try {
        searchText = PrepareSearchText(asTyped, FindDataFile("vnmacros.txt"));
    } catch (const EngineError& error) {
        ShowError(error);
        // The mistake's place, selected in the text (positions count what was typed).
        if (error.Where())
            SelectMistake(findEdit_, static_cast<int>(error.Where()->offset),
                          static_cast<int>(error.Where()->length));
        return;
    }
    // vantor-cli explain explains the text of the last search by default. Only a store that
    // exists is written: without one there is no input file to search either.
    SettingsStore store;
    if (store.Open(false)) (void)store.SetText(kFindTextValue, typed);
    SelectionRequest request;
    request.expression = searchText;
    request.onePerFamily = output_->OnePerFamily();
    request.family = output_->Family();
    const CatalogSnapshot catalog = SnapshotOf(catalog_);
    RunScan(
        "Scanning input file for matches...",
        [catalog, request](ProgressSink& sink) {
            if (request.onePerFamily) return SelectGames(*catalog, request, &sink);
            Selection selection;
            selection.matches = ScanForMatches(*catalog, request.expression, &sink);
            return selection;
        },
        [this, typed, request](Selection found) {
            PushSearchHistory(history_, typed);
            HandOver handOver;
            if (request.onePerFamily) {
                output_->SetFamilyLog(FamilyLogText(found.families, found.candidates, request.family));
                handOver.note = FamilySummary(found);
            }
            if (found.matches.empty()) {
                ShowMessageBox(this, MessageIcon::Information, kNoMatchesFound);
                return;
            }
            handOver.entries = std::move(found.matches);
            handOver.hideRomNames = catalog_.display.hideRomNames;
            Q_EMIT EntriesForWorkingList(handOver);
        });
}

void MainWindow::OnListAllRoms() {
    if (scanRunning_ || !listAllButton_->isEnabled()) return;
    if (fullListReady_) {
        // Built already: the window shows the list it holds.
        HandOver handOver;
        handOver.setsHideRomNames = false;
        Q_EMIT EntriesForFullList(handOver);
        return;
    }
    const CatalogSnapshot catalog = SnapshotOf(catalog_);
    RunScan(
        "Generating Full List. This could take a minute or two...",
        [catalog](ProgressSink& sink) {
            Selection selection;
            selection.matches = ScanForMatches(*catalog, kListAllExpression, &sink);
            return selection;
        },
        [this](Selection found) {
            HandOver handOver;
            handOver.entries = std::move(found.matches);
            handOver.titleFormat = "Full list of %d ROMs";
            handOver.hideRomNames = catalog_.display.hideRomNames;
            Q_EMIT EntriesForFullList(handOver);
            fullListReady_ = true;
        });
}

void MainWindow::OnRomSearch() {
    if (scanRunning_ || !romSearchButton_->isEnabled()) return;
    RomSearchDialog dialog(previousRomSearch_, this);
    dialog.exec();  // after Cancel the text it opened with is searched again
    std::string text = dialog.Text();
    if (text.empty()) return;
    previousRomSearch_ = text;
    const CatalogSnapshot catalog = SnapshotOf(catalog_);
    RunScan(
        "Searching...",
        [catalog, text](ProgressSink& sink) {
            Selection selection;
            selection.matches = RomSearch(*catalog, text, &sink);
            return selection;
        },
        [this](Selection found) {
            if (found.matches.empty()) {
                ShowMessageBox(this, MessageIcon::Information, kNoMatchesFound);
                return;
            }
            HandOver handOver;
            handOver.entries = std::move(found.matches);
            handOver.titleFormat = "Found %d ROMs";
            handOver.hideRomNames = catalog_.display.hideRomNames;
            handOver.sortByName = false;
            Q_EMIT EntriesForSearchResults(handOver);
        });
}

void MainWindow::OnHistoryButton() {
    SearchHistoryDialog dialog(history_.entries(), this);
    dialog.exec();
    if (dialog.Chosen()) SetFindText(dialog.ChosenText());
    history_.SetEntries(dialog.Entries());
}

void MainWindow::reject() {
    // Escape does not end the program: only the close box does.
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (scanRunning_ || (output_ && output_->SaveRunning())) {
        event->ignore();
        return;
    }
    // Quitting would lose a working list that was never saved.
    if (!closed_ && !output_->ConfirmDiscard()) {
        event->ignore();
        return;
    }
    if (!closed_) {
        closed_ = true;
        output_->ClearAndHide();
        fullList_->hide();
        search_->hide();
        liveCount_->StopReading();
        catalog_.file.Close();
        ShowOutcomeMessages(this, SaveSearchHistory(history_));
    }
    event->accept();
    Q_EMIT Closed();
}

}  // namespace vantor::app
