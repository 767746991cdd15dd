#include "Application.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include "AppIcon.h"
#include "AppState.h"
#include "MainWindow.h"
#include "QtUserInterface.h"
#include "WelcomeDialog.h"
#include "gamedata/AppPaths.h"
#include "gamedata/SettingsStore.h"
#include "gamedata/TagTable.h"

namespace vantor::app {

std::unique_ptr<MainWindow> CreateMainWindow() {
    RegisterMetaTypes();
    // Relative names (the utilities' logs) land in the per-user data folder.
    QDir::setCurrent(FromBytes(EnsureUserDataFolder()));

    Settings settings = Settings::Load();
    bool firstRun = false;
    if (!settings.keyExists) {
        WelcomeDialog welcome;
        if (welcome.exec() != QDialog::Accepted) return nullptr;
        firstRun = true;
    }
    return std::make_unique<MainWindow>(settings.inputXmlFile,
                                        DisplayOptions{settings.hideTags, settings.hideRomNames}, firstRun);
}

int RunVantor(QApplication& application) {
    application.setApplicationName(QStringLiteral("Vantor"));
    // Lets the desktop match the windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vantor.Vantor"));
    application.setWindowIcon(AppIcon());
    // The result windows stay open on their own; the program ends with the main window.
    application.setQuitOnLastWindowClosed(false);

    std::unique_ptr<MainWindow> mainWindow = CreateMainWindow();
    if (!mainWindow) return 0;
    QObject::connect(mainWindow.get(), &MainWindow::Closed, &application, &QApplication::quit,
                     Qt::QueuedConnection);
    mainWindow->show();
    QTimer::singleShot(0, mainWindow.get(), &MainWindow::Initialise);
    return application.exec();
}

}  // namespace vantor::app
