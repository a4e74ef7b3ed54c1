// varo setup: ROOTDIR written for an installed suite, and what the kit then
// does with it: load the engine found there and keep the data beside it;
// SERVER written for a database server, which every engine then uses.
#include <gtest/gtest.h>

#include <filesystem>

#include "VaroRunner.h"

namespace {

namespace fs = std::filesystem;

// The engine path `varo setup` printed on its "engine: " line.
std::string PrintedEngine(const VaroResult& result) {
    for (const std::string& line : Lines(result.out)) {
        if (line.rfind("engine: ", 0) == 0) return line.substr(8);
    }
    return std::string();
}

TEST(SetupCommand, RecordsTheSuiteFolderWhichTheKitThenUses) {
    VaroSandbox sandbox;
    // By default, the folder of the engine varo was built with.
    const VaroResult builtIn = sandbox.Expect({"setup"}, 0, "wrote ROOTDIR=\"");
    const std::string engine = PrintedEngine(builtIn);
    ASSERT_TRUE(fs::exists(engine)) << builtIn.out;

    // An installed suite elsewhere: its engine, and with no data folder of
    // the user's own, its data beside it.
    const std::string suite = sandbox.Root() + "/suite";
    fs::create_directories(suite);
    fs::copy_file(engine, suite + "/VARO.ocx");
    sandbox.SetVariable("VARO_DATA_DIR", "");
    const VaroResult installed = sandbox.Expect({"setup", suite}, 0, "data folder: " + suite + "/data/");
    EXPECT_EQ(PrintedEngine(installed), suite + "/VARO.ocx");
    EXPECT_TRUE(Contains(installed.out, "wrote ROOTDIR=\"" + suite + "/\""));
    sandbox.Expect({"db", "create", "office"}, 0);
    EXPECT_TRUE(fs::exists(suite + "/data/vdb00000001/vdb00000001.sqlite"));

    // Nothing is written for a folder that is not a suite's; the last
    // setting stays.
    sandbox.Expect({"setup", sandbox.Root() + "/missing"}, 1, "no such folder");
    sandbox.Expect({"setup", sandbox.Root()}, 1, "no engine VARO.ocx in " + sandbox.Root() + "/");
    const std::string deep = suite + "/" + std::string(240, 'x');
    fs::create_directories(deep);
    fs::copy_file(engine, deep + "/VARO.ocx");
    sandbox.Expect({"setup", deep}, 1, "too long for the suite");
    EXPECT_TRUE(Contains(sandbox.Run({"db", "list"}).out, "office"));
}

// A server out of reach shows that the engine took SERVER from the registry:
// the same command worked on files before and works again once it is gone.
// The connection string, with its password, is never printed.
TEST(SetupCommand, RecordsTheServerWhichEveryEngineThenUses) {
    VaroSandbox sandbox;
    sandbox.SetVariable("VARO_SERVER", "");
    sandbox.Expect({"db", "create", "office"}, 0);
    const std::string server = "host=" + sandbox.Root() + "/no-server dbname=varo password=s3cret connect_timeout=2";
    const VaroResult written = sandbox.Expect({"setup", "--server", server}, 0, "wrote SERVER");
    const VaroResult refused = sandbox.Expect({"db", "create", "shop"}, 1, "the database server cannot be reached");
    const VaroResult unlisted = sandbox.Expect({"db", "list"}, 1);
    for (const VaroResult& result : {written, refused, unlisted}) {
        EXPECT_FALSE(Contains(result.out + result.err, "s3cret")) << result.out << result.err;
    }
    sandbox.Expect({"setup", "--server", ""}, 0, "removed SERVER");
    EXPECT_TRUE(Contains(sandbox.Run({"db", "list"}).out, "office"));
    sandbox.Expect({"setup", "--server", std::string(300, 'x')}, 1, "too long");
}

}  // namespace
