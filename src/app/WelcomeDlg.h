#pragma once
// The first-run welcome: "Next >>>" goes on to the main window and its settings, "Quit" ends the
// program.
#include <QDialog>

namespace vantor::app {

class REvodOrivado : public QDialog {
    Q_OBJECT
  public:
    explicit REvodOrivado(QWidget* parent = nullptr);
};

}  // namespace vantor::app
