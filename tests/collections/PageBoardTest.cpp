#include <stdlib.h>

#include <fstream>
#include <string>

#include "StoredTip.h"
#include "../kit/KitTestSupport.h"

using namespace varo;

namespace {

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
            m_putBoard = LinksOf(static_cast<TIPFIELD**>(args[3].address));
            *args[2].i4Out = 600;
            return 0;
        });
    }

    // The fukuro holds `tips` in this order; ReadTip walks them.
    void ServeBoardFukuro(std::vector<StoredTip>* tips) {
        engine().OnCall(kOpReadTip, [this, tips](const EngineArg* args, int) {
            if (m_read < tips->size()) {
                *args[3].i4Out = static_cast<int32_t>(700 + m_read);
                *args[4].addressOut = (*tips)[m_read++].Buffer();
            }
            return 0;
        });
    }

    static StoredTip Board(int pinned) {
        CVAROObj kit;
        kit.SetTipID(0);
        kit.SetTipFlag(0x800);
        CSelectTips links;
        for (int i = 0; i < pinned; ++i) links.Add(1000 + i);
        kit.SetLinkData(links);
        return StoredTip::FromRecord();
    }

    // The link list of the last page board put.
    std::vector<uint32_t> PutLinks() {
        std::vector<uint32_t> ids;
        const std::string& l = m_putBoard;
        for (size_t at = 4; at + 4 <= l.size(); at += 4) {
            ids.push_back(static_cast<unsigned char>(l[at]) | static_cast<unsigned char>(l[at + 1]) << 8 |
                          static_cast<unsigned char>(l[at + 2]) << 16 | uint32_t{static_cast<unsigned char>(l[at + 3])} << 24);
        }
        return ids;
    }

    static std::string LinksOf(TIPFIELD** buffer) {
        for (TIPFIELD** f = buffer; *f; ++f) {
            if (std::string((*f)->tag) == "LIDS") return std::string(reinterpret_cast<char*>((*f)->data), (*f)->length);
        }
        return std::string();
    }

    StoredTip m_todo;
    std::string m_putBoard;
    size_t m_read = 0;
};

TEST_F(PageBoardTest, PinsOntoTheFirstBoardUntilItHoldsNinety) {
    std::vector<StoredTip> tips;
    tips.push_back(StoredTip::FromRecord());  // a to-do lying in the fukuro is skipped
    tips.push_back(Board(89));
    tips.push_back(Board(0));
    ServeBoardFukuro(&tips);
    EXPECT_EQ(m_kit.NotePut(1, 42), 0);
    const std::vector<uint32_t> links = PutLinks();
    ASSERT_EQ(links.size(), 90u);
    EXPECT_EQ(links.back(), 42u);
    EXPECT_EQ(engine().Ops().back(), kOpFukuroClose);

    std::vector<StoredTip> full;
    full.push_back(Board(90));
    full.push_back(Board(0));
    m_read = 0;
    ServeBoardFukuro(&full);
    engine().calls.clear();
    EXPECT_EQ(m_kit.NotePut(1, 43), VARO_ERR_BOARD_FULL);
    EXPECT_EQ(engine().CallsOf(kOpPutTip), 0);
    EXPECT_EQ(engine().Ops().back(), kOpFukuroClose);
}

TEST_F(PageBoardTest, MakesABoardWhenThereIsNoneAndAllowsDuplicates) {
    std::vector<StoredTip> none;
    ServeBoardFukuro(&none);
    EXPECT_EQ(m_kit.NotePut(1, 42), 0);
    EXPECT_EQ(PutLinks(), std::vector<uint32_t>{42});
    EXPECT_EQ(engine().LastCall(kOpPutTip)->args[1].value, 0x300E);

    std::vector<StoredTip> once;
    once.push_back(Board(0));
    m_read = 0;
    ServeBoardFukuro(&once);
    EXPECT_EQ(m_kit.NotePut(1, 1000), 0);
    EXPECT_EQ(PutLinks(), std::vector<uint32_t>{1000});
    std::vector<StoredTip> again;
    again.push_back(Board(1));
    m_read = 0;
    ServeBoardFukuro(&again);
    EXPECT_EQ(m_kit.NotePut(1, 1000), 0);
    EXPECT_EQ(PutLinks(), (std::vector<uint32_t>{1000, 1000}));

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
            std::u16string folder(m_dir.begin(), m_dir.end());
            *args[2].textOut = engine().NewText(folder);
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
    for (const char* escape : {"../note.txt", "..", "sub/note.txt", "a\\b"}) {
        m_kit.SetFilename(escape);
        EXPECT_EQ(m_kit.IsFileExist(1), 0) << escape;
    }
    EXPECT_EQ(engine().CallsOf(kOpGetDBLocation), asked);  // none reached the file system
    // 0x5C as the trail byte of a two-byte character is not a separator.
    std::ofstream(m_dir + "/\xe8\xa1\xa8.txt") << "x";  // 表.txt in UTF-8
    m_kit.SetFilename("\x95\x5c.txt");
    EXPECT_EQ(m_kit.IsFileExist(1), 1);

    m_kit.SetTipFlag(0x401);
    engine().calls.clear();
    EXPECT_EQ(m_kit.IsFileExist(1), 0);
    EXPECT_EQ(engine().CallsOf(kOpGetDBLocation), 0);
}

}  // namespace
