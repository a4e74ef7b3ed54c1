#include "OwnerDrawList.h"

#include <QMouseEvent>
#include <QResizeEvent>
#include <QPainter>
#include <QStandardItemModel>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>


namespace varo {
namespace dialogs {

namespace {

const int kCheckedImage = 0;
const int kEmptyImage = 1;
const int kPictureImage = 2;

// Every row is as high as the list says whatever its texts.
class FixedRowDelegate : public QStyledItemDelegate {
public:
    explicit FixedRowDelegate(COwnerDrawList* list) : QStyledItemDelegate(list), m_list(list) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), m_list->RowHeight());
    }

private:
    const COwnerDrawList* m_list;
};

// The dots of a focus rectangle: every other pixel of its outline.
QVector<QPoint> FocusDots(const QRect& rect) {
    QVector<QPoint> dots;
    auto add = [&dots, &rect](int x, int y) {
        if (((x - rect.left()) + (y - rect.top())) % 2 == 0) dots.append(QPoint(x, y));
    };
    for (int x = rect.left(); x <= rect.right(); ++x) {
        add(x, rect.top());
        if (rect.bottom() > rect.top()) add(x, rect.bottom());
    }
    for (int y = rect.top() + 1; y < rect.bottom(); ++y) {
        add(rect.left(), y);
        if (rect.right() > rect.left()) add(rect.right(), y);
    }
    return dots;
}

// The focus rectangle inverts what it covers, so drawing it twice removes it.
void DrawFocusRect(QPainter& painter, const QRect& rect) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 0));
    painter.drawPoints(FocusDots(rect));
    painter.restore();
}

}  // namespace

QString CListRow::Text(int column) const {
    if (column < 0 || column >= static_cast<int>(m_texts.size())) return QString();
    return m_texts[static_cast<size_t>(column)];
}

