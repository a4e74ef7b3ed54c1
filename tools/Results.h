// How the varo command ends and what it says when something goes wrong.
//
// Exit codes: 0 done, 1 the kit or the engine could not do what was asked
// (its result code and what the code means are printed), 2 the command line
// itself was wrong. Messages go to stderr, prefixed "varo: ".
#pragma once

#include <string>

namespace varo {
namespace tool {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,
    kExitUsage = 2,
};

// What a kit or engine result code means, in a few words; "unknown code"
// for a value no table names.
const char* CodeMeaning(long code);

// Prints "varo: <what>: code <code> (<meaning>)" and gives kExitFailed.
int ReportCode(const std::string& what, long code);

// Prints "varo: <message>" and gives kExitFailed.
int ReportFailure(const std::string& message);

// Prints "varo: <message>" and gives kExitUsage.
int ReportUsage(const std::string& message);

}  // namespace tool
}  // namespace varo
