#include "GameListWindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "AppIcon.h"
#include "DetailsView.h"
#include "GameExplainer.h"
#include "PicturePane.h"
#include "QtUserInterface.h"
#include "SortableListView.h"
#include "gamedata/EngineError.h"
#include "gamedata/ProgressSink.h"
#include "search/OutsideTerms.h"

namespace vantor::app {

namespace {
// Holding an arrow key down starts no load for each game passed.
constexpr int kPictureDelayMs = 60;
}  // namespace

std::vector<ListTable::Row> BuildGameRows(std::vector<MatchEntry> entries, bool sortByName,
                                          ProgressSink& progress) {
    const auto total = static_cast<std::int64_t>(entries.size());
    ListTable table;
    table.SetColumns(kGameListColumns);
    table.ReplaceRows(GameRowsFromEntries(std::move(entries)));
    // Building the rows is most of the work, sorting them the rest.
    progress.Progress(total * 6 / 10, total);
    if (progress.CancelRequested()) throw EngineError(kCancelled, ErrorKind::Cancelled);
    if (sortByName) table.Sort(kNameColumn, true);
    progress.Progress(total, total);
    return table.TakeRows();
}

GameListWindow::GameListWindow(const Catalog& catalog, const QString& objectName, QAction* command,
                               QWidget* parent)
    : QDialog(parent), catalog_(catalog) {
    setObjectName(objectName);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(AppIcon());
    setSizeGripEnabled(true);

    list_ = new SortableListView(this);
    list_->setObjectName(QStringLiteral("gameList"));
    list_->SetColumns(kGameListColumns);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);

    command_ = command;
    command_->setParent(this);
    detailsAction_ = new QAction(QStringLiteral("View Details"), this);
    detailsAction_->setObjectName(QStringLiteral("detailsAction"));
    connect(detailsAction_, &QAction::triggered, this, &GameListWindow::ShowDetails);
    whyAction_ = new QAction(QString::fromUtf8(kWhyNotText), this);
    whyAction_->setObjectName(QStringLiteral("whyAction"));
    connect(whyAction_, &QAction::triggered, this, &GameListWindow::AskWhy);
    connect(list_, &QWidget::customContextMenuRequested, this, [this, command](const QPoint& pos) {
        whyAction_->setText(WhyText());
        whyAction_->setEnabled(list_->FirstSelectedRow() >= 0);
        QMenu menu(this);
        menu.addAction(command);
        menu.addAction(detailsAction_);
        menu.addAction(whyAction_);
        menu.exec(list_->viewport()->mapToGlobal(pos));
    });
    connect(list_, &QAbstractItemView::doubleClicked, this, &GameListWindow::ShowDetails);
    connect(list_, &SortableListView::FirstCharTyped, this, &GameListWindow::JumpToFirstChar);
    details_ = new DetailsView(this, catalog_);

    pictures_ = new PicturePane(this);
    pictureDelay_ = new QTimer(this);
    pictureDelay_->setSingleShot(true);
    pictureDelay_->setInterval(kPictureDelayMs);
    connect(pictureDelay_, &QTimer::timeout, this, &GameListWindow::ShowSelectedPictures);
    auditMark_ = new QLabel(this);
    auditMark_->setObjectName(QStringLiteral("auditMark"));
    auditMark_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auditMark_->setWordWrap(true);
    auditMark_->hide();
    connect(pictureDelay_, &QTimer::timeout, this, &GameListWindow::ShowAuditMark);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, pictureDelay_,
            qOverload<>(&QTimer::start));
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, pictureDelay_,
            qOverload<>(&QTimer::start));
    resize(pictures_->Configured() ? 680 + pictures_->sizeHint().width() : 680, 520);
}

QWidget* GameListWindow::ListWithPictures() {
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    // The list, with the selected game's ROM audit status under it when an audit is kept.
    auto* listSide = new QWidget(splitter);
    auto* listLayout = new QVBoxLayout(listSide);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(list_, 1);
    listLayout->addWidget(auditMark_);
    splitter->addWidget(listSide);
    splitter->addWidget(pictures_);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    return splitter;
}

void GameListWindow::ShowSelectedPictures() {
    // The current row when it is selected (the one clicked or arrowed to last), else the first.
    const QModelIndex current = list_->currentIndex();
    const int row = current.isValid() && list_->selectionModel()->isRowSelected(current.row())
                        ? current.row()
                        : list_->FirstSelectedRow();
    const std::string key = row >= 0 ? list_->Table().Cell(row, kKeyColumn) : std::string();
    if (key == pictureKey_ && !key.empty()) return;
    pictureKey_ = key;
    if (key.empty()) {
        pictures_->ShowNoGame();
    } else if (KeysCurrent()) {
        pictures_->ShowGameAt(SnapshotOf(catalog_), key, list_->Table().Cell(row, kRomNameColumn));
    } else {
        // The key would read another file's record: the game's own pictures only.
        pictures_->ShowGame(list_->Table().Cell(row, kRomNameColumn), {});
    }
}

void GameListWindow::ShowAuditMark() {
    const int row = list_->FirstSelectedRow();
    if (!catalog_.outsideFacts || row < 0) {
        auditMark_->hide();
        return;
    }
    const std::string romName = list_->Table().Cell(row, kRomNameColumn);
    auditMark_->setText(QStringLiteral("ROM audit of ") + FromBytes(romName) + QStringLiteral(": ") +
                        FromBytes(catalog_.outsideFacts->Describe(kAuditTermKind, romName)));
    auditMark_->show();
}

GameListWindow::~GameListWindow() = default;

void GameListWindow::ShowDetails() {
    const int row = list_->FirstSelectedRow();
    if (row < 0) return;
    const ListTable& table = list_->Table();
    details_->Show(table.Cell(row, kNameColumn), table.Cell(row, kRomNameColumn), hideRomNames_);
}

void GameListWindow::SetWorkingListCheck(std::function<bool(const std::string& key)> inWorkingList) {
    inWorkingList_ = std::move(inWorkingList);
}

QString GameListWindow::WhyText() const {
    const int row = list_->FirstSelectedRow();
    const bool inList = row >= 0 && inWorkingList_ && inWorkingList_(list_->Table().Cell(row, kKeyColumn));
    return QString::fromUtf8(inList ? kWhyInListText : kWhyNotText);
}

void GameListWindow::AskWhy() {
    const int row = list_->FirstSelectedRow();
    if (row >= 0) Q_EMIT WhyRequested(list_->Table().Cell(row, kKeyColumn));
}

void GameListWindow::JumpToFirstChar(char c) {
    // Pressed again, the same letter goes on to the next game that begins with it.
    const int row = list_->Table().FindNextChar(c, list_->currentIndex().row());
    if (row >= 0) list_->JumpToRow(row);
}

bool GameListWindow::KeysCurrent() const {
    return list_->RowCount() == 0 || keysFrom_ == catalog_.file.Identity();
}

std::vector<std::string> GameListWindow::RomNames() const {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(list_->RowCount()));
    for (const ListTable::Row& row : list_->Table().Rows()) names.push_back(row[kRomNameColumn]);
    return names;
}

void GameListWindow::FitNameColumn() {
    // Wide enough for the names, but the other columns stay in view.
    const int least = list_->ColumnSpecWidth(kNameColumn);
    // The window, not the list: a window not shown yet has not laid its list out.
    const int most = std::max(least, width() * 3 / 5);
    list_->setColumnWidth(kNameColumn, std::clamp(list_->WidestText(kNameColumn), least, most));
}

}  // namespace vantor::app
