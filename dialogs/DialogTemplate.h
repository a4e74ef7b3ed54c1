// The database chooser's dialog template (resource 201), its button captions
// and list columns, kept as data, with the rules that turn them into pixels.
//
// Texts are code page 932 bytes exactly as the resource holds them; the
// dialog converts them only to show them. Positions and sizes in the
// template are dialog units of the template's font; DialogUnits turns them
// into pixels the way the original window system does. All values are
// constants: safe from any thread.
#pragma once

#include <QFont>
#include <QRect>

namespace varo {
namespace dialogs {

enum class ControlKind { DefaultButton, Button };

struct ControlTemplate {
    int id;
    ControlKind kind;
    int x, y, width, height;  // dialog units
    const char* text;         // initial caption, replaced when the dialog starts
};

struct DialogTemplate {
    int id;
    const char* caption;
    const char* fontFace;
    int fontPoints;
    int width, height;  // dialog units of the client area
    const ControlTemplate* controls;
    int controlCount;
};

extern const DialogTemplate kDBSelectTemplate;

const int kConfirmButtonId = 202;
const int kCloseButtonId = 203;
const int kListId = 204;

// The list fills the client area less these pixels on each side.
struct PixelInsets {
    int left, top, right, bottom;
};
const PixelInsets kListInsets = {7, 7, 7, 35};

// Captions of buttons 202 and 203 for the caller's confirm and close kinds.
const char* ConfirmCaption(unsigned int confirmKind);
const char* CloseCaption(unsigned int closeKind);

struct ColumnTemplate {
    const char* title;
    int width;  // pixels
};
const int kColumnCount = 3;
const int kMarkColumn = 0;
const int kNameColumn = 1;
const int kFolderColumn = 2;
extern const ColumnTemplate kColumns[kColumnCount];

// The width of the folder column for a longest folder text of
// `longestFolderBytes` bytes in a font of average character width
// `averageCharWidth`: (W - 1) x L, never below the column's own width.
int FolderColumnWidth(int averageCharWidth, int longestFolderBytes);

// Dialog units of a font: a horizontal unit is a quarter of the font's
// average letter width, a vertical one an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseWidth, int baseHeight) : m_baseWidth(baseWidth), m_baseHeight(baseHeight) {}
    int ToPixelsX(int units) const;
    int ToPixelsY(int units) const;
    QRect ToPixels(int x, int y, int width, int height) const;

private:
    int m_baseWidth;
    int m_baseHeight;
};

// The font the template names, at its point size. Where the face is not
// installed a fixed-pitch face stands in, as the named face is fixed-pitch.
QFont TemplateFont(const DialogTemplate& dialog);

}  // namespace dialogs
}  // namespace varo
