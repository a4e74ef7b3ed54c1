#include "ImageList.h"

#include <QPainter>

#include "MarkImages.h"

namespace varo {
namespace dialogs {

namespace {

// The tile of `bitmap` at column `index`, on a transparent image of the
// list's size where the bitmap is shorter than an image.
QImage Tile(const QImage& bitmap, int index, QSize size) {
    QImage tile(size, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    QPainter painter(&tile);
    painter.drawImage(QPoint(0, 0), bitmap, QRect(QPoint(index * size.width(), 0), size));
    return tile;
}

}  // namespace

int CImageList::AddMasked(const QImage& bitmap, QColor transparent) {
    const int count = m_size.width() > 0 ? bitmap.width() / m_size.width() : 0;
    if (count == 0) return -1;
    const int first = Count();
    for (int i = 0; i < count; ++i) m_images.push_back(MaskedPixmap(Tile(bitmap, i, m_size), transparent));
    return first;
}

QPixmap CImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return QPixmap();
    return m_images[static_cast<size_t>(index)];
}

}  // namespace dialogs
}  // namespace varo
