// The main window's answers about its "-find:" text beyond the matches: why one game is (not)
// matched, and the report of every game it leaves out.
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "GameExplainer.h"
#include "LiveCount.h"
#include "MainWindow.h"
#include "QtUserInterface.h"
#include "WorkingListWindow.h"
#include "gamedata/AppPaths.h"
#include "gamedata/FileIo.h"
#include "gamedata/TextUtil.h"
#include "search/SearchText.h"

namespace vantor::app {

namespace {

// Return in the ROM name box asks "why" instead of pressing the window's default button, "Go!".
class ReturnKeyFilter : public QObject {
  public:
    ReturnKeyFilter(QObject* parent, std::function<void()> onReturn)
        : QObject(parent), onReturn_(std::move(onReturn)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                onReturn_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> onReturn_;
};

}  // namespace

QLayout* MainWindow::BuildExplainRow() {
    auto* label =
        new QLabel(QStringLiteral("Is a game in the list of the \"-find:\" text?  ROM name:"), this);
    explainEdit_ = new QLineEdit(this);
    explainEdit_->setObjectName(QStringLiteral("explainEdit"));
    explainEdit_->setPlaceholderText(QStringLiteral("pacman"));
    explainEdit_->setMaximumWidth(160);
    explainEdit_->installEventFilter(new ReturnKeyFilter(this, [this] { OnExplain(); }));
    label->setBuddy(explainEdit_);
    auto* why = new QPushButton(QStringLiteral("Why?"), this);
    why->setObjectName(QStringLiteral("explainButton"));
    why->setAutoDefault(false);
    why->setToolTip(QStringLiteral("Each term of the \"-find:\" text, true or false for this game"));
    auto* leftOut = new QPushButton(QStringLiteral("Save left-out report"), this);
    leftOut->setObjectName(QStringLiteral("leftOutButton"));
    leftOut->setAutoDefault(false);
    leftOut->setToolTip(
        QStringLiteral("Every game the \"-find:\" text leaves out, with the first clause that excluded it"));
    connect(why, &QPushButton::clicked, this, &MainWindow::OnExplain);
    connect(leftOut, &QPushButton::clicked, this, &MainWindow::OnSaveLeftOutReport);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(explainEdit_);
    row->addWidget(why);
    row->addStretch(1);
    row->addWidget(leftOut);
    return row;
}

QWidget* MainWindow::CriterionWidget(Criterion key) const {
    const auto index = static_cast<std::size_t>(key);
    return index < criteria_.size() ? criteria_[index] : nullptr;
}

const FamilyOptions* MainWindow::FamilyOfGo() const {
    return output_->OnePerFamily() ? &output_->Family() : nullptr;
}

void MainWindow::OnExplain() {
    std::string romName = ToBytes(explainEdit_->text());
    Trim(romName);
    if (romName.empty() || !goButton_->isEnabled()) return;
    explainer_->Explain(this, GameExplainer::Game::ByRomName, romName, ToBytes(findEdit_->text()),
                        FamilyOfGo());
}

void MainWindow::OnSaveLeftOutReport() {
    if (scanRunning_ || !goButton_->isEnabled()) return;
    std::string typed = ToBytes(findEdit_->text());
    Trim(typed);
    SelectionRequest request;
    try {
        request.expression = PrepareSearchText(typed, FindDataFile("vnmacros.txt"));
    } catch (const EngineError& error) {
        ShowError(error);
        return;
    }
    std::string path;
    if (!AskForFile(this, FileQuestion::Save, "Save left-out report as...", "CSV files (*.csv)|*.csv", "csv",
                    path))
        return;
    request.leftOut = true;
    request.onePerFamily = output_->OnePerFamily();
    request.family = output_->Family();
    const Catalog& catalog = catalog_;
    RunScan(
        "Scanning input file for the games left out...",
        [&catalog, request](ProgressSink& sink) { return SelectGames(catalog, request, &sink); },
        [this, path](Selection found) {
            if (!WriteFileAtomically(path, LeftOutCsv(found.leftOut))) {
                ShowMessageBox(this, MessageIcon::Exclamation,
                               "Cannot write the left-out report " + path + ".");
                return;
            }
            status_->setText(FromBytes(
                "Left out: " + MatchCountText(static_cast<std::int64_t>(found.leftOut.size())).toStdString() +
                "."));
        });
}

}  // namespace vantor::app