COwnerDrawHeader::COwnerDrawHeader(unsigned int options, int markColumn, int imageColumn, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_options(options), m_markColumn(markColumn), m_imageColumn(imageColumn) {
    setHighlightSections(false);
    setStretchLastSection(false);
    setMinimumSectionSize(0);
}

QSize COwnerDrawHeader::sizeHint() const {
    QSize hint = QHeaderView::sizeHint();
    hint.setHeight(std::clamp(hint.height(), minimumHeight(), maximumHeight()));
    return hint;
}

int COwnerDrawHeader::DividerAt(int x) const {
    const int column = logicalIndexAt(x);
    if (column < 0) return kNoColumn;
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    const int left = sectionViewportPosition(column);
    if (x < left + grip) return column > 0 ? column - 1 : kNoColumn;
    if (x > left + sectionSize(column) - grip) return column;
    return kNoColumn;
}

// A divider resizes the column to its left, so a special column's own
// divider is as fixed as the column.
bool COwnerDrawHeader::IgnoresPressAt(int x) const {
    const int divider = DividerAt(x);
    if (divider != kNoColumn) return (m_options & kListFixedColumns) != 0 || IsSpecialColumn(divider);
    const int column = logicalIndexAt(x);
    if (column < 0) return false;
    return (m_options & kListInertHeader) != 0 || IsSpecialColumn(column);
}

bool COwnerDrawHeader::KeepsArrowAt(int x) const {
    return (m_options & kListFixedColumns) != 0 || IsSpecialColumn(DividerAt(x)) || IsSpecialColumn(logicalIndexAt(x));
}

void COwnerDrawHeader::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && IgnoresPressAt(event->position().toPoint().x())) {
        event->accept();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

void COwnerDrawHeader::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && IgnoresPressAt(event->position().toPoint().x())) {
        event->accept();
        return;
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

// The header shows the resize cursor over every divider it may resize; the
// ones it refuses keep the arrow.
void COwnerDrawHeader::mouseMoveEvent(QMouseEvent* event) {
    QHeaderView::mouseMoveEvent(event);
    if (event->buttons() == Qt::NoButton && KeepsArrowAt(event->position().toPoint().x())) unsetCursor();
}

COwnerDrawList::COwnerDrawList(QWidget* parent, unsigned int options, int markColumn, int imageColumn,
                               int imageBitmapId)
    : QTreeView(parent),
      m_options(options),
      m_markColumn(markColumn),
      m_imageColumn(imageColumn),
      m_model(new QStandardItemModel(this)) {
    setHeader(new COwnerDrawHeader(options, markColumn, imageColumn, this));
    // Set after setHeader, which makes items unpressable while unsorted: the
    // header items are buttons, as in the original, unless kListInertHeader.
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    setModel(m_model);
    setItemDelegate(new FixedRowDelegate(this));
    setHeaderHidden((options & kListNoHeader) != 0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setFocusPolicy(Qt::StrongFocus);
    // The sunken two-pixel edge of the original's client edge.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    m_cellImages.AddMasked(MarkBitmapImage(MarkBitmap::Checked), ImageListTransparent());
    m_cellImages.AddMasked(MarkBitmapImage(MarkBitmap::Unchecked), ImageListTransparent());
    if (imageColumn != kNoColumn) m_cellImages.AddMasked(ListBitmapImage(imageBitmapId), ImageListTransparent());
    setIconSize(m_smallImages.ImageSize());
}

COwnerDrawList::~COwnerDrawList() = default;

int COwnerDrawList::SnappedHeight(int requested, int headerHeight, int rowHeight) {
    const int body = requested - headerHeight;
    if (body <= 0 || rowHeight <= 0) return requested;
    return requested - body % rowHeight;
}

int COwnerDrawList::HeaderHeight() const { return isHeaderHidden() ? 0 : header()->sizeHint().height(); }

int COwnerDrawList::RowHeight() const {
    return std::max(m_smallImages.ImageSize().height(), fontMetrics().height()) + 1;
}

int COwnerDrawList::HeightFor(int requested) const {
    return (m_options & kListFreeHeight) != 0 ? requested : SnappedHeight(requested, HeaderHeight(), RowHeight());
}

void COwnerDrawList::SetPlacement(const QRect& rect) {
    m_requestedHeight = rect.height();
    m_snappedHeight = HeightFor(m_requestedHeight);
    setGeometry(rect.x(), rect.y(), rect.width(), m_snappedHeight);
}

bool COwnerDrawList::ApplySnappedHeight() {
    m_snappedHeight = HeightFor(m_requestedHeight);
    if (m_snappedHeight == height()) return false;
    m_snapping = true;
    resize(width(), m_snappedHeight);
    m_snapping = false;
    return true;
}

// Resize events of the viewport reach resizeEvent too; only the list's own
// come through here. A height other than the one the list took is a new
// request from outside.
bool COwnerDrawList::event(QEvent* event) {
    if (event->type() == QEvent::Resize && !m_snapping) {
        const int height = static_cast<QResizeEvent*>(event)->size().height();
        if (height != m_snappedHeight) m_requestedHeight = height;
        if (ApplySnappedHeight()) return true;
    }
    return QTreeView::event(event);
}

// The header's height follows its sections, font and style, and the rows'
// the list's font; when either changes the rows are counted again from the
// height asked.
void COwnerDrawList::updateGeometries() {
    QTreeView::updateGeometries();
    if (m_requestedHeight >= 0 && !m_snapping) ApplySnappedHeight();
}

void COwnerDrawList::InsertColumn(int index, const QString& title, int width, Qt::Alignment alignment) {
    const int at = std::clamp(index, 0, ColumnCount());
    m_model->insertColumn(at);
    QStandardItem* item = new QStandardItem(title);
    item->setTextAlignment(alignment);
    m_model->setHorizontalHeaderItem(at, item);
    m_widths.insert(m_widths.begin() + at, width);
    header()->resizeSection(at, width);
}

void COwnerDrawList::SetColumnWidth(int column, int width) {
    if (column < 0 || column >= ColumnCount()) return;
    m_widths[static_cast<size_t>(column)] = width;
    header()->resizeSection(column, width);
}

int COwnerDrawList::ColumnWidth(int column) const {
    if (column < 0 || column >= ColumnCount()) return 0;
    return m_widths[static_cast<size_t>(column)];
}

void COwnerDrawList::AddRow(std::unique_ptr<CListRow> row) {
    QList<QStandardItem*> items;
    for (int column = 0; column < std::max(ColumnCount(), 1); ++column) {
        QStandardItem* item = new QStandardItem(row->Text(column));
        item->setEditable(false);
        items.append(item);
    }
    m_rows.push_back(std::move(row));
    m_model->appendRow(items);
}

const CListRow* COwnerDrawList::Row(int index) const {
    if (index < 0 || index >= RowCount()) return nullptr;
    return m_rows[static_cast<size_t>(index)].get();
}

int COwnerDrawList::GetSelection(std::vector<int>& rows) const {
    rows.clear();
    if (!selectionModel()) return 0;
    for (const QModelIndex& index : selectionModel()->selectedRows()) rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return static_cast<int>(rows.size());
}

void COwnerDrawList::RemoveAll() {
    m_model->removeRows(0, m_model->rowCount());
    while (!m_rows.empty()) m_rows.pop_back();
}

int COwnerDrawList::RowWidth() const {
    int width = 0;
    for (int w : m_widths) width += w;
    return width;
}

// Widths may have been changed through the header itself; drawing follows
// whatever it holds now.
void COwnerDrawList::ReadBackColumnWidths() {
    for (int column = 0; column < ColumnCount(); ++column) {
        m_widths[static_cast<size_t>(column)] = header()->sectionSize(column);
    }
}

void COwnerDrawList::paintEvent(QPaintEvent* event) {
    ReadBackColumnWidths();
    QTreeView::paintEvent(event);
}

void COwnerDrawList::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const int row = index.row();
    const QRect rect(-horizontalOffset(), option.rect.top(), RowWidth(), option.rect.height());
    const bool selected = selectionModel() && selectionModel()->isRowSelected(row, index.parent());
    const bool focused = hasFocus() && currentIndex().isValid() && currentIndex().row() == row;
    PaintRow(*painter, row, rect, selected, focused);
}

void COwnerDrawList::DrawFramedCell(QPainter& painter, const QRect& cell, const QString& text,
                                    const QColor& background, const QColor& textColour) const {
    if (cell.width() <= 0 || cell.height() <= 0) return;
    // The fill is the top and left frame; right and bottom take the 3-D face
    // colour, which makes the light grid between cells and rows.
    const QColor face = palette().color(QPalette::Button);
    painter.fillRect(cell, background);
    painter.fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), face);
    painter.fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), face);
    if (text.isEmpty()) return;
    painter.setPen(textColour);
    painter.drawText(cell.adjusted(1, 1, -1, -1), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

void COwnerDrawList::PaintRow(QPainter& painter, int row, const QRect& rect, bool selected, bool focused) const {
    const CListRow* item = Row(row);
    if (!item) return;
    const QColor background = palette().color(selected ? QPalette::Highlight : QPalette::Base);
    const QColor text = palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter.save();
    painter.setFont(font());
    int left = rect.left();
    for (int column = 0; column < ColumnCount(); ++column) {
        const QRect cell(left, rect.top(), ColumnWidth(column), rect.height());
        if (column == m_imageColumn) {
            DrawFramedCell(painter, cell, QString(), background, text);
            painter.drawPixmap(cell.topLeft(), m_cellImages.Image(kPictureImage));
        } else if (column == m_markColumn) {
            DrawFramedCell(painter, cell, QString(), background, text);
            painter.drawPixmap(cell.topLeft(), m_cellImages.Image(item->Mark() == 1 ? kCheckedImage : kEmptyImage));
        } else {
            DrawFramedCell(painter, cell, item->Text(column), background, text);
        }
        left += ColumnWidth(column);
    }
    if (focused) DrawFocusRect(painter, QRect(rect.left(), rect.top(), RowWidth() - 1, rect.height() - 1));
    painter.restore();
}

bool COwnerDrawList::IsRightOfRows(const QPoint& position) const {
    return RowCount() > 0 && position.x() >= RowWidth() - horizontalOffset();
}

void COwnerDrawList::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && IsRightOfRows(event->position().toPoint())) clearSelection();
    QTreeView::mousePressEvent(event);
}

void COwnerDrawList::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void COwnerDrawList::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
    emit listDoubleClicked();
}

}  // namespace dialogs
}  // namespace varo
