// The main window's cells to check: the view option that frames the unmatched cells and the
// near-ties of the decoded map on the page shown, and the walk through them from the keyboard
// (F3 / Shift+F3 to go to the next / previous in reading order, Enter to put the chosen tile
// into it).
#include "app/MainForm.h"

#include "app/Controls.h"
#include "decode/CheckOverlay.h"
#include "settings/RegUtils.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>

namespace vt {

namespace {

QString cellsToCheckText(const CellsToCheck& check)
{
    const int count = check.count();
    if (count == 0)
        return QStringLiteral("No cells to check");
    const int nearTies = check.count(CheckReason::NearTie);
    return QStringLiteral("%1 %2 to check (%3 not recognised, %4 %5)")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("cell") : QStringLiteral("cells"))
        .arg(check.count(CheckReason::Unmatched))
        .arg(nearTies)
        .arg(nearTies == 1 ? QStringLiteral("near tie") : QStringLiteral("near ties"));
}

} // namespace

QWidget* TMainForm::buildCheckPanel()
{
    ui.CheckPanel = new QWidget(ui.SmallCharPanel);
    ui.CheckPanel->setObjectName(QStringLiteral("CheckPanel"));
    ui.CheckPanel->setFixedHeight(20);
    ui.cb_ShowCellsToCheck = new QCheckBox(QStringLiteral("Show Cells To Check"), ui.CheckPanel);
    ui.cb_ShowCellsToCheck->setObjectName(QStringLiteral("cb_ShowCellsToCheck"));
    ui.cb_ShowCellsToCheck->setStyleSheet(QStringLiteral("QCheckBox { color: aqua; }"));
    ui.cb_ShowCellsToCheck->setToolTip(
        QStringLiteral("Frames the cells not recognised (magenta) and the near ties (yellow) "
                       "(Ctrl+K). F3 / Shift+F3 go to the next / previous, Enter puts the "
                       "chosen tile into it."));
    // The keys stay with the window: Enter and F3 walk the map, not the tick box.
    ui.cb_ShowCellsToCheck->setFocusPolicy(Qt::NoFocus);
    ui.cb_ShowCellsToCheck->setGeometry(4, 1, 181, 18);
    return ui.CheckPanel;
}

