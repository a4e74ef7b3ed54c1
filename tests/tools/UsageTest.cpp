// The command line itself: dispatch, help, and the messages and exit codes
// of bad usage (2) as against failed operations (1).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "VaroRunner.h"

namespace {

const int kUsage = 2;
const int kFailed = 1;

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// The command names listed by `varo --help`, from its "  varo NAME ..." lines.
std::vector<std::string> ListedCommands(const std::string& help) {
    std::vector<std::string> names;
    for (const std::string& line : Lines(help)) {
        if (line.compare(0, 7, "  varo ") != 0) continue;
        std::string name;
        for (const std::string& word : Words(line.substr(7))) {
            if (word[0] == '[' || isupper(static_cast<unsigned char>(word[0]))) break;
            name += (name.empty() ? "" : " ") + word;
        }
        names.push_back(name);
    }
    return names;
}

TEST(Usage, EveryListedCommandHasItsOwnHelp) {
    VaroSandbox sandbox;
    const std::vector<std::string> commands = ListedCommands(sandbox.Expect({"--help"}, 0).out);
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
        EXPECT_EQ(help.out.rfind("usage: varo " + command, 0), 0u) << help.out;
        EXPECT_EQ(help.err, "") << command;
    }
    sandbox.Expect({"help", "db"}, 0, "varo db backup DB");
    sandbox.Expect({"set", "--help"}, 0, "--office-tel2 VALUE");
    // An add command offers only the fields of its own kind.
    const std::string todoHelp = sandbox.Expect({"add", "todo", "--help"}, 0, "--deadline VALUE").out;
    EXPECT_FALSE(Contains(todoHelp, "--office-tel"));
}

TEST(Usage, BadUsageAndFailedOperationsPrintWhyAndChangeNothing) {
    VaroSandbox sandbox;
    ASSERT_EQ(sandbox.Run({"db", "create", "u"}).exitCode, 0);
    const std::string tip = std::to_string(AddedId(sandbox.Run({"add", "todo", "u", "milk"})));
    const std::string before = sandbox.Run({"show", "u", tip}).out;
    ASSERT_TRUE(Contains(before, "milk"));
    const struct {
        std::vector<std::string> args;
        int exitCode;
        const char* message;
    } cases[] = {
        {{}, kUsage, "Commands"}, {{"frob"}, kUsage, "no command 'frob'"},
        {{"db"}, kUsage, "'varo db' needs a subcommand"}, {{"db", "frob"}, kUsage, "no command 'varo db frob'"},
        {{"db", "create"}, kUsage, "too few arguments"}, {{"db", "create", "a", "b"}, kUsage, "too many arguments"},
        {{"db", "delete", "u", "--force"}, kUsage, "unknown option --force"},
        {{"db", "delete", "u", "--yes=1"}, kUsage, "--yes takes no value"},
        {{"folder", "move", "u", "0", "0", "0", "--to-cabinet"}, kUsage, "--to-cabinet needs a value"},
        {{"add", "todo", "u", "milk", "--office-tel", "1"}, kUsage, "--office-tel is not a field of a to-do item"},
        {{"add", "todo", "u", "milk", "--frob", "1"}, kUsage, "unknown option --frob"},
        {{"db", "create", "\xf0\x9f\x98\x80"}, kUsage, "cannot be written in Shift-JIS"},
        {{"db", "delete", "u"}, kUsage, "add --yes"}, {{"db", "restore", "u"}, kUsage, "add --yes"},
        {{"set", "u", tip, "priority", "11"}, kUsage, "not a number from 1 to 10"},
        {{"set", "u", tip, "priority", "2x"}, kUsage, "not a number from 1 to 10"},
        {{"set", "u", tip, "deadline", "2030-02-30"}, kUsage, "is not a date"},
        {{"set", "u", tip, "secret", "maybe"}, kUsage, "is not 0 or 1"},
        {{"set", "u", tip, "colour", "#ff0000"}, kUsage, "no field 'colour'"},
        {{"set", "u", tip, "start", "2030-01-01"}, kUsage, "this to-do item has no field 'start'"},
        {{"set", "u", tip, "end", "none"}, kUsage, "this to-do item has no field 'end'"},
        {{"set", "u", "abc", "memo", "x"}, kUsage, "TIP must be a tip id"},
        {{"ls", "u", "nowhere"}, kUsage, "FUKURO must be a fukuro id"},
        {{"cabinet", "move", "u", "x", "0"}, kUsage, "FROM must be a position"},
        {{"show", "u", "999"}, kFailed, "cannot read tip 999: code 2006 (no such tip)"},
        {{"ls", "nosuch"}, kFailed, "no database has the id or name 'nosuch'"},
        {{"ls", "u", "0x7000"}, kFailed, "code 2004 (no such fukuro)"},
        {{"db", "restore", "u", "--yes"}, kFailed, "code 2011 (there is no backup)"},
    };
    for (const auto& c : cases) sandbox.Expect(c.args, c.exitCode, c.message);
    EXPECT_EQ(Lines(sandbox.Run({"db", "list"}).out).size(), 2u);
    EXPECT_EQ(sandbox.Run({"show", "u", tip}).out, before);
}

// The project's version, and the kit's own as GetVAROKITVersionInfo gives it.
TEST(Usage, VersionNamesTheProjectAndTheKit) {
    VaroSandbox sandbox;
    sandbox.Expect({"--version"}, 0, "varo " VARO_PROJECT_VERSION " (kit 3.0.0.39)\n");
}

TEST(Usage, AnEngineThatCannotBeLoadedIsAFailure) {
    VaroSandbox sandbox;
    // The registry names a suite folder without an engine in it.
    const std::string config = sandbox.Root() + "/config/varokit";
    ASSERT_TRUE(std::filesystem::create_directories(config));
    std::ofstream(config + "/registry") << "[HKEY_CURRENT_USER\\Software\\Orvel\\TRIXPAD]\n\"ROOTDIR\"=\""
                                        << sandbox.Root() << "/nosuite/\"\n";
    sandbox.Expect({"db", "list"}, kFailed, "cannot load the database engine");
}

#ifdef VARO_HAS_CHOOSER
TEST(Usage, TheChooserNeedsADisplay) {
    VaroSandbox sandbox;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) sandbox.SetVariable(variable, "");
    sandbox.Expect({"select"}, kFailed, "no display to show the chooser on: code 3006");
    sandbox.Expect({"select", "--exclude", "nosuch"}, kFailed, "no database has the id or name 'nosuch'");
}
#endif

}  // namespace
