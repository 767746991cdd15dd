#include "AppState.h"

namespace vantor::app {

void RegisterMetaTypes() {
    qRegisterMetaType<HandOver>();
}

}  // namespace vantor::app
