#include "OutputWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "QtUserInterface.h"
#include "SortableListCtrl.h"
#include "output/ListFormats.h"

namespace vantor::app {

const QStringList& ListFormatNames() {
    static const QStringList names = [] {
        QStringList list;
        for (const ListFormatInfo& info : ListFormatTable()) list << QString::fromUtf8(info.name);
        return list;
    }();
    return names;
}

CVNOutput::CVNOutput(QWidget* parent)
    : GameListWindow(QStringLiteral("outputDlg"), new QAction(QStringLiteral("Delete"), nullptr), parent) {
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

    Command()->setObjectName(QStringLiteral("id32772"));
    connect(Command(), &QAction::triggered, this, &CVNOutput::DeleteSelected);
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

    fill_ = new ListFillThread(this);
    connect(fill_, &ListFillThread::Filled, this, &CVNOutput::OnFilled);
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

void CVNOutput::UpdatePreviewButton() {
    const int index = formatBox_->currentIndex();
    if (index < 0 || index >= kListFormatCount) return;
    switch (ListFormatTable()[static_cast<std::size_t>(index)].previewButton) {
        case PreviewButton::Enabled:
            previewButton_->setEnabled(true);
            break;
        case PreviewButton::Disabled:
            previewButton_->setEnabled(false);
            break;
        case PreviewButton::Unchanged:
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
    if (!saveRunning_) ClearAndHide();
}

void CVNOutput::closeEvent(QCloseEvent* event) {
    // The list being written stays until the writer is done with it.
    if (saveRunning_) {
        event->ignore();
        return;
    }
    ClearAndHide();
    event->accept();
}

}  // namespace vantor::app
