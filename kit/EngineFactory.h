// Where engines come from. By default Init loads the engine shared object
// (the registry's ROOTDIR followed by VARO.ocx, else the engine beside the
// kit, EngineLocation.h); tests install a factory of their own instead.
#pragma once

#include "EngineInterface.h"

namespace varo {

class EngineFactory {
public:
    virtual ~EngineFactory() = default;
    // A new engine, or null when none can be had.
    virtual Engine* Create(const HostServices* host) = 0;
    virtual void Destroy(Engine* engine) = 0;
};

// Makes every later Init use `factory` (null: load the engine file again).
// The factory must outlive the engines it makes. Not thread-safe.
void SetEngineFactory(EngineFactory* factory);

// The factory in use.
EngineFactory& CurrentEngineFactory();

// What the kit lends every engine it creates.
const HostServices* KitHostServices();

}  // namespace varo
