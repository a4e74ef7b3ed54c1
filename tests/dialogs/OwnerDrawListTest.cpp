#include <QFontMetrics>
#include <QHeaderView>
#include <algorithm>
#include <memory>
#include <tuple>

#include "DialogTestSupport.h"
#include "ImageList.h"
#include "MarkImages.h"
#include "OwnerDrawList.h"

using namespace varo::dialogs;

namespace {

const QRgb kNearBlack = qRgb(4, 4, 4);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kCyan = qRgb(0, 255, 255);

class OwnerDrawListTest : public WithApplication {
protected:
    // A shown list laid out like the chooser's: mark, name and folder
    // columns, three rows of which the second is marked.
    std::unique_ptr<COwnerDrawList> MakeList(unsigned int options, int width = 343, int height = 229) {
        auto list = std::make_unique<COwnerDrawList>(nullptr, options, 0);
        list->InsertColumn(0, QString(), 18, Qt::AlignCenter);
        list->InsertColumn(1, QStringLiteral("Name"), 124, Qt::AlignCenter);
        list->InsertColumn(2, QStringLiteral("Folder"), 197, Qt::AlignCenter);
        for (int row = 0; row < 3; ++row) {
            list->AddRow(std::make_unique<CListRow>(
                std::vector<QString>{QString(), QStringLiteral("db%1").arg(row), QStringLiteral("/data/")},
                row == 1 ? 1 : 0));
        }
        list->SetPlacement(QRect(0, 0, width, height));
        list->show();
        return list;
    }
    static std::vector<int> Selection(const COwnerDrawList& list) {
        std::vector<int> rows;
        list.GetSelection(rows);
        return rows;
    }
    static QPoint HeaderPoint(const COwnerDrawList& list, int x) { return QPoint(x, list.header()->height() / 2); }
};

TEST_F(OwnerDrawListTest, RowsFollowTheFontAndHeightsSnapToWholeRows) {
    auto list = MakeList(kListFixedColumns | kListInertHeader);
    const auto expectRows = [](const COwnerDrawList& list) {
        const int rowHeight = std::max(kSmallImageSize, QFontMetrics(list.font()).height()) + 1;
        EXPECT_EQ(list.RowHeight(), rowHeight);
        const QModelIndex first = list.model()->index(0, 1);
        EXPECT_EQ(list.visualRect(list.model()->index(1, 1)).top() - list.visualRect(first).top(), rowHeight);
        EXPECT_EQ(list.visualRect(list.model()->index(0, 2)).height(), rowHeight);
    };
    expectRows(*list);

    list->header()->setFixedHeight(20);
    EXPECT_EQ(list->HeaderHeight(), 20);
    list->SetPlacement(QRect(0, 0, 343, 220));
    EXPECT_EQ(list->height(), COwnerDrawList::SnappedHeight(220, 20, list->RowHeight()));
    list->resize(343, 249);
    EXPECT_EQ(list->height(), COwnerDrawList::SnappedHeight(249, 20, list->RowHeight()));

    // A font taller than the small images makes taller rows, and the rows
    // under the header are counted again.
    QFont large = list->font();
    large.setPixelSize(3 * kSmallImageSize);
    list->setFont(large);
    QApplication::processEvents();
    ASSERT_GT(list->RowHeight(), kSmallImageSize + 1);
    expectRows(*list);
    EXPECT_EQ(list->height(), COwnerDrawList::SnappedHeight(249, 20, list->RowHeight()));

    auto free = MakeList(kListFreeHeight, 343, 220);
    free->header()->setFixedHeight(20);
    free->resize(343, 221);
    EXPECT_EQ(free->height(), 221);

    auto headless = MakeList(kListNoHeader, 343, 100);
    EXPECT_TRUE(headless->isHeaderHidden());
    EXPECT_EQ(headless->height(), COwnerDrawList::SnappedHeight(100, 0, headless->RowHeight()));

    for (const auto& [height, header, snapped] : {std::tuple<int, int, int>{220, 20, 210}, {249, 20, 248}, {20, 20, 20},
                                                  {10, 20, 10} /* never grows */, {38, 0, 38}, {100, 0, 95}}) {
        EXPECT_EQ(COwnerDrawList::SnappedHeight(height, header, 19), snapped) << height << " " << header;
    }
}

TEST_F(OwnerDrawListTest, AHeightIsSnappedOnceUnderTheHeaderTheListEndsWith) {
    // Asked for exactly ten rows under the header it will have: placed
    // before it has columns, then filled and shown, it keeps them all.
    const int header = MakeList(kListFixedColumns | kListInertHeader)->HeaderHeight();
    ASSERT_GT(header, 0);
    const int tenRows = header + 10 * MakeList(0)->RowHeight();
    auto list = std::make_unique<COwnerDrawList>(nullptr, kListFixedColumns | kListInertHeader, 0);
    list->SetPlacement(QRect(0, 0, 343, tenRows));
    list->InsertColumn(0, QString(), 18, Qt::AlignCenter);
    list->InsertColumn(1, QStringLiteral("Name"), 124, Qt::AlignCenter);
    list->InsertColumn(2, QStringLiteral("Folder"), 197, Qt::AlignCenter);
    list->AddRow(std::make_unique<CListRow>(std::vector<QString>{QString(), QStringLiteral("db")}, 0));
    list->show();
    ASSERT_EQ(list->HeaderHeight(), header);
    EXPECT_EQ(list->height(), tenRows);

    // A header that grows later is counted again from the height asked.
    QFont taller = list->header()->font();
    taller.setPixelSize(QFontMetrics(taller).height() * 2);
    list->header()->setFont(taller);
    QApplication::processEvents();
    ASSERT_GT(list->HeaderHeight(), header);
    EXPECT_EQ(list->height(), COwnerDrawList::SnappedHeight(tenRows, list->HeaderHeight(), list->RowHeight()));
    list->resize(343, 300);
    EXPECT_EQ(list->height(), COwnerDrawList::SnappedHeight(300, list->HeaderHeight(), list->RowHeight()));
}

TEST_F(OwnerDrawListTest, CellsAreFramedAndTheMarkColumnShowsTheMarkImages) {
    auto list = MakeList(kListFixedColumns | kListInertHeader);
    const QRgb base = list->palette().color(QPalette::Base).rgb();
    const QRgb face = list->palette().color(QPalette::Button).rgb();
    const QRgb highlight = list->palette().color(QPalette::Highlight).rgb();
    const QRect boxInside(3, 3, 10, 10);
    const int bottom = list->RowHeight() - 1;

    const QImage marked = RenderRow(*list, 1, false, false);
    const QImage plain = RenderRow(*list, 0, false, false);
    // The surround shows the cell, the box has its frame, each cell its
    // right and bottom frame and the name cell its top-left one.
    const struct {
        int x, y;
        QRgb colour;
    } probes[] = {{1, 1, base},  {2, 2, kNearBlack}, {13, 13, kNearBlack}, {17, 5, face},
                  {5, bottom, face}, {18, 0, base},      {141, 9, face},       {338, 9, face}};
    for (const QImage* image : {&marked, &plain}) {
        EXPECT_EQ(CountPixels(*image, image->rect(), qRgb(255, 0, 255)), 0);  // every pixel painted
        EXPECT_EQ(CountPixels(*image, image->rect(), kCyan), 0);              // cyan is transparent
        for (const auto& p : probes) EXPECT_EQ(image->pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
    }
    EXPECT_GT(CountPixels(marked, boxInside, kNearBlack), 5);  // image 0: the check mark
    EXPECT_EQ(CountPixels(plain, boxInside, kWhite), 100);     // image 1: an empty box
    // The name is drawn inside its cell.
    const QRect nameInside(19, 1, 122, bottom - 1);
    EXPECT_LT(CountPixels(plain, nameInside, base), nameInside.width() * nameInside.height());

    const QImage selected = RenderRow(*list, 0, true, false);
    EXPECT_EQ((std::vector<QRgb>{selected.pixel(18, 0), selected.pixel(1, 1), selected.pixel(141, 9)}),
              (std::vector<QRgb>{highlight, highlight, face}));
    EXPECT_EQ(CountPixels(selected, boxInside, kWhite), 100);

    // The focus rectangle: dots on the outline of the row less its last
    // column and row of pixels, nothing inside.
    const QImage focused = RenderRow(*list, 0, false, true);
    int outline = 0;
    for (int y = 0; y < focused.height(); ++y) {
        for (int x = 0; x < focused.width(); ++x) {
            if (focused.pixel(x, y) == plain.pixel(x, y)) continue;
            const bool onOutline = x == 0 || y == 0 || x == focused.width() - 2 || y == focused.height() - 2;
            EXPECT_TRUE(onOutline) << x << "," << y;
            ++outline;
        }
    }
    EXPECT_GT(outline, 100);
    EXPECT_EQ(focused.pixel(focused.width() - 1, 9), plain.pixel(focused.width() - 1, 9));
}

TEST_F(OwnerDrawListTest, InertHeaderIgnoresPressesAndDividerDrags) {
    // Without the options the header presses and resizes, but never on the
    // mark column or its divider.
    for (const bool inert : {true, false}) {
        SCOPED_TRACE(inert ? "inert" : "open");
        auto list = MakeList(inert ? kListFixedColumns | kListInertHeader : 0);
        QHeaderView* header = list->header();
        QWidget* view = header->viewport();
        int pressed = 0;
        QObject::connect(header, &QHeaderView::sectionPressed, [&pressed](int) { ++pressed; });
        Click(view, HeaderPoint(*list, 8));
        Drag(view, HeaderPoint(*list, 17), HeaderPoint(*list, 60));
        Move(view, HeaderPoint(*list, 17));
        EXPECT_FALSE(header->testAttribute(Qt::WA_SetCursor));
        EXPECT_EQ(pressed, 0);
        Click(view, HeaderPoint(*list, 60));
        EXPECT_EQ(pressed, inert ? 0 : 1);
        Move(view, HeaderPoint(*list, 141));  // the name column's divider
        EXPECT_EQ(header->testAttribute(Qt::WA_SetCursor), !inert);
        if (inert) DoubleClick(view, HeaderPoint(*list, 141));
        Drag(view, HeaderPoint(*list, 141), HeaderPoint(*list, 181));
        const int nameWidth = inert ? 124 : 164;
        EXPECT_EQ((std::vector<int>{header->sectionSize(0), header->sectionSize(1), header->sectionSize(2)}),
                  (std::vector<int>{18, nameWidth, 197}));
        // Drawing follows a width set through the header.
        list->grab();
        EXPECT_EQ(list->ColumnWidth(1), nameWidth);
    }
}

TEST_F(OwnerDrawListTest, RightPressesAreIgnoredAndAPressRightOfTheRowsClearsTheSelection) {
    auto list = MakeList(kListFixedColumns | kListInertHeader, 420, 229);
    QWidget* rows = list->viewport();
    Click(rows, CellCentre(*list, 0, 1));
    EXPECT_EQ(Selection(*list), std::vector<int>{0});

    Click(rows, CellCentre(*list, 2, 1), Qt::RightButton);
    DoubleClick(rows, CellCentre(*list, 2, 2), Qt::RightButton);
    EXPECT_EQ(Selection(*list), std::vector<int>{0});

    const QPoint rightOfRows(339 + 10, CellCentre(*list, 1, 1).y());
    Click(rows, rightOfRows);
    EXPECT_TRUE(Selection(*list).empty());

    int doubleClicks = 0;
    QObject::connect(list.get(), &COwnerDrawList::listDoubleClicked, [&doubleClicks] { ++doubleClicks; });
    DoubleClick(rows, CellCentre(*list, 1, 2));
    EXPECT_EQ(doubleClicks, 1);
    EXPECT_EQ(Selection(*list), std::vector<int>{1});

    list->RemoveAll();
    EXPECT_EQ(list->RowCount(), 0);
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_TRUE(Selection(*list).empty());
}

TEST_F(OwnerDrawListTest, ImageListsCutTheirBitmapsIntoWholeImagesOfTheirSize) {
    auto chooserList = MakeList(kListFixedColumns | kListInertHeader);
    EXPECT_EQ(chooserList->CellImages().ImageSize(), QSize(16, 16));
    EXPECT_EQ(chooserList->CellImages().Count(), 2);  // the two boxes, no picture
    EXPECT_EQ(chooserList->SmallImages().ImageSize(), QSize(18, 18));
    EXPECT_EQ(chooserList->NormalImages().ImageSize(), QSize(32, 32));
    EXPECT_EQ(chooserList->SmallImages().Count() + chooserList->NormalImages().Count(), 0);
    EXPECT_EQ(chooserList->iconSize(), QSize(18, 18));

    // Across a 36-pixel bitmap fit two 16-pixel images, from its top rows.
    QImage bitmap(36, 20, QImage::Format_RGB32);
    for (int x = 0; x < 36; ++x) {
        for (int y = 0; y < 20; ++y) bitmap.setPixel(x, y, x == 20 && y < 16 ? kCyan : qRgb(x, y, 7));
    }
    CImageList images(16);
    EXPECT_EQ(images.AddMasked(QImage(15, 16, QImage::Format_RGB32), QColor(kCyan)), -1);
    EXPECT_EQ(images.AddMasked(bitmap, QColor(kCyan)), 0);
    EXPECT_EQ(images.AddMasked(bitmap, QColor(kCyan)), 2);
    ASSERT_EQ(images.Count(), 4);
    const QImage second = images.Image(3).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(second.size(), QSize(16, 16));
    EXPECT_EQ(second.pixel(0, 0), qRgb(16, 0, 7));
    EXPECT_EQ(second.pixel(15, 15), qRgb(31, 15, 7));
    EXPECT_EQ(qAlpha(second.pixel(4, 9)), 0);  // cyan is transparent
    EXPECT_TRUE(images.Image(4).isNull());
    EXPECT_TRUE(images.Image(-1).isNull());
}

TEST_F(OwnerDrawListTest, AnImageColumnShowsItsBitmapsPictureOnEveryRowAndItsHeaderIsInert) {
    const QImage bitmap = DatabaseBitmapImage();
    ASSERT_EQ(bitmap.size(), QSize(kDatabaseBitmapSize, kDatabaseBitmapSize));
    // Only the top-left 16 x 16 pixels reach the list; the rest is surround.
    EXPECT_EQ(CountPixels(bitmap, bitmap.rect(), kCyan) - CountPixels(bitmap, QRect(0, 0, 16, 16), kCyan),
              36 * 36 - 16 * 16);
    EXPECT_GT(CountPixels(bitmap, QRect(0, 0, 16, 16), kNearBlack), 20);
    EXPECT_GT(CountPixels(bitmap, QRect(0, 0, 16, 16), kWhite), 20);

    // Image column 0 and mark column 1, without the header options.
    auto list = std::make_unique<COwnerDrawList>(nullptr, 0, 1, 0, kDatabaseBitmapId);
    list->InsertColumn(0, QString(), 18, Qt::AlignCenter);
    list->InsertColumn(1, QString(), 18, Qt::AlignCenter);
    list->InsertColumn(2, QStringLiteral("Name"), 124, Qt::AlignCenter);
    for (int row = 0; row < 2; ++row) {
        list->AddRow(std::make_unique<CListRow>(std::vector<QString>{QStringLiteral("unseen"), QString(), "db"}, row));
    }
    list->SetPlacement(QRect(0, 0, 200, 120));
    list->show();
    ASSERT_EQ(list->CellImages().Count(), 4);  // the boxes and the two tiles across bitmap 538

    const QRgb base = list->palette().color(QPalette::Base).rgb();
    for (int row = 0; row < 2; ++row) {
        const QImage image = RenderRow(*list, row, false, false);
        int differing = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QRgb wanted = (bitmap.pixel(x, y) & 0xffffffu) == (kCyan & 0xffffffu) ? base : bitmap.pixel(x, y);
                if (image.pixel(x, y) != wanted) ++differing;
            }
        }
        EXPECT_EQ(differing, 0) << row;
        const QRect boxInside(18 + 3, 3, 10, 10);
        EXPECT_EQ(CountPixels(image, boxInside, kNearBlack) > 5, row == 1) << row;  // the check mark
        EXPECT_EQ(CountPixels(image, boxInside, kWhite) == 100, row == 0) << row;   // the empty box
    }

