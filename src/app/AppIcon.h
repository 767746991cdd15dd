#pragma once
#include <QIcon>

namespace vantor::app {

// The application icon of every window, drawn once.
QIcon AppIcon();

}  // namespace vantor::app
