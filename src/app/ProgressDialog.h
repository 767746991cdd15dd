#pragma once
// The "Progress..." window: two lines of text, a bar of real progress and below it the figures
// (how much of how much, the percentage and an estimate of the time left). Work that can be
// stopped shows a Cancel button; Escape and the close box then cancel too. Otherwise the window
// cannot be closed by the user: only the work it shows ends it, by deleting it.
#include <QDialog>
#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <functional>

#include "gamedata/ProgressSink.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vantor::app {

// "104.9 MB of 270.0 MB  (38%)  about 12 s left": the figures line. The estimate comes once
// the job has run for a while and moved at all. Without a total, bytes are told as received
// ("104.9 MB received").
QString ProgressFigures(std::int64_t done, std::int64_t total, ProgressUnit unit, std::int64_t elapsedMs);

class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    // With an owner the window is window-modal over it: the owner takes no input meanwhile.
    explicit ProgressDialog(QWidget* owner = nullptr);

    // Sets the range when asked (callers pass 1000), puts the bar at 0, shows the window in
    // front and sets the texts; the time estimate counts from here.
    void Show(bool setRange, int range, const QString& firstText, const QString& secondText);
    void SetTexts(const QString& firstText, const QString& secondText);
    void SetUnit(ProgressUnit unit) { unit_ = unit; }
    // Real progress: `done` of `total` mapped onto the bar's range, and the figures. A total of 0
    // (not known) makes the bar a busy one.
    void SetProgress(std::int64_t done, std::int64_t total);
    // Shows the Cancel button; a click on it (or Escape, or the close box) emits CancelRequested
    // once and leaves the window up until the work has stopped.
    void SetCancellable(bool cancellable);
    // From now on the work can no longer be stopped (it is putting a file in place): Cancel,
    // Escape and the close box do nothing, and the second line says why.
    void RefuseCancel();
    bool CancelPending() const { return cancelPending_; }
    bool CancelRefused() const { return cancelRefused_; }
    int Position() const;
    QString FirstText() const;
    QString SecondText() const;
    QString FiguresText() const;

  Q_SIGNALS:
    void CancelRequested();

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void RequestCancel();

    QLabel* firstLine_;
    QLabel* secondLine_;
    QProgressBar* bar_;
    QLabel* figures_;
    QPushButton* cancel_;
    ProgressUnit unit_ = ProgressUnit::Unnamed;
    QElapsedTimer shownFor_;
    bool cancellable_ = false;
    bool cancelPending_ = false;
    bool cancelRefused_ = false;
};

// The second line while the file is put in place and Cancel is off.
inline constexpr const char* kPuttingFileInPlace =
    "Putting the file in place; it can no longer be cancelled.";
// Told, before what was saved, when Cancel came just as the file was being put in place.
inline constexpr const char* kTooLateToCancel =
    "Cancel came too late: the file was already being put in place.\r\n";

// The progress window of a job the user may stop, window-modal over `owner` and shown at once with
// `firstText`: its Cancel (or Escape) calls `cancel`. Without figures to come the bar just moves.
// The caller deletes it when the job's outcome has come.
ProgressDialog* ShowJobProgress(QWidget* owner, const QString& firstText, ProgressUnit unit,
                                std::function<void()> cancel, bool figures = true);

}  // namespace vantor::app
