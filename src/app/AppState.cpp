#include "AppState.h"

#include "ListFillWorker.h"

namespace vantor::app {

std::atomic<bool> g_fullListReady{false};

void RegisterMetaTypes() {
    qRegisterMetaType<HandOver>();
    qRegisterMetaType<FillResultPtr>();
}

}  // namespace vantor::app
