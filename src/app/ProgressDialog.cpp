#include "ProgressDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "AppIcon.h"

namespace vantor::app {

namespace {

// Decimal units, as the desktop's file manager shows sizes.
QString SizeText(std::int64_t bytes) {
    if (bytes < 1000) return QStringLiteral("%1 bytes").arg(bytes);
    static const char* const kUnits[] = {"kB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1000.0;
    int unit = 0;
    while (value >= 999.95 && unit < 3) {
        value /= 1000.0;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QString::fromLatin1(kUnits[unit]));
}

// Too early, the rate says little: the first parts of a file are often in the cache.
constexpr std::int64_t kEstimateAfterMs = 1000;

QString TimeLeftText(std::int64_t done, std::int64_t total, std::int64_t elapsedMs) {
    if (done <= 0 || done >= total || elapsedMs < kEstimateAfterMs) return {};
    const double leftMs =
        static_cast<double>(elapsedMs) * static_cast<double>(total - done) / static_cast<double>(done);
    const auto seconds = static_cast<std::int64_t>(std::ceil(leftMs / 1000.0));
    if (seconds < 60) return QStringLiteral("about %1 s left").arg(seconds);
    return QStringLiteral("about %1 min left").arg((seconds + 30) / 60);
}

}  // namespace

QString ProgressFigures(std::int64_t done, std::int64_t total, ProgressUnit unit, std::int64_t elapsedMs) {
    if (total <= 0)
        return unit == ProgressUnit::Bytes && done > 0 ? SizeText(done) + QStringLiteral(" received")
                                                       : QString();
    done = std::clamp<std::int64_t>(done, 0, total);
    const QString percent = QStringLiteral("%1%").arg(done * 100 / total);
    QString text;
    switch (unit) {
        case ProgressUnit::Bytes:
            text = QStringLiteral("%1 of %2 (%3)").arg(SizeText(done), SizeText(total), percent);
            break;
        case ProgressUnit::Games:
            text = QStringLiteral("%1 of %2 games (%3)").arg(done).arg(total).arg(percent);
            break;
        case ProgressUnit::Unnamed:
            text = percent;
            break;
    }
    const QString left = TimeLeftText(done, total, elapsedMs);
    return left.isEmpty() ? text : text + QStringLiteral(", ") + left;
}

ProgressDialog::ProgressDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("progressDialog"));
    setWindowTitle(QStringLiteral("Progress..."));
    setWindowIcon(AppIcon());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    if (owner != nullptr) setWindowModality(Qt::WindowModal);

    firstLine_ = new QLabel(this);
    firstLine_->setObjectName(QStringLiteral("firstLineText"));
    secondLine_ = new QLabel(this);
    secondLine_->setObjectName(QStringLiteral("secondLineText"));
    secondLine_->setWordWrap(true);
    secondLine_->setMinimumHeight(2 * fontMetrics().lineSpacing());
    secondLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setRange(0, 1000);
    bar_->setTextVisible(false);
    figures_ = new QLabel(this);
    figures_->setObjectName(QStringLiteral("progressFigures"));
    // Room for the line from the start: the window does not grow when the first figures come.
    figures_->setMinimumHeight(fontMetrics().lineSpacing());
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setAutoDefault(false);
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::RequestCancel);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(figures_, 1);
    bottom->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(firstLine_);
    layout->addWidget(secondLine_);
    layout->addWidget(bar_);
    layout->addLayout(bottom);
    setMinimumWidth(420);
}

void ProgressDialog::Show(bool setRange, int range, const QString& firstText, const QString& secondText) {
    if (setRange) bar_->setRange(0, range);
    show();
    raise();
    activateWindow();
    bar_->setValue(0);
    figures_->clear();
    shownFor_.start();
    SetTexts(firstText, secondText);
}

void ProgressDialog::SetTexts(const QString& firstText, const QString& secondText) {
    firstLine_->setText(firstText);
    secondLine_->setText(secondText);
}

void ProgressDialog::SetProgress(std::int64_t done, std::int64_t total) {
    if (total <= 0) {
        figures_->setText(ProgressFigures(done, total, unit_, 0));
        bar_->setRange(0, 0);
        return;
    }
    if (bar_->maximum() == 0) bar_->setRange(0, 1000);
    done = std::clamp<std::int64_t>(done, 0, total);
    figures_->setText(ProgressFigures(done, total, unit_, shownFor_.isValid() ? shownFor_.elapsed() : 0));
    const std::int64_t span = bar_->maximum() - bar_->minimum();
    bar_->setValue(bar_->minimum() + static_cast<int>(done * span / total));
}

void ProgressDialog::SetCancellable(bool cancellable) {
    cancellable_ = cancellable;
    cancel_->setVisible(cancellable);
}

void ProgressDialog::RefuseCancel() {
    if (cancelRefused_) return;
    cancelRefused_ = true;
    cancellable_ = false;
    cancel_->setEnabled(false);
    secondLine_->setText(QString::fromUtf8(kPuttingFileInPlace));
}

void ProgressDialog::RequestCancel() {
    if (!cancellable_ || cancelPending_) return;
    cancelPending_ = true;
    cancel_->setEnabled(false);
    Q_EMIT CancelRequested();
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
QString ProgressDialog::FiguresText() const {
    return figures_->text();
}

void ProgressDialog::reject() {
    // Escape: as Cancel when the work can stop, else nothing.
    RequestCancel();
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    // The window stays until the work it shows has stopped and deletes it.
    event->ignore();
    RequestCancel();
}

ProgressDialog* ShowJobProgress(QWidget* owner, const QString& firstText, ProgressUnit unit,
                                std::function<void()> cancel, bool figures) {
    auto* progress = new ProgressDialog(owner);
    progress->SetUnit(unit);
    progress->SetCancellable(true);
    QObject::connect(progress, &ProgressDialog::CancelRequested, progress, std::move(cancel));
    progress->Show(true, figures ? 1000 : 0, firstText, QString());
    return progress;
}

}  // namespace vantor::app
