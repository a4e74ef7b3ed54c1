#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <string>

#include "StoredTip.h"
#include "../kit/KitTestSupport.h"

using namespace varo;

namespace {

// The ids of the link list field, which follow its 4-byte count.
std::vector<uint32_t> LinksOf(TIPFIELD** buffer) {
    for (TIPFIELD** f = buffer; *f; ++f) {
        if (std::string((*f)->tag) == "LIDS" && (*f)->length >= 4) return IdsAt((*f)->data + 4, (*f)->length / 4 - 1);
    }
    return {};
}

class PageBoardTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        m_kit.SetTipID(0);
        m_kit.SetTipFlag(0x300);
        m_todo = StoredTip::FromRecord();
        engine().OnCall(kOpGetTip, [this](const EngineArg* args, int) {
            *args[3].addressOut = m_todo.Buffer();
            return 0;
        });
        engine().OnCall(kOpPutTip, [this](const EngineArg* args, int) {
            m_putLinks = LinksOf(static_cast<TIPFIELD**>(args[3].address));
            *args[2].i4Out = 600;
            return 0;
        });
    }

    // The board fukuro holds page boards with these many pins (1000, 1001,
    // ...), in this order, after a to-do that lies there too.
    void ServeBoards(const std::vector<int>& pinned) {
        m_tips = {m_todo};
        for (int count : pinned) {
            m_kit.SetTipFlag(0x800);
            CSelectTips links;
            for (int i = 0; i < count; ++i) links.Add(1000 + i);
            m_kit.SetLinkData(links);
            m_tips.push_back(StoredTip::FromRecord());
        }
        m_read = 0;
        engine().OnCall(kOpReadTip, [this](const EngineArg* args, int) {
            if (m_read < m_tips.size()) {
                *args[3].i4Out = static_cast<int32_t>(700 + m_read);
                *args[4].addressOut = m_tips[m_read++].Buffer();
            }
            return 0;
        });
    }

    StoredTip m_todo;  // the tip pinned, and one lying in the board fukuro
    std::vector<StoredTip> m_tips;
    std::vector<uint32_t> m_putLinks;
    size_t m_read = 0;
};

TEST_F(PageBoardTest, PinsOntoTheFirstBoardUntilItHoldsNinety) {
    ServeBoards({89, 0});
    EXPECT_EQ(m_kit.NotePut(1, 42), 0);
    ASSERT_EQ(m_putLinks.size(), 90u);
    EXPECT_EQ(m_putLinks.back(), 42u);
    EXPECT_EQ(engine().Ops().back(), kOpFukuroClose);
    ServeBoards({90, 0});
    engine().calls.clear();
    EXPECT_EQ(m_kit.NotePut(1, 43), VARO_ERR_BOARD_FULL);
    EXPECT_EQ(engine().CallsOf(kOpPutTip), 0);
    EXPECT_EQ(engine().Ops().back(), kOpFukuroClose);

    // Without a board one is made; a tip already pinned is pinned again.
    ServeBoards({});
    EXPECT_EQ(m_kit.NotePut(1, 42), 0);
    EXPECT_EQ(m_putLinks, std::vector<uint32_t>{42});
    EXPECT_EQ(engine().LastCall(kOpPutTip)->args[1].value, 0x300E);
    ServeBoards({1});
    EXPECT_EQ(m_kit.NotePut(1, 1000), 0);
    EXPECT_EQ(m_putLinks, (std::vector<uint32_t>{1000, 1000}));
    engine().calls.clear();
    engine().Answer(kOpFukuroLockOpen, {2003});
    EXPECT_EQ(m_kit.NotePut(1, 1), 2003);
    EXPECT_EQ(engine().CallsOf(kOpFukuroClose), 0);
}

class FileExistTest : public KitTest {
protected:
    void SetUp() override {
        KitTest::SetUp();
        char pattern[] = "/tmp/varo-docs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        std::ofstream(m_dir + "/note.txt") << "x";
        engine().OnCall(kOpGetDBLocation, [this](const EngineArg* args, int) {
            EXPECT_EQ(args[1].i4, 2);
            *args[2].textOut = engine().NewText(std::u16string(m_dir.begin(), m_dir.end()));
            return 1;
        });
    }
    void TearDown() override { (void)system(("rm -rf '" + m_dir + "'").c_str()); }
    std::string m_dir;
};

TEST_F(FileExistTest, LooksOnlyInsideTheDocumentsFolder) {
    m_kit.SetTipID(0);
    m_kit.SetTipFlag(0x503);
    m_kit.SetFilename("note.txt");
    EXPECT_EQ(m_kit.IsFileExist(1), 1);
    m_kit.SetFilename("other.txt");
    EXPECT_EQ(m_kit.IsFileExist(1), 0);
    const int asked = engine().CallsOf(kOpGetDBLocation);
    for (const char* escape : {"../note.txt", "..", ".", "/note.txt", "\\note.txt", "C:\\note.txt",
                               "sub/../../note.txt", "sub\\..\\note.txt"}) {
        m_kit.SetFilename(escape);
        EXPECT_EQ(m_kit.IsFileExist(1), 0) << escape;
    }
    EXPECT_EQ(engine().CallsOf(kOpGetDBLocation), asked);  // none reached the file system
    // Names written on either system may lead into a folder below.
    ASSERT_EQ(mkdir((m_dir + "/sub").c_str(), 0700), 0);
    std::ofstream(m_dir + "/sub/in.txt") << "x";
    for (const char* inside : {"sub/in.txt", "sub\\in.txt", ".\\sub\\in.txt", "sub//in.txt"}) {
        m_kit.SetFilename(inside);
        EXPECT_EQ(m_kit.IsFileExist(1), 1) << inside;
    }
    m_kit.SetFilename("sub\\out.txt");
    EXPECT_EQ(m_kit.IsFileExist(1), 0);
    // 0x5C as the trail byte of a two-byte character is not a separator.
    std::ofstream(m_dir + "/\xe8\xa1\xa8.txt") << "x";  // 表.txt in UTF-8
    m_kit.SetFilename("\x95\x5c.txt");
    EXPECT_EQ(m_kit.IsFileExist(1), 1);

    m_kit.SetTipFlag(0x401);  // a kind without a file name
    engine().calls.clear();
    EXPECT_EQ(m_kit.IsFileExist(1), 0);
    EXPECT_EQ(engine().CallsOf(kOpGetDBLocation), 0);
}

}  // namespace
