#pragma once
// The first-run welcome: "Next >>>" goes on to the main window and its settings, "Quit" ends the
// program.
#include <QDialog>

namespace vantor::app {

class WelcomeDialog : public QDialog {
    Q_OBJECT
  public:
    explicit WelcomeDialog(QWidget* parent = nullptr);
};

}  // namespace vantor::app
