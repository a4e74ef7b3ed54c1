// The command line itself: dispatch, help, and the messages and exit codes
// of bad usage (2) as against failed operations (1).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "VaroRunner.h"

namespace {

const int kUsage = 2;
const int kFailed = 1;

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    size_t at = 0;
    for (;;) {
        const size_t end = text.find(' ', at);
        words.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) return words;
        at = end + 1;
    }
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The command names listed by `varo --help`, from its "  varo NAME ..." lines.
std::vector<std::string> ListedCommands(const std::string& help) {
    std::vector<std::string> names;
    for (const std::string& line : Lines(help)) {
        if (line.compare(0, 7, "  varo ") != 0) continue;
        std::string name;
        for (const std::string& word : Words(line.substr(7))) {
            if (word.empty() || word[0] == '[' || isupper(static_cast<unsigned char>(word[0]))) break;
            name += (name.empty() ? "" : " ") + word;
        }
        names.push_back(name);
    }
    return names;
}

TEST(Usage, EveryListedCommandHasItsOwnHelp) {
    VaroSandbox sandbox;
    const VaroResult overview = sandbox.Run({"--help"});
    EXPECT_EQ(overview.exitCode, 0);
    const std::vector<std::string> commands = ListedCommands(overview.out);
    EXPECT_GE(commands.size(), 24u);
    for (const char* expected : {"demo", "db list", "db restore", "ls", "show", "add schedule", "set", "done",
                                 "cabinets", "cabinet move", "folder rm"}) {
        EXPECT_NE(std::find(commands.begin(), commands.end(), expected), commands.end()) << expected;
    }
    for (const std::string& command : commands) {
        std::vector<std::string> args = Words(command);
        args.push_back("--help");
        const VaroResult help = sandbox.Run(args);
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_EQ(help.out.compare(0, 12 + command.size(), "usage: varo " + command), 0) << help.out;
        EXPECT_TRUE(help.err.empty()) << command;
    }
    EXPECT_TRUE(Contains(sandbox.Run({"help", "db"}).out, "varo db backup DB"));
    EXPECT_TRUE(Contains(sandbox.Run({"set", "--help"}).out, "--office-tel2 VALUE"));
    // An add command offers only the fields of its own kind.
    const std::string todoHelp = sandbox.Run({"add", "todo", "--help"}).out;
    EXPECT_TRUE(Contains(todoHelp, "--deadline VALUE"));
    EXPECT_FALSE(Contains(todoHelp, "--office-tel"));
}

TEST(Usage, BadCommandLinesAreUsageErrorsWithAMessage) {
    VaroSandbox sandbox;
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{}, "Commands"},
        {{"frob"}, "no command 'frob'"},
        {{"db"}, "'varo db' needs a subcommand"},
        {{"db", "frob"}, "no command 'varo db frob'"},
        {{"db", "create"}, "too few arguments"},
        {{"db", "create", "a", "b"}, "too many arguments"},
        {{"db", "delete", "x", "--force"}, "unknown option --force"},
        {{"db", "delete", "x", "--yes=1"}, "--yes takes no value"},
        {{"folder", "move", "x", "0", "0", "0", "--to-cabinet"}, "--to-cabinet needs a value"},
        {{"add", "todo", "x", "milk", "--office-tel", "1"}, "--office-tel is not a field of a to-do item"},
        {{"add", "todo", "x", "milk", "--frob", "1"}, "unknown option --frob"},
        {{"db", "create", "\xf0\x9f\x98\x80"}, "cannot be written in Shift-JIS"},
        {{"db", "delete", "x"}, "add --yes"},
        {{"db", "restore", "x"}, "add --yes"},
    };
    for (const Case& c : cases) {
        const VaroResult result = sandbox.Run(c.args);
        EXPECT_EQ(result.exitCode, kUsage) << c.message;
        EXPECT_TRUE(Contains(result.err, c.message)) << result.err;
        EXPECT_TRUE(result.out.empty()) << c.message;
    }
    // Nothing above made a database.
    EXPECT_EQ(Lines(sandbox.Run({"db", "list"}).out).size(), 1u);
}

