#pragma once
// The About box and the version text of the desktop program.
#include <QString>

class QWidget;

namespace vantor::app {

// vantor --version: "vantor 0.1.0", then the build date with the Qt version built with (and the
// one running, when they differ).
QString VersionText();
// The About box's text: the same, and what the program is for.
QString AboutText();
// "About Vantor", modal over `parent`.
void ShowAboutBox(QWidget* parent);

}  // namespace vantor::app
