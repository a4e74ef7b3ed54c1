// Helpers of the chooser tests: a QApplication per test, synthetic mouse
// input sent straight to widgets, and rows rendered to images.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <memory>
#include <string>

#include "OwnerDrawList.h"

// A test that owns a QApplication for its length.
class WithApplication : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

void Press(QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton);
void Release(QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton);
// Press and release at one point.
void Click(QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton);
// Moves with `held` buttons down (none: a hover).
void Move(QWidget* target, QPoint at, Qt::MouseButtons held = Qt::NoButton);
// Press, release, double click, release: what a user's double click delivers.
void DoubleClick(QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton);
// Presses at `from`, moves to `to` and releases there.
void Drag(QWidget* target, QPoint from, QPoint to);

// Row `row` as the list paints it, on an image as wide as the row.
QImage RenderRow(const varo::dialogs::COwnerDrawList& list, int row, bool selected, bool focused);

// The centre of row `row`'s cell in `column`, in viewport pixels.
QPoint CellCentre(const varo::dialogs::COwnerDrawList& list, int row, int column);

// The number of pixels of colour `rgb` inside `area` of `image`.
int CountPixels(const QImage& image, const QRect& area, QRgb rgb);

// An X display (":4093" or above) that no server listens on.
std::string UnusedXDisplay();
