// The subcommands of the varo command: one table (name, usage, one-line help,
// handler) that drives dispatch, argument checking and --help.
//
// A command's name may have two words ("db create"); the words on the
// command line are matched against the longest name. What follows is split
// into positional arguments and options ("--yes", "--to-cabinet 2",
// "--deadline=2030-01-31"); "--" ends the options. Every handler gets an
// Invocation whose argument count and options the table has already checked,
// and returns an exit code of Results.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace varo {
namespace tool {

struct Command;

// One parsed command line.
struct Invocation {
    const Command* command = nullptr;
    std::vector<std::string> args;
    // Options in the order given: name without the dashes, and its value
    // (empty for a flag).
    std::vector<std::pair<std::string, std::string>> options;

    bool Flag(const char* name) const;
    // The value of the last option of that name, or null.
    const std::string* Value(const char* name) const;
};

using Handler = int (*)(const Invocation&);

struct Command {
    const char* name;     // "db create"
    const char* usage;    // what follows the name: "NAME"
    const char* help;     // one line
    const char* details;  // more lines for --help (options, forms), or null
    int minArgs;
    int maxArgs;
    // Options the command takes, separated by blanks; a name ending in '='
    // takes a value ("yes forget", "to-cabinet=").
    const char* options;
    // Nonzero for the add commands: the kind of the new tip; its settable
    // fields are taken as --FIELD VALUE.
    uint16_t fieldKind;
    // --help lists every settable field (varo set).
    bool listsFields;
    Handler handler;
};

// The command table, in the order --help lists it.
const Command* CommandsBegin();
const Command* CommandsEnd();

// Runs the command that the words after "varo" name; gives the exit code.
int Dispatch(const std::vector<std::string>& words);

// Handlers, by file.
int RunDemo(const Invocation& call);            // Demo.cpp
int RunSetup(const Invocation& call);           // SetupCommand.cpp
int RunDbList(const Invocation& call);          // DatabaseCommands.cpp
int RunDbCreate(const Invocation& call);
int RunDbDelete(const Invocation& call);
int RunDbRename(const Invocation& call);
int RunDbDefault(const Invocation& call);
int RunDbCheck(const Invocation& call);
int RunDbBackup(const Invocation& call);
int RunDbRestore(const Invocation& call);
int RunLs(const Invocation& call);              // TipCommands.cpp
int RunShow(const Invocation& call);
int RunAdd(const Invocation& call);
int RunSet(const Invocation& call);
int RunDone(const Invocation& call);
int RunCabinets(const Invocation& call);        // CabinetCommands.cpp
int RunCabinetAdd(const Invocation& call);
int RunCabinetMove(const Invocation& call);
int RunCabinetRm(const Invocation& call);
int RunFolderAdd(const Invocation& call);
int RunFolderMove(const Invocation& call);
int RunFolderRm(const Invocation& call);
int RunExport(const Invocation& call);         // InterchangeCommands.cpp
int RunImport(const Invocation& call);
#ifdef VARO_HAS_CHOOSER
int RunSelect(const Invocation& call);          // SelectCommand.cpp
#endif

}  // namespace tool
}  // namespace varo
