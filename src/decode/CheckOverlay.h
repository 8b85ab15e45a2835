// The frames of the cells to check, and of the cell that F3 / Shift+F3 went to, drawn over one
// page of the main window: a see-through control lying over the picture control, so that the
// picture itself (the converted map that is saved and copied) is never drawn on.
#pragma once

#include "decode/CellsToCheck.h"

#include <QRect>
#include <QWidget>

#include <utility>
#include <vector>

namespace vt {

class PictureControl;
class TMainForm;

class CheckOverlay : public QWidget
{
    Q_OBJECT
public:
    enum class Page
    {
        Grab, // cells of the grid over the grab
        Map,  // the 64 x 64 squares of the converted map
    };

    // Lies over `picture` and takes its size whenever it changes; reads what to frame from
    // `main` when it paints.
    CheckOverlay(PictureControl* picture, const TMainForm& main, Page page);

    // A cell of the decoded map as the picture control shows it, in the control's coordinates.
    QRect shownCell(int column, int row) const;

    // What the overlay frames now, in reading order: the cells to check as shown, with why.
    std::vector<std::pair<QRect, CheckReason>> frames() const;
    // The cell walked to, as shown; empty when none is framed.
    QRect currentFrame() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    PictureControl* m_picture;
    const TMainForm& m_main;
    Page m_page;
};

} // namespace vt
