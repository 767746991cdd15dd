#include "SearchDialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcon.h"
#include "QtUserInterface.h"
#include "SortableListView.h"

namespace vantor::app {

RomSearchDialog::RomSearchDialog(const std::string& text, QWidget* parent) : QDialog(parent), text_(text) {
    setObjectName(QStringLiteral("romSearchDialog"));
    setWindowTitle(QStringLiteral("Search"));
    setWindowIcon(AppIcon());

    auto* label = new QLabel(QStringLiteral("Case insensitive description search:"), this);
    edit_ = new QLineEdit(FromBytes(text_), this);
    edit_->setObjectName(QStringLiteral("searchEdit"));
    label->setBuddy(edit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    setMinimumWidth(360);
    edit_->selectAll();
    edit_->setFocus();
}

void RomSearchDialog::accept() {
    text_ = ToBytes(edit_->text());
    QDialog::accept();
}

SearchHistoryDialog::SearchHistoryDialog(const SearchHistory::Entries& entries, QWidget* parent)
    : QDialog(parent), entries_(entries) {
    setObjectName(QStringLiteral("searchHistoryDialog"));
    setWindowTitle(QStringLiteral("Search History"));
    setWindowIcon(AppIcon());
    setSizeGripEnabled(true);

    list_ = new SortableListView(this);
    list_->setObjectName(QStringLiteral("historyList"));
    list_->SetColumns("Search,800;");
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (const std::string& entry : entries_) list_->Model()->AddRow({entry});
    connect(list_, &QAbstractItemView::doubleClicked, this, &SearchHistoryDialog::ChooseSelected);

    // No buttons: the window closes by its close box or a double click.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(list_);
    resize(640, 420);
}

void SearchHistoryDialog::ChooseSelected() {
    const int row = list_->FirstSelectedRow();
    if (row < 0) return;
    chosenText_ = list_->Table().Cell(row, 0);
    chosen_ = true;
    accept();
}

}  // namespace vantor::app
