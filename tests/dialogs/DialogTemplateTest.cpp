#include <gtest/gtest.h>

#include "DatabaseRows.h"
#include "DialogTemplate.h"
#include "ShiftJisText.h"

using namespace varo::dialogs;

namespace {

QString Utf16(const char16_t* text) { return QString::fromUtf16(text); }

TEST(DialogTemplateTest, ButtonCaptionsFollowTheKinds) {
    const std::pair<unsigned int, const char16_t*> confirms[] = {
        {10, u"\u958b\u304f"},                                   // 開く
        {11, u"\u8aad\u53d6\u5c02\u7528"},                       // 読取専用
        {12, u"\uff98\uff7d\uff84\u306b\u767b\u9332"},           // ﾘｽﾄに登録
        {13, u"\uff98\uff7d\uff84\u304b\u3089\u524a\u9664"},     // ﾘｽﾄから削除
        {14, u"\u5909\u66f4"},                                   // 変更
        {0, u"OK"}, {9, u"OK"}, {15, u"OK"}, {0xFFFFFFFFu, u"OK"},
    };
    for (const auto& [kind, caption] : confirms) EXPECT_EQ(FromShiftJis(ConfirmCaption(kind)), Utf16(caption)) << kind;
    EXPECT_EQ(FromShiftJis(CloseCaption(20)), Utf16(u"\u9589\u3058\u308b"));  // 閉じる
    for (unsigned int other : {0u, 10u, 21u}) {
        EXPECT_EQ(FromShiftJis(CloseCaption(other)), Utf16(u"\uff77\uff6c\uff9d\uff7e\uff99")) << other;  // ｷｬﾝｾﾙ
    }
}

TEST(DialogTemplateTest, UnitsAndFolderColumnWidthsScaleAndRoundLikeTheWindowSystem) {
    const DialogUnits units(6, 12);
    EXPECT_EQ(units.ToPixelsX(kDBSelectTemplate.width), 357);
    EXPECT_EQ(units.ToPixelsY(kDBSelectTemplate.height), 272);  // 271.5 rounds up
    EXPECT_EQ(units.ToPixels(4, 163, 50, 14), QRect(6, 245, 75, 21));
    EXPECT_EQ(DialogUnits(7, 13).ToPixels(186, 163, 50, 14), QRect(326, 265, 88, 23));
    // (average width - 1) x longest folder bytes, never below 197, held to 16 bits.
    const int widths[][3] = {{7, 30, 197}, {7, 60, 360}, {7, 33, 198}, {1, 500, 197}, {0, 500, 197},
                             {40, 0x7FFFFFFF, 32767}};
    for (const auto& row : widths) EXPECT_EQ(FolderColumnWidth(row[0], row[1]), row[2]) << row[0] << " " << row[1];
}

TEST(DialogTemplateTest, FolderIsTheLocationLessItsFileName) {
    const std::pair<const char*, const char*> rows[] = {
        {"/data/vdb0000002a/vdb0000002a.sqlite", "/data/vdb0000002a/"}, {"vdb0000002a.sqlite", ""}, {"short", ""},
        {"", ""},
        // A two-byte character kept whole, and one the cut would split left out.
        {"\x8a\x94" /* 株 */ "vdb0000002a.sqlite", "\x8a\x94"}, {"ab\x8a\x94" /* 株 */ "db0000002a.sqlite", "ab"},
        {"\x8a\x94" /* 株 */ "db0000002a.sqlite", ""}};
    for (const auto& [location, folder] : rows) EXPECT_EQ(FolderOfLocation(location), folder) << location;
}

}  // namespace
