// What the engine fuzz targets need around an in-process engine (the static
// core of VARO.ocx): a data folder of their own, the host services a kit
// would lend, and calls by operation number.
//
// The data folder is made on first use, under /dev/shm when it exists (the
// engine syncs every commit, which costs nothing there) and /tmp otherwise;
// VARO_DATA_DIR points at it and it is removed at exit. One thread.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "engine/EngineCallArgs.h"
#include "EngineInterface.h"

namespace fuzz {

// The data folder, with its final '/'.
const std::string& DataFolder();
// Removes everything inside the data folder.
void EmptyDataFolder();

// An engine instance whose host posts nowhere and runs its pump hook on
// Pump().
std::unique_ptr<varo::Engine> NewEngine();
void Pump();

using namespace engineargs;

int32_t Call(varo::Engine& engine, int op, std::initializer_list<varo::EngineArg> args);

// Runs a TextOut operation and frees the text it hands out.
int32_t CallForText(varo::Engine& engine, int op, std::initializer_list<varo::EngineArg> before);

}  // namespace fuzz
