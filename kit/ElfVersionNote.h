// Reads the four-part file version that the engine shared object carries in
// an ELF note (owner "VARO", type 1, a descriptor of four little-endian
// 32-bit numbers: major, minor, third, fourth), without loading the file.
//
// Every read is bounded by the file's size: a truncated or malformed file
// gives false, never a read outside the file.
#pragma once

#include <cstdint>
#include <string>

namespace varo {

struct FileVersion {
    uint32_t part[4];
};

// `path` is a UTF-8 file name. False when the file cannot be read, is not a
// 64-bit little-endian ELF file, or holds no such note.
bool ReadElfVersionNote(const std::string& path, FileVersion* version);

}  // namespace varo
