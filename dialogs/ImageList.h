// CImageList: images of one size, each cut from a bitmap as the original
// list control's image lists take them: a bitmap gives as many images as
// whole image widths fit across it, each from its top rows, with one
// colour made transparent.
//
// A value type; its pixmaps need a QGuiApplication.
#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <vector>

namespace varo {
namespace dialogs {

class CImageList {
public:
    explicit CImageList(int imageSize) : m_size(imageSize, imageSize) {}

    // Adds the images cut from `bitmap` with `transparent` made transparent;
    // the index of the first one, or -1 when the bitmap is narrower than
    // one image (then nothing is added).
    int AddMasked(const QImage& bitmap, QColor transparent);

    QSize ImageSize() const { return m_size; }
    int Count() const { return static_cast<int>(m_images.size()); }
    // Image `index`; a null pixmap for an index the list does not hold.
    QPixmap Image(int index) const;

private:
    QSize m_size;
    std::vector<QPixmap> m_images;
};

}  // namespace dialogs
}  // namespace varo
