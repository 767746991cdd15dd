#pragma once
// Start-up of the desktop program.
#include <memory>

class QApplication;

namespace vantor::app {

class MainWindow;

// Makes the per-user data folder the working directory and reads the settings; on a first run
// (no settings store yet) shows the welcome. Returns the main window, not yet shown, or null
// when the user chose "Quit".
std::unique_ptr<MainWindow> CreateMainWindow();

// Runs the main window until it closes; returns the exit code.
int RunVantor(QApplication& application);

}  // namespace vantor::app
