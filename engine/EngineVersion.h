// The engine's four-part file version and the ELF note that carries it.
//
// The kit reads the version from VARO.ocx without loading the file, so the
// shared object carries it in an allocated note section:
//   section  ".note.varo.version" (type SHT_NOTE)
//   namesz   5: the owner "VARO" and its terminator, padded to 8 bytes
//   descsz   16
//   type     1 (kVersionNoteType)
//   desc     four little-endian uint32: major, minor, third, fourth
// The same numbers answer GetDllVersionInfo (words 1 and 2 of its block).
#pragma once

#define VARO_ENGINE_VERSION_MAJOR 1
#define VARO_ENGINE_VERSION_MINOR 0
#define VARO_ENGINE_VERSION_THIRD 0
#define VARO_ENGINE_VERSION_FOURTH 1
#define VARO_ENGINE_NOTE_TYPE 1

namespace varo {
namespace engine {

const char kVersionNoteOwner[] = "VARO";
const unsigned kVersionNoteType = VARO_ENGINE_NOTE_TYPE;

// The format of the database files this engine writes; GetDBVersionInfo
// reports the one recorded in each file.
const int kDatabaseFormatMajor = 1;
const int kDatabaseFormatMinor = 0;

}  // namespace engine
}  // namespace varo