TEST(Usage, BadValuesAreUsageErrorsAndChangeNothing) {
    VaroSandbox sandbox;
    ASSERT_EQ(sandbox.Run({"db", "create", "u"}).exitCode, 0);
    const VaroResult added = sandbox.Run({"add", "todo", "u", "milk"});
    ASSERT_EQ(added.exitCode, 0);
    const std::string tip = std::to_string(AddedId(added));
    const std::string before = sandbox.Run({"show", "u", tip}).out;
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"set", "u", tip, "priority", "11"}, "not a number from 1 to 10"},
        {{"set", "u", tip, "priority", "2x"}, "not a number from 1 to 10"},
        {{"set", "u", tip, "deadline", "2030-02-30"}, "is not a date"},
        {{"set", "u", tip, "secret", "maybe"}, "is not 0 or 1"},
        {{"set", "u", tip, "colour", "#ff0000"}, "no field 'colour'"},
        {{"set", "u", tip, "start", "2030-01-01"}, "this to-do item has no field 'start'"},
        {{"set", "u", tip, "end", "none"}, "this to-do item has no field 'end'"},
        {{"set", "u", "abc", "memo", "x"}, "TIP must be a tip id"},
        {{"ls", "u", "nowhere"}, "FUKURO must be a fukuro id"},
        {{"cabinet", "move", "u", "x", "0"}, "FROM must be a position"},
    };
    for (const Case& c : cases) {
        const VaroResult result = sandbox.Run(c.args);
        EXPECT_EQ(result.exitCode, kUsage) << c.message;
        EXPECT_TRUE(Contains(result.err, c.message)) << result.err;
    }
    EXPECT_EQ(sandbox.Run({"show", "u", tip}).out, before);
}

TEST(Usage, FailedOperationsPrintTheKitsCode) {
    VaroSandbox sandbox;
    ASSERT_EQ(sandbox.Run({"db", "create", "f"}).exitCode, 0);
    const VaroResult noTip = sandbox.Run({"show", "f", "999"});
    EXPECT_EQ(noTip.exitCode, kFailed);
    EXPECT_TRUE(Contains(noTip.err, "cannot read tip 999: code 2006 (no such tip)")) << noTip.err;
    const VaroResult noDb = sandbox.Run({"ls", "nosuch"});
    EXPECT_EQ(noDb.exitCode, kFailed);
    EXPECT_TRUE(Contains(noDb.err, "no database has the id or name 'nosuch'"));
    const VaroResult noFukuro = sandbox.Run({"ls", "f", "0x7000"});
    EXPECT_EQ(noFukuro.exitCode, kFailed);
    EXPECT_TRUE(Contains(noFukuro.err, "code 2004 (no such fukuro)")) << noFukuro.err;
    const VaroResult noBackup = sandbox.Run({"db", "restore", "f", "--yes"});
    EXPECT_EQ(noBackup.exitCode, kFailed);
    EXPECT_TRUE(Contains(noBackup.err, "code 2011 (there is no backup)")) << noBackup.err;
}

TEST(Usage, AnEngineThatCannotBeLoadedIsAFailure) {
    VaroSandbox sandbox;
    // The registry names a suite folder without an engine in it.
    const std::string config = sandbox.Root() + "/config/varokit";
    ASSERT_EQ(system(("mkdir -p " + config).c_str()), 0);
    FILE* registry = fopen((config + "/registry").c_str(), "w");
    ASSERT_NE(registry, nullptr);
    fprintf(registry, "[HKEY_CURRENT_USER\\Software\\Orvel\\TRIXPAD]\n\"ROOTDIR\"=\"%s/nosuite/\"\n",
            sandbox.Root().c_str());
    fclose(registry);
    const VaroResult result = sandbox.Run({"db", "list"});
    EXPECT_EQ(result.exitCode, kFailed);
    EXPECT_TRUE(Contains(result.err, "cannot load the database engine")) << result.err;
}

#ifdef VARO_HAS_CHOOSER
TEST(Usage, TheChooserNeedsADisplay) {
    VaroSandbox sandbox;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) sandbox.SetVariable(variable, "");
    const VaroResult result = sandbox.Run({"select"});
    EXPECT_EQ(result.exitCode, kFailed);
    EXPECT_TRUE(Contains(result.err, "no display to show the chooser on: code 3006")) << result.err;
    EXPECT_TRUE(result.out.empty());
    const VaroResult unknown = sandbox.Run({"select", "--exclude", "nosuch"});
    EXPECT_EQ(unknown.exitCode, kFailed);
    EXPECT_TRUE(Contains(unknown.err, "no database has the id or name 'nosuch'"));
}
#endif

}  // namespace
