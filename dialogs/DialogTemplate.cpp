#include "DialogTemplate.h"

#include <QFontMetrics>
#include <algorithm>
#include <cstdint>

#include "ShiftJisText.h"

namespace varo {
namespace dialogs {

namespace {

const ControlTemplate kDBSelectControls[] = {
    {kConfirmButtonId, ControlKind::DefaultButton, 4, 163, 50, 14, "\x8a\x4a\x82\xad" /* 開く */},
    {kCloseButtonId, ControlKind::Button, 186, 163, 50, 14, "\x95\xc2\x82\xb6\x82\xe9" /* 閉じる */},
};

struct KindCaption {
    unsigned int kind;
    const char* caption;
};

const KindCaption kConfirmCaptions[] = {
    {10, "\x8a\x4a\x82\xad" /* 開く */},
    {11, "\x93\xc7\x8e\xe6\x90\xea\x97\x70" /* 読取専用 */},
    {12, "\xd8\xbd\xc4\x82\xc9\x93\x6f\x98\x5e" /* ﾘｽﾄに登録 */},
    {13, "\xd8\xbd\xc4\x82\xa9\x82\xe7\x8d\xed\x8f\x9c" /* ﾘｽﾄから削除 */},
    {14, "\x95\xcf\x8d\x58" /* 変更 */},
};
const char* const kConfirmOtherwise = "OK";

const KindCaption kCloseCaptions[] = {
    {20, "\x95\xc2\x82\xb6\x82\xe9" /* 閉じる */},
};
const char* const kCloseOtherwise = "\xb7\xac\xdd\xbe\xd9" /* ｷｬﾝｾﾙ */;

// The folder column never grows past this, whatever length the engine
// reports; a longer folder text is cut at the column's edge.
const int kMaxColumnWidth = 32767;

template <size_t N>
const char* CaptionOf(const KindCaption (&table)[N], unsigned int kind, const char* otherwise) {
    for (const KindCaption& entry : table) {
        if (entry.kind == kind) return entry.caption;
    }
    return otherwise;
}

// a x b / c rounded half up, as the window system scales; template values
// and font measures are never negative.
int ScaleRounded(int a, int b, int c) {
    if (c <= 0) return 0;
    return static_cast<int>((int64_t{a} * b + c / 2) / c);
}

}  // namespace

const DialogTemplate kDBSelectTemplate = {
    201,
    "\xc3\xde\xb0\xc0\xcd\xde\xb0\xbd\x91\x49\x91\xf0" /* ﾃﾞｰﾀﾍﾞｰｽ選択 */,
    "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e" /* ＭＳ ゴシック */,
    9,
    238,
    181,
    kDBSelectControls,
    static_cast<int>(sizeof kDBSelectControls / sizeof kDBSelectControls[0]),
};

const ColumnTemplate kColumns[kColumnCount] = {
    {"", 18},
    {"\x96\xbc\x91\x4f" /* 名前 */, 124},
    {"\xc3\xde\xb0\xc0\xcd\xde\xb0\xbd\xcc\xab\xd9\xc0\xde" /* ﾃﾞｰﾀﾍﾞｰｽﾌｫﾙﾀﾞ */, 197},
};

const char* ConfirmCaption(unsigned int confirmKind) {
    return CaptionOf(kConfirmCaptions, confirmKind, kConfirmOtherwise);
}

const char* CloseCaption(unsigned int closeKind) { return CaptionOf(kCloseCaptions, closeKind, kCloseOtherwise); }

int FolderColumnWidth(int averageCharWidth, int longestFolderBytes) {
    const int64_t wanted = int64_t{averageCharWidth - 1} * longestFolderBytes;
    const int64_t floor = kColumns[kFolderColumn].width;
    return static_cast<int>(std::min<int64_t>(std::max(wanted, floor), kMaxColumnWidth));
}

// The average letter width is that of the 52 Latin letters, rounded the
// way the original window system rounds it.
DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int letters = metrics.horizontalAdvance(alphabet);
    m_baseWidth = (letters / 26 + 1) / 2;
    m_baseHeight = metrics.height();
}

int DialogUnits::ToPixelsX(int units) const { return ScaleRounded(units, m_baseWidth, 4); }
int DialogUnits::ToPixelsY(int units) const { return ScaleRounded(units, m_baseHeight, 8); }

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
    return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height));
}

QFont TemplateFont(const DialogTemplate& dialog) {
    QFont font(FromShiftJis(dialog.fontFace));
    font.setPointSize(dialog.fontPoints);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

}  // namespace dialogs
}  // namespace varo
