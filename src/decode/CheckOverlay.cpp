#include "decode/CheckOverlay.h"

#include "app/Controls.h"
#include "app/MainForm.h"
#include "decode/MapDecoder.h"
#include "pictures/Rounding.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace vt {

namespace {

// The red of the cell box, 2 pixels thick, as the cell box frames a cell.
void drawCurrentFrame(QPainter& painter, const QRect& cell)
{
    QPen pen(Qt::red, 2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(cell).adjusted(1, 1, -1, -1));
}

} // namespace

CheckOverlay::CheckOverlay(PictureControl* picture, const TMainForm& main, Page page)
    : QWidget(picture), m_picture(picture), m_main(main), m_page(page)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(picture->rect());
    picture->installEventFilter(this);
}

bool CheckOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_picture && event->type() == QEvent::Resize)
        setGeometry(m_picture->rect());
    return QWidget::eventFilter(watched, event);
}

QRect CheckOverlay::shownCell(int column, int row) const
{
    const QRect cell = m_page == Page::Grab
                           ? cellRect(m_main.session().grid, column, row)
                           : QRect(kFullSize * column, kFullSize * row, kFullSize, kFullSize);
    // Edges rounded one by one, so that neighbouring cells meet without a gap at any zoom.
    const double scale = m_picture->scale();
    const int left = roundHalfEven(cell.left() * scale);
    const int top = roundHalfEven(cell.top() * scale);
    const int right = roundHalfEven((cell.left() + cell.width()) * scale);
    const int bottom = roundHalfEven((cell.top() + cell.height()) * scale);
    return QRect(left, top, right - left, bottom - top);
}

std::vector<std::pair<QRect, CheckReason>> CheckOverlay::frames() const
{
    std::vector<std::pair<QRect, CheckReason>> shown;
    if (!m_main.session().hasMap() || !m_main.showsCellsToCheck())
        return shown;
    for (const CellToCheck& cell : m_main.session().check.cells())
        shown.emplace_back(shownCell(cell.column, cell.row), cell.reason);
    return shown;
}

QRect CheckOverlay::currentFrame() const
{
    if (!m_main.session().hasMap() || m_main.checkX < 0 || m_main.checkY < 0)
        return {};
    return shownCell(m_main.checkX, m_main.checkY);
}

void CheckOverlay::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    for (const auto& [cell, reason] : frames())
        if (cell.intersects(event->rect()))
            drawCheckFrame(painter, cell, reason);
    if (const QRect current = currentFrame(); !current.isEmpty())
        drawCurrentFrame(painter, current);
}

} // namespace vt
