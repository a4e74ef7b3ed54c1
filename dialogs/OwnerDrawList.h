// COwnerDrawList: a report-style list that draws its rows itself, every cell
// as a framed text on a light grid, with two optional special columns: a
// mark column (a checked or an empty box by the row's mark) and an image
// column (one picture on every row); and COwnerDrawHeader, its header, which
// can be made to refuse column resizing and item presses, and never resizes
// or presses a special column.
//
// Contract:
// - The list owns its rows (CListRow) and releases them with RemoveAll or
//   when it is destroyed; rows are kept in the order added, by row index.
// - Rows are RowHeight() pixels high. Unless kListFreeHeight is given, every
//   height asked of the list is cut down so that the height less the
//   header's is a whole number of rows. The cut always starts from the
//   height asked, so a header that settles later (columns inserted, font or
//   style set) shortens the list once, to the rows under the header it has.
// - Right presses neither select nor open anything; a left press right of
//   the rows clears the selection before it is handled.
// - Single selection only. Used on the GUI thread of a QApplication.
#pragma once

#include <QHeaderView>
#include <QPixmap>
#include <QTreeView>
#include <memory>
#include <vector>

#include "ImageList.h"
#include "MarkImages.h"

class QStandardItemModel;

namespace varo {
namespace dialogs {

// Creation options, combined as bits.
enum ListOption : unsigned int {
    kListNoHeader = 1,       // no column header at all
    kListFixedColumns = 2,   // header dividers cannot be dragged or double clicked
    kListInertHeader = 4,    // header items cannot be pressed
    kListFreeHeight = 8,     // the height is not cut to whole rows
};

// The small images (18 x 18) set the least row height; a taller font makes
// taller rows. Each row is a pixel higher still for the grid line under it.
const int kSmallImageSize = 18;
// The normal images, those of an icon view, which this list never shows.
const int kNormalImageSize = 32;
const int kNoColumn = -1;

// One row: a text per column, in column order, and a mark flag (1 shows the
// checked box in the mark column, anything else the empty box).
class CListRow {
public:
    CListRow(std::vector<QString> texts, int32_t mark) : m_texts(std::move(texts)), m_mark(mark) {}
    virtual ~CListRow() = default;

    // The text of `column`; empty for a column the row has no text for.
    QString Text(int column) const;
    int32_t Mark() const { return m_mark; }

private:
    std::vector<QString> m_texts;
    int32_t m_mark;
};

class COwnerDrawHeader : public QHeaderView {
public:
    COwnerDrawHeader(unsigned int options, int markColumn, int imageColumn, QWidget* parent);

    // A header given a fixed height keeps it in the list's layout.
    QSize sizeHint() const override;

    // The column whose right-hand divider `x` (viewport pixels) is on, or
    // kNoColumn; the same grip zone the header itself resizes with.
    int DividerAt(int x) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool IgnoresPressAt(int x) const;
    bool KeepsArrowAt(int x) const;
    bool IsSpecialColumn(int column) const {
        return column != kNoColumn && (column == m_markColumn || column == m_imageColumn);
    }

    unsigned int m_options;
    int m_markColumn;
    int m_imageColumn;
};

class COwnerDrawList : public QTreeView {
    Q_OBJECT

public:
    // `markColumn` is the column drawn as the mark image, `imageColumn` the
    // one drawn as the picture of bitmap `imageBitmapId`; either kNoColumn.
    COwnerDrawList(QWidget* parent, unsigned int options, int markColumn, int imageColumn = kNoColumn,
                   int imageBitmapId = kDatabaseBitmapId);
    ~COwnerDrawList() override;

    // Places the list at `rect`, its height cut to whole rows as above.
    void SetPlacement(const QRect& rect);
    // The height the list takes when asked for `requested` pixels under a
    // header of `headerHeight` pixels: the largest height not above the
    // request whose part below the header is a whole number of rows of
    // `rowHeight`. A request no taller than the header is taken as it is.
    static int SnappedHeight(int requested, int headerHeight, int rowHeight);
    int HeaderHeight() const;
    int RowHeight() const;

    // Inserts a column at `index` (clamped to the columns there are).
    void InsertColumn(int index, const QString& title, int width, Qt::Alignment alignment);
    void SetColumnWidth(int column, int width);
    int ColumnWidth(int column) const;
    int ColumnCount() const { return static_cast<int>(m_widths.size()); }

    void AddRow(std::unique_ptr<CListRow> row);
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    const CListRow* Row(int index) const;
    // Fills `rows` with the selected row indexes, ascending; returns their number.
    int GetSelection(std::vector<int>& rows) const;
    void RemoveAll();

    // 16 x 16, drawn in cells: 0 the checked box, 1 the empty box, and with
    // an image column 2 its picture (with any further tiles of its bitmap).
    const CImageList& CellImages() const { return m_cellImages; }
    // 18 x 18 and 32 x 32, empty: they size the rows and the icon view.
    const CImageList& SmallImages() const { return m_smallImages; }
    const CImageList& NormalImages() const { return m_normalImages; }

    // Draws row `row` into `rect` (its left edge is that of the first
    // column) as the list draws it on screen.
    void PaintRow(QPainter& painter, int row, const QRect& rect, bool selected, bool focused) const;

signals:
    // A left double click anywhere in the list.
    void listDoubleClicked();

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void updateGeometries() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int HeightFor(int requested) const;
    // Takes the height snapped from the one last asked; true if it changed.
    bool ApplySnappedHeight();
    int RowWidth() const;
    bool IsRightOfRows(const QPoint& position) const;
    void ReadBackColumnWidths();
    void DrawFramedCell(QPainter& painter, const QRect& cell, const QString& text, const QColor& background,
                        const QColor& textColour) const;

    unsigned int m_options;
    int m_markColumn;
    int m_imageColumn;
    QStandardItemModel* m_model;
    std::vector<int> m_widths;
    std::vector<std::unique_ptr<CListRow>> m_rows;
    CImageList m_cellImages{kMarkImageSize};
    CImageList m_smallImages{kSmallImageSize};
    CImageList m_normalImages{kNormalImageSize};
    bool m_snapping = false;
    int m_requestedHeight = -1;  // the height last asked, before snapping; -1: none yet
    int m_snappedHeight = -1;    // the height the list took for it
};

}  // namespace dialogs
}  // namespace varo
