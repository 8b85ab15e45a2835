// The main window's inspection and correction of a decoded map: the cell under the pointer
// framed and previewed, a replacement chosen in the side panel and put into cells, corrections
// undone and redone, the question before unsaved corrections are thrown away, and the converted
// map dragged to scroll it.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/GameTables.h"
#include "decode/MapDecoder.h"
#include "pictures/Error.h"
#include "pictures/Rounding.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>

#include <cmath>

namespace vt {

namespace {

int floorDiv(int value, int divisor)
{
    return int(std::floor(double(value) / divisor));
}

// "column 4, row 3": counted from 1, as the user counts them.
QString cellName(int column, int row)
{
    return QStringLiteral("column %1, row %2").arg(column + 1).arg(row + 1);
}

// What a cell's map entry shows.
QString entryName(int game, qint32 entry)
{
    const QString shows = characterDescription(game, entry);
    return shows.isEmpty() ? QStringLiteral("unrecognised (the grab's own pixels)") : shows;
}

} // namespace

void TMainForm::img_ScreenGrabMouseMove(QMouseEvent* event)
{
    if (!m_session.hasMap())
        return;
    const double scale = ui.img_ScreenGrab->scale();
    // The picture's pixel shown where the pointer is: a position between device pixels (a
    // fractional scale of the screen) still lies within one displayed pixel.
    const QPointF at = event->position();
    const int px = int(std::floor(at.x() / scale));
    const int py = int(std::floor(at.y() / scale));
    charX = floorDiv(px - int(m_session.grid.originx), kCellWidth);
    charY = floorDiv(py - int(m_session.grid.originy), kCellHeight);
    if (charX < 0 || charX >= m_session.grid.grab_width || charY < 0 ||
        charY >= m_session.grid.grab_height) {
        ui.charstorage->clearPicture();
        ui.charcursor->hide();
        return;
    }
    showCellBox();
}

void TMainForm::showCellBox()
{
    const double scale = ui.img_ScreenGrab->scale();
    const QRect cell = cellRect(m_session.grid, charX, charY);
    // The box is a child of the grab picture, so it scrolls with it: place it in the picture's
    // own displayed coordinates.
    ui.charcursor->setGeometry(roundHalfEven(cell.left() * scale),
                               roundHalfEven(cell.top() * scale), roundHalfEven(kCellWidth * scale),
                               roundHalfEven(kCellHeight * scale));
    ui.charcursor->show();
    ui.charcursor->raise();
    ui.charstorage->setPicture(m_session.grabCell(charX, charY, 32));
    showSuggestions(true);
}

void TMainForm::img_ScreenGrabMouseLeave()
{
    ui.charstorage->clearPicture();
    ui.charcursor->hide();
    showSuggestions(false);
}

QWidget* TMainForm::buildSuggestPanel()
{
    ui.SuggestPanel = new QWidget(ui.SmallCharPanel);
    ui.SuggestPanel->setObjectName(QStringLiteral("SuggestPanel"));
    ui.SuggestPanel->setFixedHeight(34);
    ui.SuggestPanel->setToolTip(QStringLiteral(
        "The three characters most like the cell you inspect, with their scores: press 1, 2 or "
        "3 to put one into the cell (Ctrl+Z undoes it)."));
    for (int rank = 0; rank < 3; ++rank) {
        auto* tile = new PictureControl(ui.SuggestPanel);
        tile->setObjectName(QStringLiteral("img_Suggest%1").arg(rank + 1));
        tile->setStretch(true);
        tile->setGeometry(rank * 62 + 1, 1, 32, 32);
        auto* label = new QLabel(ui.SuggestPanel);
        label->setObjectName(QStringLiteral("lb_Suggest%1").arg(rank + 1));
        label->setGeometry(rank * 62 + 35, 1, 26, 32);
        ui.img_Suggest[std::size_t(rank)] = tile;
        ui.lb_Suggest[std::size_t(rank)] = label;
        label->setToolTip(ui.SuggestPanel->toolTip());

        auto* action = new QAction(this);
        action->setObjectName(QStringLiteral("PutSuggestion%1").arg(rank + 1));
        action->setShortcut(QKeySequence(Qt::Key_1 + rank));
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(false);
        addAction(action);
        connect(action, &QAction::triggered, this,
                [this, rank] { guarded([this, rank] { PutSuggestionExecute(rank); }); });
        ui.PutSuggestion[std::size_t(rank)] = action;
    }
    return ui.SuggestPanel;
}

void TMainForm::showSuggestions(bool shown)
{
    const QPoint cell(charX, charY);
    shown = shown && m_session.hasMap() && cell.x() >= 0 && cell.y() >= 0 &&
            cell.x() < m_session.grid.grab_width && cell.y() < m_session.grid.grab_height;
    if (!shown) {
        m_suggestions.clear();
        m_suggestedFor = QPoint(-1, -1);
    } else if (cell != m_suggestedFor) {
        // Scored when a cell is first inspected; the pointer moving within it costs nothing.
        m_suggestedFor = cell;
        // The pointer's moves run outside any command: an atlas that cannot be read leaves the
        // panel empty here, and Decode Map reports it.
        try {
            m_suggestions = m_session.suggestions(cell.x(), cell.y());
        } catch (const Error&) {
            m_suggestions.clear();
        }
    }
    // The cell inspected, as the player counts: from 1.
    ui.charstorage->setToolTip(shown ? QStringLiteral("The grab's own pixels of %1")
                                           .arg(cellName(cell.x(), cell.y()))
                                     : QStringLiteral("The grab's own pixels"));
    for (std::size_t rank = 0; rank < ui.img_Suggest.size(); ++rank) {
        PictureControl* tile = ui.img_Suggest[rank];
        QLabel* label = ui.lb_Suggest[rank];
        const bool has = rank < m_suggestions.size();
        ui.PutSuggestion[rank]->setEnabled(has);
        if (!has) {
            tile->clearPicture();
            tile->setToolTip(QString());
            label->clear();
            continue;
        }
        const CellCandidate& candidate = m_suggestions[rank];
        const CharacterSet& characters = m_session.fullsize_char;
        tile->setPicture(characters && std::size_t(candidate.index) < characters->size()
                             ? characters->at(std::size_t(candidate.index))
                             : QImage());
        label->setText(QStringLiteral("%1:\n%2%").arg(rank + 1).arg(candidate.score));
        tile->setToolTip(QStringLiteral("%1 (key %2): %3% alike to %4")
                             .arg(characterDescription(m_session.game, candidate.index))
                             .arg(rank + 1)
                             .arg(candidate.score)
                             .arg(cellName(cell.x(), cell.y())));
    }
}

void TMainForm::PutSuggestionExecute(int rank)
{
    if (!m_session.hasMap() || rank < 0 || std::size_t(rank) >= m_suggestions.size() ||
        m_suggestedFor != QPoint(charX, charY))
        return;
    putIntoCell(m_suggestions[std::size_t(rank)].index);
}

void TMainForm::CharSelectorClick(PictureControl* sender)
{
    if (!sender || !m_session.hasMap())
        return;
    ui.charselect->move(sender->pos());
    ui.charselect->raise();
    selectedchar = sender->tag();
}

bool TMainForm::moveCharSelection(int key)
{
    if (!m_session.hasMap())
        return false;
    // Slot 0 is the copy-from-grab tile, slot i + 1 character i, five to a row.
    const int places = int(ui.fullsize_char.size()) + 1;
    int slot = selectedchar + 1;
    switch (key) {
    case Qt::Key_Left:
        slot = std::max(0, slot - 1);
        break;
    case Qt::Key_Right:
        slot = std::min(places - 1, slot + 1);
        break;
    case Qt::Key_Up:
        slot = slot >= 5 ? slot - 5 : slot;
        break;
    case Qt::Key_Down:
        slot = slot + 5 < places ? slot + 5 : slot;
        break;
    default:
        return false;
    }
    PictureControl* tile = slot == 0 ? ui.charstorage : ui.fullsize_char[std::size_t(slot - 1)];
    CharSelectorClick(tile);
    ui.sb_Characters->ensureWidgetVisible(tile, 0, 0);
    return true;
}

void TMainForm::charcursorMouseDown()
{
    if (!m_session.hasMap())
        return;
    putIntoCell(selectedchar);
}

void TMainForm::putIntoCell(int character)
{
    const QRect target = m_session.correctCell(charX, charY, character);
    if (target.isEmpty())
        return;
    ui.charcursor->hide();
    ui.img_Map->setPicture(m_session.mapPicture);
    const qint32 entry = m_session.decoded.map[std::size_t(charX)][std::size_t(charY)];
    statusBar()->showMessage(QStringLiteral("Corrected %1 to %2 (Ctrl+Z undoes it).")
                                 .arg(cellName(charX, charY), entryName(m_session.game, entry)));
    showCellsToCheck(true);
}

void TMainForm::buildCorrectionActions()
{
    ui.Undo = new QAction(this);
    ui.Undo->setObjectName(QStringLiteral("Undo"));
    ui.Undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    ui.Redo = new QAction(this);
    ui.Redo->setObjectName(QStringLiteral("Redo"));
    // Both of the usual redo keys, whatever the desktop's own convention.
    ui.Redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* action : {ui.Undo, ui.Redo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connect(ui.Undo, &QAction::triggered, this, [this] { guarded([this] { UndoExecute(); }); });
    connect(ui.Redo, &QAction::triggered, this, [this] { guarded([this] { RedoExecute(); }); });
}

void TMainForm::UndoExecute()
{
    const Correction* step = m_session.nextUndo();
    if (!step) {
        statusBar()->showMessage(QStringLiteral("No correction to undo."));
        return;
    }
    const QString message =
        QStringLiteral("Undid the correction of %1: it is %2 again.")
            .arg(cellName(step->column, step->row), entryName(m_session.game, step->before));
    m_session.undo();
    ui.img_Map->setPicture(m_session.mapPicture);
    statusBar()->showMessage(message);
    showCellsToCheck(true);
}

void TMainForm::RedoExecute()
{
    const Correction* step = m_session.nextRedo();
    if (!step) {
        statusBar()->showMessage(QStringLiteral("No correction to redo."));
        return;
    }
    const QString message =
        QStringLiteral("Redid the correction of %1: it is %2.")
            .arg(cellName(step->column, step->row), entryName(m_session.game, step->after));
    m_session.redo();
    ui.img_Map->setPicture(m_session.mapPicture);
    statusBar()->showMessage(message);
    showCellsToCheck(true);
}

bool TMainForm::mayDiscardCorrections()
{
    if (!m_session.unsavedCorrections() || prompts().discardCorrections(this))
        return true;
    statusBar()->showMessage(
        QStringLiteral("Your corrections are kept; Save Map writes them with the map."));
    return false;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (mayDiscardCorrections())
        event->accept();
    else
        event->ignore();
}

void TMainForm::ImageMouseDown(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint at = event->position().toPoint();
    if (event->modifiers() & Qt::ControlModifier) {
        const double scale = ui.img_Map->scale();
        charX = int(std::floor(event->position().x() / scale)) / kFullSize;
        charY = int(std::floor(event->position().y() / scale)) / kFullSize;
        charcursorMouseDown();
        return;
    }
    Image_SX = at.x();
    Image_SY = at.y();
}

void TMainForm::ImageMouseMove(QMouseEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    ui.img_Map->setCursor(ctrl ? QCursor(Qt::ArrowCursor) : HandFlat);
    if (!(event->buttons() & Qt::LeftButton) || ctrl)
        return;
    // The picture follows the pointer: the new scroll position is the one at the press minus
    // the pointer's travel since, taken only while it lies inside the scroll range.
    const QPoint at = event->position().toPoint();
    QScrollBar* horizontal = ui.sb_Map->horizontalScrollBar();
    QScrollBar* vertical = ui.sb_Map->verticalScrollBar();
    const int dx = at.x() - horizontal->value() - Image_SX;
    if (dx < 0 && dx > Image_LX)
        horizontal->setValue(-dx);
    const int dy = at.y() - vertical->value() - Image_SY;
    if (dy < 0 && dy > Image_LY)
        vertical->setValue(-dy);
}

} // namespace vt
