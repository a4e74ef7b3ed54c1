#include "DialogTestSupport.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace {

// Set before main, so that no test ever opens a real display.
const bool kOffscreen = setenv("QT_QPA_PLATFORM", "offscreen", 1) == 0;

int g_argc = 1;
char g_name[] = "dialogs_tests";
char* g_argv[] = {g_name, nullptr};

void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// The run without Japanese faces proves nothing if one is still found.
bool JapaneseFacesHidden() {
    const char* fonts = std::getenv("VARO_TEST_FONTS");
    return fonts && std::string(fonts) == "without-japanese";
}

}  // namespace

void WithApplication::SetUp() {
    ASSERT_TRUE(kOffscreen);
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    m_app = std::make_unique<QApplication>(g_argc, g_argv);
    if (JapaneseFacesHidden()) {
        ASSERT_EQ(QFontDatabase::families(QFontDatabase::Japanese), QStringList());
    }
}

void Press(QWidget* target, QPoint at, Qt::MouseButton button) {
    SendMouse(target, QEvent::MouseButtonPress, at, button, button);
}

void Release(QWidget* target, QPoint at, Qt::MouseButton button) {
    SendMouse(target, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

void Click(QWidget* target, QPoint at, Qt::MouseButton button) {
    Press(target, at, button);
    Release(target, at, button);
}

void Move(QWidget* target, QPoint at, Qt::MouseButtons held) {
    SendMouse(target, QEvent::MouseMove, at, Qt::NoButton, held);
}

void DoubleClick(QWidget* target, QPoint at, Qt::MouseButton button) {
    Click(target, at, button);
    SendMouse(target, QEvent::MouseButtonDblClick, at, button, button);
    Release(target, at, button);
}

void Drag(QWidget* target, QPoint from, QPoint to) {
    Press(target, from);
    Move(target, (from + to) / 2, Qt::LeftButton);
    Move(target, to, Qt::LeftButton);
    Release(target, to);
}

QImage RenderRow(const varo::dialogs::COwnerDrawList& list, int row, bool selected, bool focused) {
    int width = 0;
    for (int column = 0; column < list.ColumnCount(); ++column) width += list.ColumnWidth(column);
    QImage image(width, list.RowHeight(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    list.PaintRow(painter, row, image.rect(), selected, focused);
    return image;
}

QPoint CellCentre(const varo::dialogs::COwnerDrawList& list, int row, int column) {
    return list.visualRect(list.model()->index(row, column)).center();
}

int CountPixels(const QImage& image, const QRect& area, QRgb rgb) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if ((image.pixel(x, y) & 0xffffffu) == (rgb & 0xffffffu)) ++count;
        }
    }
    return count;
}

std::string UnusedXDisplay() {
    int number = 4093;
    struct stat status;
    while (stat(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), &status) == 0) ++number;
    return ":" + std::to_string(number);
}
