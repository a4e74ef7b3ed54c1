// The two functions VARO.ocx exports; everything else in it is hidden.
#include "VaroEngine.h"

extern "C" __attribute__((visibility("default"))) varo::Engine* VaroEngineCreate(const varo::HostServices* host) {
    if (!host || !host->postMessage || !host->registerMessage || !host->addPumpHook || !host->removePumpHook ||
        !host->queryRootDir) {
        return nullptr;
    }
    return new varo::engine::VaroEngine(host);
}

extern "C" __attribute__((visibility("default"))) void VaroEngineDestroy(varo::Engine* engine) { delete engine; }
