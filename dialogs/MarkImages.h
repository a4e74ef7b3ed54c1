// The mark images of the owner-drawn list, drawn in code: bitmap 536, a
// checked box (the mark of the default database), and bitmap 537, an empty
// box. Each is 16 x 16 pixels on a cyan surround, and cyan is the colour
// made transparent when the images are put into the list's image list.
//
// Needs a QGuiApplication for the pixmaps; the plain images need none.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>

namespace varo {
namespace dialogs {

enum class MarkBitmap { Checked = 536, Unchecked = 537 };

const int kMarkImageSize = 16;

// The bitmap as the resource holds it, cyan surround included.
QImage MarkBitmapImage(MarkBitmap which);

// `image` with every pixel of colour `transparent` made fully transparent.
QPixmap MaskedPixmap(const QImage& image, QColor transparent);

// The transparent colour of every bitmap of the list.
inline QColor ImageListTransparent() { return QColor(0, 255, 255); }

}  // namespace dialogs
}  // namespace varo
