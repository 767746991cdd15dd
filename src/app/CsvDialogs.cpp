#include "CsvDialogs.h"

#include <algorithm>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcon.h"
#include "QtUserInterface.h"
#include "SortableListView.h"

namespace vantor::app {

QString CsvColumnBoxName(const CsvColumn& column) {
    return QStringLiteral("column:") + QString::fromUtf8(column.cliName);
}

CsvHeaderDialog::CsvHeaderDialog(std::vector<const CsvColumn*> columns, int inputType, QWidget* parent)
    : QDialog(parent), columns_(std::move(columns)) {
    setObjectName(QStringLiteral("csvHeaderDialog"));
    setWindowTitle(QStringLiteral("CSV Preview"));
    setWindowIcon(AppIcon());
    setSizeGripEnabled(true);

    auto* hint = new QLabel(QStringLiteral("Adjust CSV output ordering by moving column headers"), this);
    list_ = new SortableListView(this);
    list_->setObjectName(QStringLiteral("columnList"));
    std::string columnSpec;
    ListTable::Row row;
    for (const CsvColumn* column : columns_) {
        columnSpec += std::string(column->heading) + ",80;";
        row.push_back(CsvColumnKey(*column, inputType) + ",");
    }
    list_->SetColumns(columnSpec);
    if (!columns_.empty()) list_->Model()->AddRow(std::move(row));
    // Clicking a heading would sort the one row: only dragging means anything here.
    list_->header()->setSectionsClickable(false);
    list_->header()->setSectionsMovable(true);
    list_->header()->setFirstSectionMovable(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(list_, 1);
    layout->addWidget(ok, 0, Qt::AlignRight);
    // Every column in view, as far as the screen allows.
    const int listWidth = list_->header()->length() + 2 * list_->frameWidth() + 2;
    const QMargins margins = layout->contentsMargins();
    resize(std::clamp(listWidth + margins.left() + margins.right(), 400, 1300), 200);
}

std::vector<const CsvColumn*> CsvHeaderDialog::OrderedColumns() const {
    std::vector<const CsvColumn*> ordered;
    const QHeaderView* header = list_->header();
    for (int position = 0; position < header->count(); ++position) {
        const int logical = header->logicalIndex(position);
        if (logical >= 0 && logical < static_cast<int>(columns_.size())) ordered.push_back(columns_[logical]);
    }
    return ordered;
}

CsvColumnsDialog::CsvColumnsDialog(int inputType, const CsvChoice& initial, QWidget* parent)
    : QDialog(parent), inputType_(inputType), lastOrder_(initial.order) {
    setObjectName(QStringLiteral("csvColumnsDialog"));
    setWindowTitle(QString());
    setWindowIcon(AppIcon());

    auto* intro = new QLabel(QStringLiteral("Select the criteria you'd like to gather."), this);
    auto* grid = new QGridLayout;
    constexpr int kRows = 8;
    int index = 0;
    for (const CsvColumn& column : CsvColumns()) {
        auto* box = new QCheckBox(QString::fromUtf8(column.boxText), this);
        box->setObjectName(CsvColumnBoxName(column));
        box->setEnabled(column.disabledFor != inputType);
        box->setChecked(std::find(initial.ticked.begin(), initial.ticked.end(), &column) !=
                        initial.ticked.end());
        boxes_[&column] = box;
        grid->addWidget(box, index % kRows, index / kRows);
        ++index;
    }

    auto* delimiterLabel = new QLabel(QStringLiteral("Output Delimiter:"), this);
    delimiterEdit_ = new QLineEdit(FromBytes(initial.delimiter), this);
    delimiterEdit_->setObjectName(QStringLiteral("delimiterEdit"));
    delimiterEdit_->setMaximumWidth(80);
    delimiterLabel->setBuddy(delimiterEdit_);
    headerBox_ = new QCheckBox(QStringLiteral("Include column headers"), this);
    headerBox_->setObjectName(QStringLiteral("headerBox"));
    headerBox_->setChecked(initial.header);
    auto* toggle = new QPushButton(QStringLiteral("Toggle all"), this);
    toggle->setObjectName(QStringLiteral("toggleAllButton"));
    toggle->setAutoDefault(false);
    connect(toggle, &QPushButton::clicked, this, &CsvColumnsDialog::ToggleAll);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* options = new QHBoxLayout;
    options->addWidget(delimiterLabel);
    options->addWidget(delimiterEdit_);
    options->addSpacing(16);
    options->addWidget(headerBox_);
    options->addStretch(1);
    options->addWidget(toggle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(options);
    layout->addWidget(buttons);
}

QCheckBox* CsvColumnsDialog::Box(std::string_view cliName) const {
    const CsvColumn* column = FindCsvColumn(cliName);
    auto found = boxes_.find(column);
    return found == boxes_.end() ? nullptr : found->second;
}

void CsvColumnsDialog::ToggleAll() {
    // Disabled boxes too: a box the file type does not gather is simply not written.
    for (auto& [id, box] : boxes_) box->setChecked(toggleState_);
    toggleState_ = !toggleState_;
}

void CsvColumnsDialog::accept() {
    std::vector<const CsvColumn*> chosen;
    for (const CsvColumn& column : CsvColumns()) {
        if (boxes_[&column]->isChecked() && IsCsvColumnGathered(column, inputType_))
            chosen.push_back(&column);
    }
    // Nothing to write: the dialog stays open, and the preview or save it belongs to goes on
    // once a column is ticked.
    if (chosen.empty()) {
        ShowMessageBox(this, MessageIcon::Exclamation, kNoCsvColumnChosen);
        return;
    }
    // Columns in the order they were last written, new ones behind them.
    auto rank = [this](const CsvColumn* column) {
        auto found = std::find(lastOrder_.begin(), lastOrder_.end(), column);
        return found - lastOrder_.begin();
    };
    std::stable_sort(chosen.begin(), chosen.end(),
                     [&](const CsvColumn* a, const CsvColumn* b) { return rank(a) < rank(b); });
    CsvHeaderDialog order(chosen, inputType_, this);
    order.exec();
    // However "CSV Preview" was closed, the order it shows is the one written: closing it without
    // its OK button must not lose the columns.
    ordered_ = order.OrderedColumns();
    options_ = ListOptions();
    options_.Set(ListOption::Columns, CsvColumnList(ordered_));
    options_.Set(ListOption::Delimiter, ToBytes(delimiterEdit_->text()));
    if (!headerBox_->isChecked()) options_.Set(ListOption::NoHeader);
    choice_ = CsvChoice();
    for (const CsvColumn& column : CsvColumns()) {
        if (boxes_[&column]->isChecked()) choice_.ticked.push_back(&column);
    }
    for (const CsvColumn* column : ordered_) choice_.order.push_back(column);
    choice_.delimiter = ToBytes(delimiterEdit_->text());
    choice_.header = headerBox_->isChecked();
    QDialog::accept();
}

}  // namespace vantor::app
