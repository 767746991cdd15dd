#include "OutputWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcon.h"
#include "DetailsView.h"
#include "QtUserInterface.h"
#include "SortableListCtrl.h"

namespace vantor::app {

const QStringList& ListFormatNames() {
    static const QStringList names = {QStringLiteral("AdvanceMenu Lst"),
                                      QStringLiteral("Atomic FE"),
                                      QStringLiteral("Attract Mode"),
                                      QStringLiteral("Batch File"),
                                      QStringLiteral("Cabrio"),
                                      QStringLiteral("CSV File"),
                                      QStringLiteral("HyperSpin"),
                                      QStringLiteral("Khameleon"),
                                      QStringLiteral("MaLa Gamelist"),
                                      QStringLiteral("MAMEUIFX"),
                                      QStringLiteral("MAMEWah"),
                                      QStringLiteral("Maximus Arcade"),
                                      QStringLiteral("mGalaxy"),
                                      QStringLiteral("MultiFE"),
                                      QStringLiteral("ROM descriptions only"),
                                      QStringLiteral("ROM names only"),
                                      QStringLiteral("XML File")};
    return names;
}

CVNOutput::CVNOutput(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("outputDlg"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(AppIcon());
    setSizeGripEnabled(true);

    list_ = new SortableListCtrl(this);
    list_->setObjectName(QStringLiteral("id1062"));
    list_->SetColumns(kGameListColumns);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);

    formatBox_ = new QComboBox(this);
    formatBox_->setObjectName(QStringLiteral("id1063"));
    formatBox_->addItems(ListFormatNames());
    formatBox_->setCurrentIndex(0);
    saveButton_ = new QPushButton(QStringLiteral("Save List to file"), this);
    saveButton_->setObjectName(QStringLiteral("id1064"));
    saveButton_->setAutoDefault(false);
    previewButton_ = new QPushButton(QStringLiteral("Preview List"), this);
    previewButton_->setObjectName(QStringLiteral("id1068"));
    previewButton_->setDefault(true);
    auto* hint = new QLabel(QStringLiteral("To clear your list, simply close this window."), this);
    for (const char* name : {"id1", "id2"}) {
        auto* hidden = new QPushButton(this);
        hidden->setObjectName(QString::fromUtf8(name));
        hidden->setAutoDefault(false);
        hidden->hide();
    }

    deleteAction_ = new QAction(QStringLiteral("Delete"), this);
    deleteAction_->setObjectName(QStringLiteral("id32772"));
    detailsAction_ = new QAction(QStringLiteral("View Details"), this);
    detailsAction_->setObjectName(QStringLiteral("id32773"));
    connect(deleteAction_, &QAction::triggered, this, &CVNOutput::DeleteSelected);
    connect(detailsAction_, &QAction::triggered, this, &CVNOutput::ShowDetails);
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QMenu menu(this);
        menu.addAction(deleteAction_);
        menu.addAction(detailsAction_);
        menu.exec(list_->viewport()->mapToGlobal(pos));
    });
    connect(list_, &QAbstractItemView::doubleClicked, this, &CVNOutput::ShowDetails);
    connect(list_, &SortableListCtrl::FirstCharTyped, this, &CVNOutput::JumpToFirstChar);
    connect(list_, &SortableListCtrl::DeletePressed, this, &CVNOutput::DeleteSelected);
    connect(formatBox_, &QComboBox::currentIndexChanged, this, &CVNOutput::UpdatePreviewButton);
    connect(saveButton_, &QPushButton::clicked, this, &CVNOutput::SaveList);
    connect(previewButton_, &QPushButton::clicked, this, &CVNOutput::PreviewList);

    auto* controls = new QHBoxLayout;
    controls->addWidget(formatBox_);
    controls->addWidget(saveButton_);
    controls->addWidget(previewButton_);
    controls->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(list_, 1);
    layout->addLayout(controls);
    layout->addWidget(hint);
    resize(680, 520);

    fill_ = new ListFillThread(this);
    connect(fill_, &ListFillThread::Filled, this, &CVNOutput::OnFilled);
    details_ = new DetailsView(this);
}

CVNOutput::~CVNOutput() = default;

int CVNOutput::PendingFills() const {
    return fill_->Pending();
}

void CVNOutput::ReceiveEntries(const HandOver& handOver) {
    lastTicket_ = fill_->Request(handOver, true);
}

void CVNOutput::OnFilled(FillResultPtr result) {
    if (result->ticket <= clearedBefore_) return;
    entryCount_ += static_cast<int>(result->rows.size());
    list_->Model()->MergeRows(std::move(result->rows), kNameColumn, true);
    list_->header()->setSortIndicatorShown(true);
    list_->header()->setSortIndicator(kNameColumn, Qt::AscendingOrder);
    UpdateTitle("Your working list has %d ROMs");
    if (result->handOver.setsHideRomNames) hideRomNames_ = result->handOver.hideRomNames;
    show();
    raise();
    activateWindow();
    list_->setFocus();
    Q_EMIT BatchShown();
}

void CVNOutput::UpdateTitle(const char* format) {
    setWindowTitle(FromBytes(FormatCountTitle(format, entryCount_)));
}

void CVNOutput::DeleteSelected() {
    std::vector<int> rows = list_->SelectedRows();
    // Deleting the first selected row again and again ends at this index.
    const int mark = rows.empty() ? 0 : rows.back() - static_cast<int>(rows.size()) + 1;
    entryCount_ -= list_->Model()->DeleteRows(rows);
    if (mark < list_->RowCount()) {
        list_->selectionModel()->setCurrentIndex(list_->Model()->index(mark, 1),
                                                 QItemSelectionModel::NoUpdate);
    }
    UpdateTitle("Found:%d matches");
}

void CVNOutput::ShowDetails() {
    const int row = list_->FirstSelectedRow();
    if (row < 0) return;
    const ListTable& table = list_->Table();
    details_->Show(table.Cell(row, kNameColumn), table.Cell(row, kRomNameColumn), hideRomNames_);
}

void CVNOutput::JumpToFirstChar(char c) {
    const int row = list_->Table().FindFirstChar(c);
    if (row >= 0) list_->JumpToRow(row);
}

void CVNOutput::UpdatePreviewButton() {
    switch (formatBox_->currentIndex()) {
        case 1:
        case 2:
        case 3:  // Atomic FE, Attract Mode, Batch File
        case 5:
        case 6:
        case 7:  // CSV File, HyperSpin, Khameleon
        case 9:
        case 10:  // MAMEUIFX, MAMEWah
        case 14:
        case 15:  // ROM descriptions only, ROM names only
            previewButton_->setEnabled(true);
            break;
        case 8:  // MaLa Gamelist
        case 11:
        case 12:
        case 13:  // Maximus Arcade, mGalaxy, MultiFE
        case 16:  // XML File
            previewButton_->setEnabled(false);
            break;
        default:  // AdvanceMenu Lst, Cabrio: as it was
            break;
    }
}

void CVNOutput::PreviewList() {
    previewMode_ = true;
    SaveList();
    previewMode_ = false;
}

void CVNOutput::ClearAndHide() {
    hide();
    clearedBefore_ = lastTicket_;
    list_->Model()->DeleteAllRows();
    entryCount_ = 0;
}

void CVNOutput::reject() {
    ClearAndHide();
}

void CVNOutput::closeEvent(QCloseEvent* event) {
    ClearAndHide();
    event->accept();
}

}  // namespace vantor::app
