// The main window's character sets: the side panel's full-size tiles and the hidden map-size
// candidates.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/Atlas.h"
#include "charsets/GameTables.h"

#include <QComboBox>
#include <QLabel>

namespace vt {

namespace {

// Destroys every control of a set, then makes `count` new ones in `parent`.
void rebuild(std::vector<PictureControl*>& set, QWidget* parent,
             const std::vector<QImage>& pictures)
{
    for (PictureControl* control : set)
        delete control;
    set.clear();
    set.reserve(pictures.size());
    for (std::size_t b = 0; b < pictures.size(); ++b) {
        auto* control = new PictureControl(parent);
        const QImage& picture = pictures[b];
        control->setObjectName(QStringLiteral("char%1").arg(b));
        control->setGeometry(picture.width() * int(b), 0, picture.width(), picture.height());
        control->setTag(int(b));
        control->setPicture(picture);
        control->show();
        set.push_back(control);
    }
}

} // namespace

void TMainForm::ExtractCharsFromResource(quint8 col, bool fullsize)
{
    const int game = cb_game->currentIndex();
    const QString name = atlasName(game, col, fullsize);
    const int count = char_count[static_cast<std::size_t>(game)];

    // Loading first: a missing or broken resource leaves both sets as they were.
    Atlas = loadAtlas(name);
    if (!fullsize) {
        rebuild(mapsize_char, mapcharpanel, Extract(Atlas, 0, 0, count, 16, 16, 15, 8));
        return;
    }

    rebuild(fullsize_char, charactersArea, Extract(Atlas, 0, 0, count, 16, 64, 64, 16));
    const int gridTop = lb_fullsizechar->geometry().bottom() + 1;
    for (int i = 0; i < count; ++i) {
        PictureControl* tile = fullsize_char[std::size_t(i)];
        tile->setStretch(true);
        tile->setGeometry(((i + 1) % 5) * 32, gridTop + ((i + 1) / 5) * 32, 32, 32);
        tile->setToolTip(characterDescription(game, i));
        connect(tile, &PictureControl::clicked, this, &TMainForm::CharSelectorClick);
    }
    charactersArea->resize(charactersArea->width(), gridTop + ((count + 5) / 5) * 32);
    charselect->raise();
}

} // namespace vt
