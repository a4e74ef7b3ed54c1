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

// The database drum of bitmap 538, one character a pixel from its top-left
// corner: 'X' near-black, 'o' white, '.' surround.
const char* const kDatabaseRows[] = {
    "................",
    "....XXXXXXXX....",
    "..XXooooooooXX..",
    "..XooooooooooX..",
    "..XXooooooooXX..",
    "..XoXXXXXXXXoX..",
    "..XooooooooooX..",
    "..XooooooooooX..",
    "..XXooooooooXX..",
    "..XoXXXXXXXXoX..",
    "..XooooooooooX..",
    "..XooooooooooX..",
    "..XXooooooooXX..",
    "....XXXXXXXX....",
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

QImage DatabaseBitmapImage() {
    QImage image(kDatabaseBitmapSize, kDatabaseBitmapSize, QImage::Format_RGB32);
    image.fill(ImageListTransparent());
    int y = 0;
    for (const char* row : kDatabaseRows) {
        for (int x = 0; row[x] != '\0'; ++x) {
            if (row[x] == 'X') image.setPixel(x, y, kNearBlack);
            if (row[x] == 'o') image.setPixel(x, y, kWhite);
        }
        ++y;
    }
    return image;
}

QImage ListBitmapImage(int id) {
    switch (id) {
        case static_cast<int>(MarkBitmap::Checked):
        case static_cast<int>(MarkBitmap::Unchecked):
            return MarkBitmapImage(static_cast<MarkBitmap>(id));
        case kDatabaseBitmapId:
            return DatabaseBitmapImage();
        default:
            return QImage();
    }
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
