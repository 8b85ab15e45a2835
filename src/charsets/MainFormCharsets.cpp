// The main window's character sets: the side panel's full-size tiles, cut by the session.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/GameTables.h"

#include <QComboBox>
#include <QLabel>

namespace vt {

void TMainForm::ExtractCharsFromResource(quint8 col, bool fullsize)
{
    // The sets are the selected game's. A missing or broken resource throws here and leaves
    // both sets as they were.
    m_session.game = ui.cb_game->currentIndex();
    m_session.ExtractCharsFromResource(col, fullsize);
    if (fullsize)
        showCharacters();
}

void TMainForm::showCharacters()
{
    if (m_shownCharacters == m_session.fullsize_char)
        return;
    m_shownCharacters = m_session.fullsize_char;
    for (PictureControl* tile : ui.fullsize_char)
        delete tile;
    ui.fullsize_char.clear();
    if (!m_shownCharacters)
        return;

    const int game = m_session.game;
    const int count = int(m_shownCharacters->size());
    const int gridTop = ui.lb_fullsizechar->geometry().bottom() + 1;
    ui.fullsize_char.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        auto* tile = new PictureControl(ui.charactersArea);
        tile->setObjectName(QStringLiteral("char%1").arg(i));
        tile->setTag(i);
        tile->setPicture(m_shownCharacters->at(std::size_t(i)));
        tile->setStretch(true);
        // Slot 0 holds the copy-from-grab tile.
        tile->setGeometry(((i + 1) % 5) * 32, gridTop + ((i + 1) / 5) * 32, 32, 32);
        tile->setToolTip(characterDescription(game, i));
        tile->show();
        connect(tile, &PictureControl::clicked, this, &TMainForm::CharSelectorClick);
        ui.fullsize_char.push_back(tile);
    }
    ui.charactersArea->resize(ui.charactersArea->width(), gridTop + ((count + 5) / 5) * 32);
    ui.charselect->raise();
}

void TMainForm::resetCharSelection()
{
    ui.charselect->move(0, ui.lb_fullsizechar->geometry().bottom() + 1);
    ui.charselect->raise();
    selectedchar = -1;
}

} // namespace vt
