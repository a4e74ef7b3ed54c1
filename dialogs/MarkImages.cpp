#include "MarkImages.h"

namespace varo {
namespace dialogs {

namespace {

// The box: 12 x 12 pixels two in from every edge, a one-pixel near-black
// frame, white inside.
const int kBoxInset = 2;
const int kBoxSize = 12;
const QRgb kNearBlack = qRgb(4, 4, 4);
const QRgb kWhite = qRgb(255, 255, 255);

// The check mark of bitmap 536, 'X' for a near-black pixel, placed with its
// top-left corner at (kCheckLeft, kCheckTop) inside the box.
const int kCheckLeft = 4;
const int kCheckTop = 5;
const char* const kCheckRows[] = {
    "......X",
    ".....XX",
    "X...XXX",
    "XX.XXX.",
    "XXXXX..",
    ".XXX...",
    "..X....",
};

void DrawBox(QImage& image) {
    for (int y = kBoxInset; y < kBoxInset + kBoxSize; ++y) {
        for (int x = kBoxInset; x < kBoxInset + kBoxSize; ++x) {
            const bool edge = x == kBoxInset || y == kBoxInset || x == kBoxInset + kBoxSize - 1 ||
                              y == kBoxInset + kBoxSize - 1;
            image.setPixel(x, y, edge ? kNearBlack : kWhite);
        }
    }
}

void DrawCheck(QImage& image) {
    int y = kCheckTop;
    for (const char* row : kCheckRows) {
        for (int x = 0; row[x] != '\0'; ++x) {
            if (row[x] == 'X') image.setPixel(kCheckLeft + x, y, kNearBlack);
        }
        ++y;
    }
}

}  // namespace

QImage MarkBitmapImage(MarkBitmap which) {
    QImage image(kMarkImageSize, kMarkImageSize, QImage::Format_RGB32);
    image.fill(ImageListTransparent());
    DrawBox(image);
    if (which == MarkBitmap::Checked) DrawCheck(image);
    return image;
}

QPixmap MaskedPixmap(const QImage& image, QColor transparent) {
    QImage masked = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb();
    for (int y = 0; y < masked.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
        for (int x = 0; x < masked.width(); ++x) {
            if ((line[x] | 0xff000000u) == (key | 0xff000000u)) line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return QPixmap::fromImage(masked);
}

}  // namespace dialogs
}  // namespace varo