    // The image column and its divider refuse presses and drags.
    QHeaderView* header = list->header();
    int pressed = 0;
    QObject::connect(header, &QHeaderView::sectionPressed, [&pressed](int) { ++pressed; });
    Click(header->viewport(), HeaderPoint(*list, 8));
    Drag(header->viewport(), HeaderPoint(*list, 17), HeaderPoint(*list, 50));
    EXPECT_EQ(pressed, 0);
    EXPECT_EQ(header->sectionSize(0), 18);
    Click(header->viewport(), HeaderPoint(*list, 80));
    EXPECT_EQ(pressed, 1);

    // A bitmap the list has no picture for leaves the image cells empty.
    auto missing = std::make_unique<COwnerDrawList>(nullptr, 0, kNoColumn, 0, 999);
    missing->InsertColumn(0, QString(), 18, Qt::AlignCenter);
    missing->AddRow(std::make_unique<CListRow>(std::vector<QString>{QStringLiteral("unseen")}, 0));
    EXPECT_EQ(missing->CellImages().Count(), 2);
    const QImage empty = RenderRow(*missing, 0, false, false);
    EXPECT_EQ(CountPixels(empty, QRect(0, 0, 17, missing->RowHeight() - 1), base), 17 * (missing->RowHeight() - 1));
}

}  // namespace
