#include "FamilyRulesDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "AppIcon.h"
#include "QtUserInterface.h"

namespace vantor::app {

namespace {
constexpr int kRuleRole = Qt::UserRole;
}  // namespace

FamilyOptions StoredFamilyOptions(const std::string& rules, const std::string& regions) {
    FamilyOptions options = FamilyOptions::Defaults();
    std::string problem;
    if (!rules.empty() && !ParseFamilyRules(rules, options.rules, problem))
        options.rules = FamilyOptions::Defaults().rules;
    if (!regions.empty() && !ParseRegionList(regions, options.regions, problem))
        options.regions = FamilyOptions::Defaults().regions;
    return options;
}

FamilyRulesDialog::FamilyRulesDialog(const FamilyOptions& options, QWidget* parent)
    : QDialog(parent), options_(options) {
    setObjectName(QStringLiteral("familyRulesDialog"));
    setWindowTitle(QString::fromUtf8(kFamilyRulesTitle));
    setWindowIcon(AppIcon());

    auto* rulesLabel = new QLabel(
        QStringLiteral("Of a parent and its clones, the list keeps the game these rules put first.\n"
                       "Ticked rules apply from the top; the ROM name decides last in any case."),
        this);
    rules_ = new QListWidget(this);
    rules_->setObjectName(QStringLiteral("familyRuleList"));
    auto* up = new QPushButton(QStringLiteral("Up"), this);
    up->setObjectName(QStringLiteral("ruleUpButton"));
    auto* down = new QPushButton(QStringLiteral("Down"), this);
    down->setObjectName(QStringLiteral("ruleDownButton"));
    connect(up, &QPushButton::clicked, this, [this] { MoveCurrentRule(-1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveCurrentRule(1); });
    auto* moves = new QVBoxLayout;
    moves->addWidget(up);
    moves->addWidget(down);
    moves->addStretch(1);
    auto* rulesRow = new QHBoxLayout;
    rulesRow->addWidget(rules_, 1);
    rulesRow->addLayout(moves);

    auto* regionsLabel =
        new QLabel(QStringLiteral("Regions, most wanted first (the words of the description's tags, such as\n"
                                  "usa, europe, japan, world, brazil, hong_kong):"),
                   this);
    regions_ = new QLineEdit(this);
    regions_->setObjectName(QStringLiteral("familyRegionsEdit"));
    regionsLabel->setBuddy(regions_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    QPushButton* defaults = buttons->addButton(QStringLiteral("Defaults"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("familyDefaultsButton"));
    connect(defaults, &QPushButton::clicked, this, &FamilyRulesDialog::RestoreDefaults);
    connect(buttons, &QDialogButtonBox::accepted, this, &FamilyRulesDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FamilyRulesDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rulesLabel);
    layout->addLayout(rulesRow, 1);
    layout->addSpacing(6);
    layout->addWidget(regionsLabel);
    layout->addWidget(regions_);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    Fill(options);
    resize(std::max(560, sizeHint().width()), sizeHint().height());
}

void FamilyRulesDialog::Fill(const FamilyOptions& options) {
    rules_->clear();
    auto add = [this](const FamilyRuleInfo& info, bool on) {
        auto* item = new QListWidgetItem(
            QString::fromUtf8(info.name) + QStringLiteral(": ") + QString::fromUtf8(info.meaning), rules_);
        item->setData(kRuleRole, static_cast<int>(info.rule));
        item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    };
    // The name is not listed: it always decides last.
    for (FamilyRule rule : options.rules) {
        for (const FamilyRuleInfo& info : FamilyRuleTable()) {
            if (info.rule == rule && rule != FamilyRule::Name) add(info, true);
        }
    }
    for (const FamilyRuleInfo& info : FamilyRuleTable()) {
        const bool listed =
            std::find(options.rules.begin(), options.rules.end(), info.rule) != options.rules.end();
        if (!listed && info.rule != FamilyRule::Name) add(info, false);
    }
    rules_->setCurrentRow(0);
    regions_->setText(FromBytes(RegionListText(options.regions)));
}

void FamilyRulesDialog::MoveCurrentRule(int by) {
    const int row = rules_->currentRow();
    const int target = row + by;
    if (row < 0 || target < 0 || target >= rules_->count()) return;
    QListWidgetItem* item = rules_->takeItem(row);
    rules_->insertItem(target, item);
    rules_->setCurrentRow(target);
}

void FamilyRulesDialog::RestoreDefaults() {
    Fill(FamilyOptions::Defaults());
}

void FamilyRulesDialog::accept() {
    FamilyOptions chosen;
    std::string problem;
    if (!ParseRegionList(ToBytes(regions_->text()), chosen.regions, problem)) {
        ShowMessageBox(this, MessageIcon::Exclamation, "The region list cannot be used: " + problem + ".");
        return;
    }
    for (int row = 0; row < rules_->count(); ++row) {
        const QListWidgetItem* item = rules_->item(row);
        if (item->checkState() == Qt::Checked)
            chosen.rules.push_back(static_cast<FamilyRule>(item->data(kRuleRole).toInt()));
    }
    chosen.rules.push_back(FamilyRule::Name);
    options_ = std::move(chosen);
    QDialog::accept();
}

}  // namespace vantor::app
