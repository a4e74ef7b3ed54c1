// varo export and varo import as a user runs them: formats by extension or
// option, the summary with each skip and its line, updates on a second
// import, progress on a terminal, and the usage errors.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "VaroRunner.h"

namespace {

class InterchangeCommands : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_sandbox.Run({"db", "create", "t"}).exitCode, 0); }

    std::string Path(const std::string& name) const { return m_sandbox.Root() + "/" + name; }

    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(Path(name), std::ios::binary) << text;
    }

    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    VaroSandbox m_sandbox;
};

const char kCalendar[] =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"
    "BEGIN:VTODO\r\nUID:t1\r\nSUMMARY:milk\r\nDUE;VALUE=DATE:20300131\r\nEND:VTODO\r\n"
    "BEGIN:VEVENT\r\nUID:e1\r\nSUMMARY:no start\r\nEND:VEVENT\r\n"
    "BEGIN:VEVENT\r\nUID:e2\r\nSUMMARY:meeting\r\nDTSTART:20300201T010000Z\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";

TEST_F(InterchangeCommands, ImportSummarisesAndASecondImportUpdates) {
    Write("in.ics", kCalendar);
    const VaroResult first = m_sandbox.Expect({"import", "t", Path("in.ics")}, 0);
    EXPECT_EQ(first.out, "imported: 2 added, 0 updated, 1 skipped\n  skipped " + Path("in.ics") +
                             ": line 8: no DTSTART the suite can hold (years 1901-2099)\n");
    EXPECT_TRUE(Contains(m_sandbox.Expect({"ls", "t", "todo"}, 0).out, "30/01/31"));
    EXPECT_TRUE(Contains(m_sandbox.Expect({"import", "t", Path("in.ics")}, 0).out, "0 added, 2 updated, 1 skipped"));
    EXPECT_TRUE(Contains(m_sandbox.Expect({"ls", "t", "todo"}, 0).out, "1 tip"));
}

TEST_F(InterchangeCommands, ExportTakesTheFormatFromTheExtensionOrTheOption) {
    m_sandbox.Expect({"add", "card", "t", "Alice", "--office-tel", "03-1111-2222"}, 0);
    m_sandbox.Expect({"add", "todo", "t", "milk"}, 0);
    EXPECT_EQ(m_sandbox.Expect({"export", "t", "-o", Path("cards.vcf")}, 0).out,
              "exported 1 tip to " + Path("cards.vcf") + "\n");
    EXPECT_TRUE(Contains(Read("cards.vcf"), "VERSION:3.0\r\n"));
    EXPECT_TRUE(Contains(Read("cards.vcf"), "TEL;TYPE=WORK,VOICE:03-1111-2222\r\n"));
    m_sandbox.Expect({"export", "t", "--output", Path("cards.txt"), "--format", "vcf21"}, 0);
    EXPECT_TRUE(Contains(Read("cards.txt"), "VERSION:2.1\r\nUID:"));
    m_sandbox.Expect({"export", "t", "todo", "--kind", "todo", "-o", Path("todo.ics")}, 0, "exported 1 tip");
    EXPECT_TRUE(Contains(Read("todo.ics"), "SUMMARY:milk\r\n"));
    // The same tips exported again carry the same UIDs.
    const std::string uid = Read("todo.ics").substr(Read("todo.ics").find("UID:"), 30);
    m_sandbox.Expect({"export", "t", "-o", Path("again.ics")}, 0);
    EXPECT_TRUE(Contains(Read("again.ics"), uid));
}

TEST_F(InterchangeCommands, ProgressIsDrawnOnATerminalOnly) {
    Write("in.ics", kCalendar);
    const VaroResult shown = m_sandbox.Run({"import", "t", Path("in.ics")}, true);
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_TRUE(Contains(shown.err, "importing " + Path("in.ics")));
    EXPECT_EQ(m_sandbox.Run({"import", "t", Path("in.ics")}).err, "");
}

TEST_F(InterchangeCommands, UsageErrors) {
    m_sandbox.Expect({"export", "t"}, 2, "export needs -o FILE");
    m_sandbox.Expect({"export", "t", "-o", Path("x.txt")}, 2, "cannot tell the format");
    m_sandbox.Expect({"export", "t", "-o", Path("x.ics"), "--format", "pdf"}, 2, "--format must be");
    m_sandbox.Expect({"export", "t", "-o", Path("x.ics"), "--kind", "card"}, 2, "card tips go to vCard");
    m_sandbox.Expect({"export", "t", "nofukuro", "-o", Path("x.ics")}, 2, "FUKURO must be");
    m_sandbox.Expect({"import", "t", Path("missing.ics")}, 1, "cannot read");
    m_sandbox.Expect({"import", "t", Path("x.ics"), "--fukuro", "zz"}, 2, "--fukuro must be");
    // A failed export leaves nothing behind.
    m_sandbox.Expect({"export", "t", "-o", Path("no/such/folder/x.ics")}, 1, "cannot write");
}

}  // namespace
