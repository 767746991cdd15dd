#pragma once
// The "Progress..." window: two lines of text and a bar of real progress. It cannot be closed by
// the user (it has no button) and does not stop the work it shows.
#include <QDialog>
#include <QString>
#include <cstdint>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vantor::app {

class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    // With an owner the window is window-modal over it: the owner takes no input meanwhile.
    explicit ProgressDialog(QWidget* owner = nullptr);

    // Sets the range when asked (callers pass 1000), puts the bar at 0, shows the window in
    // front and sets the texts.
    void Show(bool setRange, int range, const QString& firstText, const QString& secondText);
    void SetTexts(const QString& firstText, const QString& secondText);
    // Real progress: `done` of `total` mapped onto the bar's range.
    void SetProgress(std::int64_t done, std::int64_t total);
    // Advances the bar by one step.
    void StepIt();
    int Position() const;
    QString FirstText() const;
    QString SecondText() const;

  protected:
    void reject() override {}  // Escape does not close it
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* firstLine_;
    QLabel* secondLine_;
    QProgressBar* bar_;
    QPushButton* stop_;
    int stepCount_ = 0;
};

}  // namespace vantor::app
