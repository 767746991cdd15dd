// "One game per family" in the working-list window: the option and its rules (kept in the
// settings), the choice over the whole list on a worker, and the decision log.
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <unordered_set>

#include "FamilyRulesDialog.h"
#include "ProgressDialog.h"
#include "QtUserInterface.h"
#include "SettingsWindow.h"
#include "SortableListView.h"
#include "TextWindow.h"
#include "WorkingListWindow.h"
#include "gamedata/SettingsStore.h"

namespace vantor::app {

namespace {

// Stores values in the settings at once; says so when they cannot be written.
void StoreSettings(QWidget* parent, const std::vector<std::pair<std::string, std::string>>& values) {
    SettingsStore store;
    if (!store.Open(true) || !store.SetTexts(values))
        ShowMessageBox(parent, MessageIcon::Exclamation, SettingsWindow::SettingsNotSavedMessage());
}

}  // namespace

QLayout* WorkingListWindow::BuildFamilyRow() {
    const Settings settings = Settings::Load();
    family_ = StoredFamilyOptions(settings.familyRules, settings.familyRegions);

    onePerFamilyBox_ = new QCheckBox(QString::fromUtf8(kFamilyRulesTitle), this);
    onePerFamilyBox_->setObjectName(QStringLiteral("onePerFamilyBox"));
    onePerFamilyBox_->setToolTip(
        QStringLiteral("After \"Go!\", keep one game of each parent and its clones"));
    onePerFamilyBox_->setChecked(settings.onePerFamily);
    auto makeButton = [this](const char* name, const char* text) {
        auto* button = new QPushButton(QString::fromUtf8(text), this);
        button->setObjectName(QString::fromUtf8(name));
        button->setAutoDefault(false);
        return button;
    };
    QPushButton* rules = makeButton("familyRulesButton", "Rules...");
    QPushButton* keep = makeButton("keepOnePerFamilyButton", "Keep one per family now");
    keep->setToolTip(QStringLiteral("One game of each family of the whole list, by the rules"));
    familyLogButton_ = makeButton("familyLogButton", "Decisions");
    familyLogButton_->setToolTip(QStringLiteral("Which game each family kept, and why the others lost"));
    familyLogButton_->setEnabled(false);
    connect(onePerFamilyBox_, &QCheckBox::toggled, this, [this](bool on) {
        StoreSettings(this, {{kOnePerFamilyValue, on ? "1" : "0"}});
        Q_EMIT OnePerFamilyToggled(on);
    });
    connect(rules, &QPushButton::clicked, this, &WorkingListWindow::EditFamilyRules);
    connect(keep, &QPushButton::clicked, this, &WorkingListWindow::KeepOnePerFamily);
    connect(familyLogButton_, &QPushButton::clicked, this, &WorkingListWindow::ShowFamilyLog);

    auto* row = new QHBoxLayout;
    row->addWidget(onePerFamilyBox_);
    row->addWidget(rules);
    row->addWidget(keep);
    row->addWidget(familyLogButton_);
    row->addStretch(1);
    return row;
}

bool WorkingListWindow::Contains(const std::string& key) const {
    for (const ListTable::Row& row : list_->Table().Rows()) {
        if (row[kKeyColumn] == key) return true;
    }
    return false;
}

bool WorkingListWindow::OnePerFamily() const {
    return onePerFamilyBox_->isChecked();
}

void WorkingListWindow::SetOnePerFamily(bool on) {
    onePerFamilyBox_->setChecked(on);
}

void WorkingListWindow::EditFamilyRules() {
    FamilyRulesDialog dialog(family_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    family_ = dialog.Options();
    StoreSettings(this, {{kFamilyRulesValue, FamilyRulesText(family_.rules)},
                         {kFamilyRegionsValue, RegionListText(family_.regions)}});
}

void WorkingListWindow::SetFamilyLog(std::string log) {
    familyLog_ = std::move(log);
    familyLogButton_->setEnabled(!familyLog_.empty());
}

void WorkingListWindow::ShowFamilyLog() {
    if (familyLog_.empty()) return;
    auto* window = new TextWindow("One game per family: decisions", familyLog_, true, this);
    window->setObjectName(QStringLiteral("familyLogWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void WorkingListWindow::KeepOnePerFamily() {
    if (familyJob_.Running() || saveRunning_ || list_->RowCount() == 0) return;
    std::vector<int> all(static_cast<std::size_t>(list_->RowCount()));
    for (int row = 0; row < list_->RowCount(); ++row) all[static_cast<std::size_t>(row)] = row;
    familyProgress_ = std::make_unique<ProgressDialog>(this);
    familyProgress_->SetUnit(ProgressUnit::Games);
    familyProgress_->SetCancellable(true);
    connect(familyProgress_.get(), &ProgressDialog::CancelRequested, this, [this] { familyJob_.Cancel(); });
    familyProgress_->Show(true, 1000, QStringLiteral("Choosing one game per family..."), QString());
    familyJob_ = RunThenDeliver(
        this,
        [catalog = SnapshotOf(catalog_), entries = EntriesFromGameRows(list_->Table(), all),
         options = family_](JobControl& control) {
            if (!catalog->file.IsOpen()) throw EngineError(kInputFileUnreadable);
            return vantor::KeepOnePerFamily(*catalog, entries, options, &control);
        },
        [this, options = family_](Outcome<Selection> outcome) {
            OnFamilyKept(std::move(outcome), options);
            Q_EMIT FamilyFinished();
        },
        [this](std::int64_t done, std::int64_t total) {
            if (familyProgress_) familyProgress_->SetProgress(done, total);
        });
}

void WorkingListWindow::OnFamilyKept(Outcome<Selection> outcome, const FamilyOptions& options) {
    familyProgress_.reset();
    if (outcome.Cancelled()) {
        status_->setText(QString::fromUtf8(kCancelled));
        return;
    }
    if (!outcome.Done()) {
        ShowOutcomeMessages(this, outcome);
        return;
    }
    const Selection& selection = outcome.value;
    // Only the games that lost go: rows added or deleted meanwhile stay as they are.
    std::unordered_set<std::string> lost;
    for (const FamilyDecision& decision : selection.families.decisions) {
        for (const FamilyLoss& loss : decision.losses) lost.insert(selection.candidates[loss.game].key);
    }
    std::vector<int> rows;
    for (int row = 0; row < list_->RowCount(); ++row) {
        if (lost.count(list_->Table().Cell(row, kKeyColumn)) != 0) rows.push_back(row);
    }
    const int deleted = list_->Model()->DeleteRows(rows);
    entryCount_ -= deleted;
    if (deleted > 0) ++changes_;
    UpdateTitle("Your working list has %d ROMs");
    SetFamilyLog(FamilyLogText(selection.families, selection.candidates, options));
    status_->setText(FromBytes(FamilySummary(selection)));
}

}  // namespace vantor::app
