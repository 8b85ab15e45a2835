// The main window's inspection and correction of a decoded map: the cell under the pointer
// framed and previewed, a replacement chosen in the side panel and put into cells, and the
// converted map dragged to scroll it.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "pictures/Rounding.h"
#include "decode/MapDecoder.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include <cmath>

namespace vt {

namespace {

int floorDiv(int value, int divisor)
{
    return int(std::floor(double(value) / divisor));
}

} // namespace

void TMainForm::img_ScreenGrabMouseMove(QMouseEvent* event)
{
    if (!sb_SaveMap->isEnabled())
        return;
    const double scale = img_ScreenGrab->scale();
    const QPointF at = event->position();
    const int px = roundHalfEven(at.x() / scale);
    const int py = roundHalfEven(at.y() / scale);
    charX = floorDiv(px - int(grid.originx), kCellWidth);
    charY = floorDiv(py - int(grid.originy), kCellHeight);
    if (charX < 0 || charX >= grid.grab_width || charY < 0 || charY >= grid.grab_height) {
        charstorage->clearPicture();
        charcursor->hide();
        return;
    }
    const QRect cell = cellRect(grid, charX, charY);
    // The box is a child of the grab picture, so it scrolls with it: place it in the picture's
    // own displayed coordinates.
    charcursor->setGeometry(roundHalfEven(cell.left() * scale), roundHalfEven(cell.top() * scale),
                            roundHalfEven(kCellWidth * scale), roundHalfEven(kCellHeight * scale));
    charcursor->show();
    charcursor->raise();
    charstorage->setPicture(enlargedCell(fullcolourimage, cell, 32));
}

void TMainForm::img_ScreenGrabMouseLeave()
{
    charstorage->clearPicture();
    charcursor->hide();
}

void TMainForm::CharSelectorClick(PictureControl* sender)
{
    if (!sender || !sb_SaveMap->isEnabled())
        return;
    charselect->move(sender->pos());
    charselect->raise();
    selectedchar = sender->tag();
}

void TMainForm::charcursorMouseDown()
{
    if (!sb_SaveMap->isEnabled())
        return;
    if (charX < 0 || charX >= decoded.columns() || charY < 0 || charY >= decoded.rows())
        return;
    charcursor->hide();
    const QRect target(kFullSize * charX, kFullSize * charY, kFullSize, kFullSize);
    if (selectedchar < 0 || selectedchar >= int(fullsize_char.size())) {
        const QRect cell = cellRect(grid, charX, charY);
        img_Map->drawOnPicture(target, enlargedCell(fullcolourimage, cell, kFullSize));
        decoded.map[std::size_t(charX)][std::size_t(charY)] = -1;
        return;
    }
    img_Map->drawOnPicture(target, fullsize_char[std::size_t(selectedchar)]->picture());
    decoded.map[std::size_t(charX)][std::size_t(charY)] = selectedchar;
}

void TMainForm::ImageMouseDown(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint at = event->position().toPoint();
    if (event->modifiers() & Qt::ControlModifier) {
        const double scale = img_Map->scale();
        charX = roundHalfEven(at.x() / scale) / kFullSize;
        charY = roundHalfEven(at.y() / scale) / kFullSize;
        charcursorMouseDown();
        return;
    }
    Image_SX = at.x();
    Image_SY = at.y();
}

void TMainForm::ImageMouseMove(QMouseEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    img_Map->setCursor(ctrl ? QCursor(Qt::ArrowCursor) : HandFlat);
    if (!(event->buttons() & Qt::LeftButton) || ctrl)
        return;
    // The picture follows the pointer: the new scroll position is the one at the press minus
    // the pointer's travel since, taken only while it lies inside the scroll range.
    const QPoint at = event->position().toPoint();
    QScrollBar* horizontal = sb_Map->horizontalScrollBar();
    QScrollBar* vertical = sb_Map->verticalScrollBar();
    const int dx = at.x() - horizontal->value() - Image_SX;
    if (dx < 0 && dx > Image_LX)
        horizontal->setValue(-dx);
    const int dy = at.y() - vertical->value() - Image_SY;
    if (dy < 0 && dy > Image_LY)
        vertical->setValue(-dy);
}

} // namespace vt
