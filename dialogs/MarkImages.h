// The bitmaps of the owner-drawn list, drawn in code: bitmap 536, a checked
// box (the mark of the default database), and bitmap 537, an empty box, each
// 16 x 16 pixels; and bitmap 538, the picture of an image column, 36 x 36
// pixels. All are on a cyan surround, and cyan is the colour made
// transparent when they are put into the list's image list.
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

// Bitmap 538. The list's image list takes only its top-left 16 x 16 pixels
// (its images are 16 x 16, cut from the top rows), so the picture, a
// database drum, is drawn there; the rest is surround.
const int kDatabaseBitmapId = 538;
const int kDatabaseBitmapSize = 36;
QImage DatabaseBitmapImage();

// The bitmap of resource `id` (536, 537 or 538); a null image for any other.
QImage ListBitmapImage(int id);

// `image` with every pixel of colour `transparent` made fully transparent.
QPixmap MaskedPixmap(const QImage& image, QColor transparent);

// The transparent colour of every bitmap of the list.
inline QColor ImageListTransparent() { return QColor(0, 255, 255); }

}  // namespace dialogs
}  // namespace varo