void TMainForm::buildCheckActions()
{
    ui.grabChecks = new CheckOverlay(ui.img_ScreenGrab, *this, CheckOverlay::Page::Grab);
    ui.grabChecks->setObjectName(QStringLiteral("grabChecks"));
    ui.mapChecks = new CheckOverlay(ui.img_Map, *this, CheckOverlay::Page::Map);
    ui.mapChecks->setObjectName(QStringLiteral("mapChecks"));

    const auto action = [this](QAction*& field, const QString& name,
                               const QList<QKeySequence>& keys, void (TMainForm::*handler)()) {
        field = new QAction(this);
        field->setObjectName(name);
        field->setShortcuts(keys);
        field->setShortcutContext(Qt::WindowShortcut);
        addAction(field);
        if (handler)
            connect(field, &QAction::triggered, this,
                    [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    action(ui.ShowCellsToCheck, QStringLiteral("ShowCellsToCheck"),
           {QKeySequence(Qt::CTRL | Qt::Key_K)}, nullptr);
    action(ui.NextCellToCheck, QStringLiteral("NextCellToCheck"), {QKeySequence(Qt::Key_F3)},
           &TMainForm::NextCellToCheckExecute);
    action(ui.PreviousCellToCheck, QStringLiteral("PreviousCellToCheck"),
           {QKeySequence(Qt::SHIFT | Qt::Key_F3)}, &TMainForm::PreviousCellToCheckExecute);
    action(ui.PutIntoCell, QStringLiteral("PutIntoCell"),
           {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)},
           &TMainForm::PutIntoCellExecute);
    // Enter is taken only while a cell has been walked to.
    ui.PutIntoCell->setEnabled(false);
    connect(ui.ShowCellsToCheck, &QAction::triggered, ui.cb_ShowCellsToCheck, &QCheckBox::toggle);
    connect(ui.cb_ShowCellsToCheck, &QCheckBox::toggled, this,
            [this] { guarded([this] { cb_ShowCellsToCheckClick(); }); });
}

void TMainForm::readCheckOption()
{
    ui.cb_ShowCellsToCheck->setChecked(
        GetRegInteger(reg::ShowCellsToCheck, regdefault::ShowCellsToCheck) != 0);
}

bool TMainForm::showsCellsToCheck() const
{
    return ui.cb_ShowCellsToCheck->isChecked();
}

void TMainForm::cb_ShowCellsToCheckClick()
{
    SetRegInteger(reg::ShowCellsToCheck, showsCellsToCheck() ? 1 : 0);
    showCellsToCheck();
}

void TMainForm::showCellsToCheck(bool keepMessage)
{
    ui.grabChecks->update();
    ui.mapChecks->update();
    ui.PutIntoCell->setEnabled(m_session.hasMap() && checkX >= 0);
    if (!m_session.hasMap() || !showsCellsToCheck())
        return;
    QString text = cellsToCheckText(m_session.check) + QStringLiteral(".");
    if (keepMessage && !statusBar()->currentMessage().isEmpty())
        text += QLatin1Char(' ') + statusBar()->currentMessage();
    else if (!m_session.check.isEmpty())
        text += QStringLiteral(" F3 / Shift+F3 go to the next / previous; choose a tile on the "
                               "right and press Enter to put it in.");
    statusBar()->showMessage(text);
}

void TMainForm::NextCellToCheckExecute()
{
    walkToCell(1);
}

void TMainForm::PreviousCellToCheckExecute()
{
    walkToCell(-1);
}

void TMainForm::walkToCell(int direction)
{
    if (!m_session.hasMap())
        return;
    const CellsToCheck& check = m_session.check;
    const std::optional<CellToCheck> cell =
        direction > 0 ? check.next(checkX, checkY) : check.previous(checkX, checkY);
    if (!cell) {
        statusBar()->showMessage(QStringLiteral("No cells to check."));
        return;
    }
    checkX = charX = cell->column;
    checkY = charY = cell->row;

    // The page shown scrolls to the cell, with some of its neighbours in sight, and frames it;
    // the grab shows the cell box and the preview as if the pointer were on the cell.
    if (ui.MainArea->currentIndex() == 0) {
        showCellBox();
        const QRect shown = ui.grabChecks->shownCell(checkX, checkY);
        ui.sb_ScreenGrab->ensureVisible(shown.center().x(), shown.center().y(), shown.width() * 2,
                                        shown.height() * 2);
    } else {
        ui.charstorage->setPicture(m_session.grabCell(charX, charY, 32));
        showSuggestions(true);
        const QRect shown = ui.mapChecks->shownCell(checkX, checkY);
        ui.sb_Map->ensureVisible(shown.center().x(), shown.center().y(), shown.width(),
                                 shown.height());
    }
    ui.grabChecks->update();
    ui.mapChecks->update();
    ui.PutIntoCell->setEnabled(true);
    statusBar()->showMessage(
        QStringLiteral("Column %1, row %2: %3, %4 of %5 to check. Choose a tile on the right "
                       "and press Enter to put it in; F3 / Shift+F3 go to the next / previous.")
            .arg(checkX + 1)
            .arg(checkY + 1)
            .arg(cell->reason == CheckReason::Unmatched ? QStringLiteral("not recognised")
                                                        : QStringLiteral("near tie"))
            .arg(check.indexOf(checkX, checkY) + 1)
            .arg(check.count()));
}

void TMainForm::PutIntoCellExecute()
{
    if (!m_session.hasMap() || checkX < 0 || checkY < 0)
        return;
    charX = checkX;
    charY = checkY;
    charcursorMouseDown();
    statusBar()->showMessage(QStringLiteral("Column %1, row %2 replaced. %3; F3 goes to the next.")
                                 .arg(checkX + 1)
                                 .arg(checkY + 1)
                                 .arg(cellsToCheckText(m_session.check)));
}

} // namespace vt
