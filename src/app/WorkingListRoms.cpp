// The working list's ROM jobs: its games copied out of the ROM folders, and the fixdat of what
// they lack.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <utility>

#include "QtUserInterface.h"
#include "SortableListView.h"
#include "WorkingListWindow.h"
#include "gamedata/FileIo.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TextUtil.h"
#include "romset/AuditStore.h"
#include "romset/Fixdat.h"

namespace vantor::app {

namespace {

// The layout and whether incomplete games go too; false when cancelled.
bool AskExportOptions(QWidget* parent, ExportRequest& request) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("copyRomsDialog"));
    dialog.setWindowTitle(QStringLiteral("Copy ROMs"));
    auto* layout = new QComboBox(&dialog);
    layout->setObjectName(QStringLiteral("exportLayoutBox"));
    layout->addItem(QStringLiteral("As they are (the archives found)"), static_cast<int>(ExportLayout::AsIs));
    layout->addItem(QStringLiteral("Split (clones hold only their own files)"),
                    static_cast<int>(ExportLayout::Split));
    layout->addItem(QStringLiteral("Non-merged (every game complete in its own zip)"),
                    static_cast<int>(ExportLayout::NonMerged));
    auto* incomplete =
        new QCheckBox(QStringLiteral("Include incomplete games (what is found of them)"), &dialog);
    incomplete->setObjectName(QStringLiteral("includeIncompleteBox"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout(&dialog);
    form->addRow(new QLabel(QStringLiteral("Copy to ") + FromBytes(request.target), &dialog));
    form->addRow(QStringLiteral("Layout:"), layout);
    form->addRow(incomplete);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    request.layout = static_cast<ExportLayout>(layout->currentData().toInt());
    request.includeIncomplete = incomplete->isChecked();
    return true;
}

std::size_t ConflictCount(const ExportPlan& plan) {
    return static_cast<std::size_t>(
        std::count_if(plan.files.begin(), plan.files.end(),
                      [](const ExportFile& file) { return file.action == ExportFile::Action::Conflict; }));
}

}  // namespace

template <typename Result>
void WorkingListWindow::RunRomJob(const char* progressText, ProgressUnit unit, bool writes,
                                  std::function<Result(JobControl&)> job, std::function<void(Result)> done) {
    // The master file stays open while the job reads it: the job counts as a running save.
    saveRunning_ = true;
    status_->clear();
    romProgress_ = ShowJobProgress(this, QString::fromUtf8(progressText), unit, [this] { romJob_.Cancel(); });
    auto deliver = [this, done = std::move(done)](Outcome<Result> outcome) {
        delete romProgress_;
        saveRunning_ = false;
        if (outcome.Cancelled()) {
            status_->setText(QString::fromUtf8(kCancelled));
        } else if (!outcome.Done()) {
            ShowOutcomeMessages(this, outcome);
        } else {
            done(std::move(outcome.value));
        }
        if (!romJob_.Running()) Q_EMIT RomJobFinished();
    };
    auto progress = [this](std::int64_t doneCount, std::int64_t total) {
        if (romProgress_) romProgress_->SetProgress(doneCount, total);
    };
    auto texts = [this](const std::string& first, const std::string& second) {
        if (romProgress_) romProgress_->SetTexts(FromBytes(first), FromBytes(second));
    };
    // A job that writes files tells what it wrote even when Cancel came late; one that only
    // reads (the plan) is cancelled then, so that no copy starts after Cancel.
    romJob_ = writes ? RunWriteThenDeliver(this, std::move(job), std::move(deliver), progress, texts)
                     : RunThenDeliver(this, std::move(job), std::move(deliver), progress, texts);
}

bool WorkingListWindow::RomJobPositions(std::vector<std::int64_t>& positions) {
    if (saveRunning_ || entryCount_ == 0) return false;
    if (!KeysCurrent()) {
        ShowMessageBox(this, MessageIcon::Exclamation, kStaleWorkingList);
        return false;
    }
    const ListTable& table = list_->Table();
    positions.clear();
    positions.reserve(static_cast<std::size_t>(table.RowCount()));
    for (int row = 0; row < table.RowCount(); ++row)
        positions.push_back(ParseRecordKey(table.Cell(row, kKeyColumn)));
    std::sort(positions.begin(), positions.end());
    return true;
}

void WorkingListWindow::CopyRoms() {
    ExportRequest request;
    if (!RomJobPositions(request.audit.positions)) return;
    const Settings settings = Settings::Load();
    request.audit.allGames = false;
    request.audit.folders = {settings.romFolders, settings.chdFolder};
    request.audit.keepFolder = DefaultAuditFolder();
    if (request.audit.folders.romFolders.empty()) {
        ShowMessageBox(this, MessageIcon::Exclamation, kNoRomFoldersMessage);
        return;
    }
    if (!AskForFile(this, FileQuestion::Folder, "Copy ROMs to...", "", "", request.target)) return;
    if (!AskExportOptions(this, request)) return;
    RunRomJob<ExportPlan>(
        "Auditing ROM sets...", ProgressUnit::Games, false,
        [catalog = SnapshotOf(catalog_), master = catalog_.file.Path(), request](JobControl& control) {
            return PlanExport(*catalog, master, request, &control);
        },
        [this, request](ExportPlan plan) mutable {
            const std::size_t conflicts = ConflictCount(plan);
            if (conflicts > 0 &&
                ShowMessageBox(this, MessageIcon::Exclamation,
                               std::to_string(conflicts) + (conflicts == 1 ? " file" : " files") + " in " +
                                   request.target +
                                   " already hold something else under the same name.\r\nReplace them?",
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
                request.replace = true;
            }
            StartExport(std::make_shared<const ExportPlan>(std::move(plan)), std::move(request));
        });
}

void WorkingListWindow::StartExport(std::shared_ptr<const ExportPlan> plan, ExportRequest request) {
    struct Exported {
        std::shared_ptr<const ExportPlan> plan;
        ExportResult result;
    };
    RunRomJob<Exported>(
        "Copying ROM sets...", ProgressUnit::Bytes, true,
        [catalog = SnapshotOf(catalog_), master = catalog_.file.Path(), plan, request](JobControl& control) {
            Exported exported{plan, {}};
            // The plan kept the files in the way; replacing them needs a plan that writes them.
            if (request.replace)
                exported.plan =
                    std::make_shared<const ExportPlan>(PlanExport(*catalog, master, request, &control));
            exported.result = RunExport(*exported.plan, request, &control);
            return exported;
        },
        [this, target = request.target](Exported exported) {
            std::string text =
                "Copied to " + target + ": " + ExportSummary(*exported.plan, &exported.result) + ".";
            constexpr std::size_t kFailuresShown = 10;
            const std::vector<std::string>& failures = exported.result.failures;
            for (std::size_t i = 0; i < failures.size() && i < kFailuresShown; ++i)
                text += "\r\n" + failures[i];
            if (failures.size() > kFailuresShown)
                text += "\r\nand " + std::to_string(failures.size() - kFailuresShown) + " more.";
            ShowMessageBox(this, failures.empty() ? MessageIcon::Information : MessageIcon::Exclamation,
                           text);
        });
}

void WorkingListWindow::SaveFixdat() {
    AuditRequest request;
    if (!RomJobPositions(request.positions)) return;
    const Settings settings = Settings::Load();
    request.allGames = false;
    request.folders = {settings.romFolders, settings.chdFolder};
    request.keepFolder = DefaultAuditFolder();
    if (request.folders.romFolders.empty()) {
        ShowMessageBox(this, MessageIcon::Exclamation, kNoRomFoldersMessage);
        return;
    }
    std::string path;
    if (!AskForFile(this, FileQuestion::Save, "Save fixdat...", "Datafiles (*.dat)|*.dat", "dat", path))
        return;
    RunRomJob<std::string>(
        "Auditing ROM sets...", ProgressUnit::Games, true,
        [catalog = SnapshotOf(catalog_), master = catalog_.file.Path(), request, path](JobControl& control) {
            const FileAudit audit = AuditFiles(*catalog, master, request, &control);
            std::string problem;
            if (!WriteFileAtomically(path, FixdatXml(audit, "Vantor fixdat"), &problem))
                throw EngineError(problem);
            return AuditSummary(audit.audits);
        },
        [this, path](std::string summary) {
            ShowMessageBox(this, MessageIcon::Information,
                           summary + ".\r\nThe fixdat of what they lack is saved in " + path + ".");
        });
}

}  // namespace vantor::app
