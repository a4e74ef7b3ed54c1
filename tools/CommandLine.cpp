// Dispatch by the command table, its argument and option checks, and the
// help texts it yields.
#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "Fields.h"
#include "Kinds.h"
#include "Results.h"
#include "Text.h"
#include "VAROObj.h"

namespace varo {
namespace tool {
namespace {

const char kIntroduction[] =
    "varo: look after the databases of the suite and the tips in them.\n"
    "\n"
    "DB is a database id or its name (when no other database has it); TIP is a tip id.\n"
    "Exit codes: 0 done, 1 the operation failed (the kit's code is printed), 2 bad usage.\n"
    "The data folder is $VARO_DATA_DIR, else the suite's, else ~/.local/share/varokit/.\n";

std::vector<std::string> NameWords(const char* name) {
    std::vector<std::string> words;
    const char* start = name;
    for (const char* p = name;; ++p) {
        if (*p == ' ' || *p == '\0') {
            words.emplace_back(start, p);
            if (*p == '\0') return words;
            start = p + 1;
        }
    }
}

bool IsHelpWord(const std::string& word) { return word == "--help" || word == "-h"; }

// The command whose name the first words give, the longest match; *used
// receives the number of words it takes.
const Command* FindCommand(const std::vector<std::string>& words, size_t* used) {
    const Command* best = nullptr;
    size_t bestLength = 0;
    for (const Command* command = CommandsBegin(); command != CommandsEnd(); ++command) {
        const std::vector<std::string> name = NameWords(command->name);
        if (name.size() <= bestLength || name.size() > words.size()) continue;
        bool matches = true;
        for (size_t i = 0; i < name.size() && matches; ++i) matches = name[i] == words[i];
        if (matches) {
            best = command;
            bestLength = name.size();
        }
    }
    *used = bestLength;
    return best;
}

// True when some command's name starts with the word ("db" for "db list").
bool IsGroup(const std::string& word) {
    for (const Command* command = CommandsBegin(); command != CommandsEnd(); ++command) {
        const std::vector<std::string> name = NameWords(command->name);
        if (name.size() > 1 && name[0] == word) return true;
    }
    return false;
}

std::string UsageLine(const Command& command) {
    std::string line = std::string("varo ") + command.name;
    if (*command.usage) line += std::string(" ") + command.usage;
    if (*command.options || command.fieldKind != 0) line += " [options]";
    return line;
}

void PrintCommandList(FILE* out, const char* group) {
    for (const Command* command = CommandsBegin(); command != CommandsEnd(); ++command) {
        if (group != nullptr && NameWords(command->name)[0] != group) continue;
        fprintf(out, "  %s\n      %s\n", UsageLine(*command).c_str(), command->help);
    }
}

void PrintOverview(FILE* out) {
    fprintf(out, "%s\nCommands (each takes --help):\n", kIntroduction);
    PrintCommandList(out, nullptr);
}

void PrintField(const SettableField& field, bool withKinds) {
    printf("  --%s VALUE\n      %s; %s", field.name, field.help, ValueFormText(field).c_str());
    if (withKinds) printf(" (%s)", KindSetNames(field.kinds).c_str());
    printf("\n");
}

void PrintCommandHelp(const Command& command) {
    printf("usage: %s\n  %s\n", UsageLine(command).c_str(), command.help);
    if (command.details != nullptr) printf("\n%s\n", command.details);
    if (command.fieldKind != 0) {
        printf("\nFields of a %s, set in the order given:\n", KindDescription(command.fieldKind).c_str());
        for (const SettableField* field = SettableFieldsBegin(); field != SettableFieldsEnd(); ++field) {
            if (KindInSet(command.fieldKind, field->kinds)) PrintField(*field, false);
        }
    }
    if (command.listsFields) {
        printf("\nFIELD is one of these (without the dashes); the kinds that have it follow:\n");
        for (const SettableField* field = SettableFieldsBegin(); field != SettableFieldsEnd(); ++field) {
            PrintField(*field, true);
        }
    }
}

int UsageError(const Command& command, const std::string& message) {
    ReportUsage(message);
    fprintf(stderr, "usage: %s\n(see varo %s --help)\n", UsageLine(command).c_str(), command.name);
    return kExitUsage;
}

// Whether the command takes an option, and whether it takes a value.
bool FindOption(const Command& command, const std::string& name, bool* takesValue) {
    if (command.fieldKind != 0) {
        *takesValue = true;
        return FindSettableField(name) != nullptr;
    }
    for (const std::string& option : NameWords(command.options)) {
        if (option.empty()) continue;
        const bool valued = option.back() == '=';
        if ((valued ? option.substr(0, option.size() - 1) : option) == name) {
            *takesValue = valued;
            return true;
        }
    }
    return false;
}

// Splits the words after the command's name into arguments and options.
// Gives kExitOk, or the usage error printed; *help is set by --help.
int ParseWords(const Command& command, const std::vector<std::string>& words, size_t first, Invocation* call,
               bool* help) {
    bool optionsEnded = false;
    for (size_t i = first; i < words.size(); ++i) {
        std::string word = words[i];
        // A one-letter option of the table is also taken with one dash: -o.
        bool oneLetterTakesValue = false;
        if (!optionsEnded && word.size() == 2 && word[0] == '-' && word[1] != '-' && word != "-h" &&
            FindOption(command, word.substr(1), &oneLetterTakesValue)) {
            word = "-" + word;
        }
        if (optionsEnded || word.size() < 2 || word[0] != '-' || (word[1] != '-' && word != "-h")) {
            call->args.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (IsHelpWord(word)) {
            *help = true;
            return kExitOk;
        }
        const size_t equals = word.find('=');
        const std::string name = word.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
        bool takesValue = false;
        if (!FindOption(command, name, &takesValue)) return UsageError(command, "unknown option --" + name);
        if (command.fieldKind != 0 && !KindInSet(command.fieldKind, FindSettableField(name)->kinds)) {
            return UsageError(command, "--" + name + " is not a field of a " + KindDescription(command.fieldKind) +
                                           " (it is a field of: " + KindSetNames(FindSettableField(name)->kinds) + ")");
        }
        std::string value;
        if (equals != std::string::npos) {
            if (!takesValue) return UsageError(command, "--" + name + " takes no value");
            value = word.substr(equals + 1);
        } else if (takesValue) {
            if (i + 1 >= words.size()) return UsageError(command, "--" + name + " needs a value");
            value = words[++i];
        }
        call->options.emplace_back(name, value);
    }
    const int count = static_cast<int>(call->args.size());
    if (count < command.minArgs) return UsageError(command, "too few arguments");
    if (count > command.maxArgs) return UsageError(command, "too many arguments");
    return kExitOk;
}

int RunHelp(const std::vector<std::string>& words) {
    if (words.empty()) {
        PrintOverview(stdout);
        return kExitOk;
    }
    size_t used = 0;
    const Command* command = FindCommand(words, &used);
    if (command != nullptr && used == words.size()) {
        PrintCommandHelp(*command);
        return kExitOk;
    }
    if (words.size() == 1 && IsGroup(words[0])) {
        PrintCommandList(stdout, words[0].c_str());
        return kExitOk;
    }
    return ReportUsage("no command 'varo " + words[0] + (words.size() > 1 ? " " + words[1] : "") + "'");
}

int PrintVersion() {
    CVAROObj kit;
    _VERSIONINF version{};
    kit.GetVAROKITVersionInfo(version);
    printf("varo %s (kit %u.%u.%u.%u)\n", VARO_PROJECT_VERSION, version.dwMajor, version.dwMinor, version.dwThird,
           version.dwFourth);
    return kExitOk;
}

}  // namespace

int Dispatch(const std::vector<std::string>& words) {
    if (words.empty()) {
        PrintOverview(stderr);
        return kExitUsage;
    }
    if (words[0] == "help" || IsHelpWord(words[0])) return RunHelp({words.begin() + 1, words.end()});
    if (words[0] == "--version") return PrintVersion();
    size_t used = 0;
    const Command* command = FindCommand(words, &used);
    if (command == nullptr) {
        if (!IsGroup(words[0])) {
            ReportUsage("no command '" + words[0] + "'");
            PrintOverview(stderr);
            return kExitUsage;
        }
        if (words.size() > 1 && IsHelpWord(words[1])) return RunHelp({words[0]});
        ReportUsage(words.size() > 1 ? "no command 'varo " + words[0] + " " + words[1] + "'"
                                     : "'varo " + words[0] + "' needs a subcommand");
        PrintCommandList(stderr, words[0].c_str());
        return kExitUsage;
    }
    Invocation call;
    call.command = command;
    bool help = false;
    const int parsed = ParseWords(*command, words, used, &call, &help);
    if (help) {
        PrintCommandHelp(*command);
        return kExitOk;
    }
    return parsed != kExitOk ? parsed : command->handler(call);
}

}  // namespace tool
}  // namespace varo
