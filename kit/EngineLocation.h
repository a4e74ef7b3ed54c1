// Where the kit finds its engine when the registry names no suite folder:
// beside the kit itself, so that an installed kit loads the engine installed
// with it wherever its prefix was moved, and a kit still in its build tree
// loads the engine of that build.
#pragma once

#include <string>

namespace varo {

// The engine for a kit held in the file kitFile (the shared library, or a
// program linked with the static library): the engine file at the
// install-time relative path from kitFile's folder when it exists; else the
// build's engine when kitFile lies inside the build tree; else that
// relative path all the same (loading it fails, so Init returns 0).
std::string EngineFileBesideKit(const std::string& kitFile);

// The file that holds this kit's code, with every link resolved; empty when
// it cannot be told.
std::string KitFile();

}  // namespace varo
