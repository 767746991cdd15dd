#include "ProgressDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "AppIcon.h"

namespace vantor::app {

ProgressDialog::ProgressDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("progressDlg"));
    setWindowTitle(QStringLiteral("Progress..."));
    setWindowIcon(AppIcon());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    if (owner != nullptr) setWindowModality(Qt::WindowModal);

    firstLine_ = new QLabel(this);
    firstLine_->setObjectName(QStringLiteral("id2003"));
    secondLine_ = new QLabel(this);
    secondLine_->setObjectName(QStringLiteral("id2004"));
    secondLine_->setWordWrap(true);
    secondLine_->setMinimumHeight(2 * fontMetrics().lineSpacing());
    secondLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("id2000"));
    bar_->setRange(0, 1000);
    bar_->setTextVisible(false);
    stop_ = new QPushButton(QStringLiteral("STOP"), this);
    stop_->setObjectName(QStringLiteral("id1"));
    stop_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(firstLine_);
    layout->addWidget(secondLine_);
    layout->addWidget(bar_);
    setMinimumWidth(380);
}

void ProgressDialog::Show(bool setRange, int range, const QString& firstText, const QString& secondText) {
    if (setRange) {
        bar_->setRange(0, range);
        stepCount_ = 0;
    }
    show();
    raise();
    activateWindow();
    bar_->setValue(0);
    SetTexts(firstText, secondText);
}

void ProgressDialog::SetTexts(const QString& firstText, const QString& secondText) {
    firstLine_->setText(firstText);
    secondLine_->setText(secondText);
}

void ProgressDialog::SetProgress(std::int64_t done, std::int64_t total) {
    if (total <= 0) return;
    if (done > total) done = total;
    if (done < 0) done = 0;
    const std::int64_t span = bar_->maximum() - bar_->minimum();
    bar_->setValue(bar_->minimum() + static_cast<int>(done * span / total));
}

void ProgressDialog::StepIt() {
    ++stepCount_;
    bar_->setValue(std::min(bar_->maximum(), bar_->value() + 1));
}

int ProgressDialog::Position() const {
    return bar_->value();
}
QString ProgressDialog::FirstText() const {
    return firstLine_->text();
}
QString ProgressDialog::SecondText() const {
    return secondLine_->text();
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    // Only the work it shows ends it, by deleting it.
    event->ignore();
}

}  // namespace vantor::app
