// The main window's decoding pass.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/ColourSelector.h"
#include "decode/MapDecoder.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>

namespace vt {

namespace {

std::vector<QImage> picturesOf(const std::vector<PictureControl*>& set)
{
    std::vector<QImage> pictures;
    pictures.reserve(set.size());
    for (const PictureControl* control : set)
        pictures.push_back(control->picture());
    return pictures;
}

} // namespace

void TMainForm::DecodeScreen()
{
    if (!sb_DecodeStart->isEnabled())
        return;
    sb_SaveMap->setEnabled(false);
    editboundbox = false;
    lb_MapSizeMouseLeave();
    MainArea->setCurrentIndex(1);
    sb_Map->horizontalScrollBar()->setValue(0);
    sb_Map->verticalScrollBar()->setValue(0);
    img_Map->resize(kFullSize * grid.grab_width, kFullSize * grid.grab_height);
    decoded.reset(grid.grab_width, grid.grab_height);
    SwitchProgress(true);

    ExtractCharsFromResource(static_cast<quint8>(cb_map_colour->currentIndex()), false);
    const std::vector<QImage> candidates = picturesOf(mapsize_char);
    const std::vector<QImage> characters = picturesOf(fullsize_char);

    DecodeInput input;
    input.working = &img_ScreenGrab->picture();
    input.fullcolour = &fullcolourimage;
    input.grid = grid;
    input.mapsize = &candidates;
    input.fullsize = &characters;
    input.puzzle = &PuzzlePiece;
    input.prob_match = prob_match;
    input.puzzpiece = puzzpiece;
    DecodeResult result = decodeMap(input, [this](int percent) {
        ProgressBar1->setValue(percent);
        ProgressBar1->repaint(); // the pass holds the event loop; show progress as it goes
    });

    decoded = std::move(result.decoded);
    img_Map->setPicture(result.picture);
    img_Map->resize(result.picture.size());
    sb_MapResize();
    charstorage->clearPicture();

    sb_SaveMap->setEnabled(true);
    charselect->show();
    charselect->raise();
    charselect->move(0, lb_fullsizechar->geometry().bottom() + 1);
    selectedchar = -1;
    SwitchProgress(false);

    const int accuracy = accuracyPercent(decoded.errors, grid.grab_width, grid.grab_height);
    lb_accuracy->setText(QString::number(accuracy) + QLatin1Char('%'));
    sh_accuracy->setBrushColor(accuracyColour(accuracy));
    const int cells = grid.grab_width * grid.grab_height;
    statusBar()->showMessage(
        QStringLiteral("Decoded %1 cells, %2 not recognised. Point at the grab to inspect a cell; "
                       "choose a character on the right and press on the cell, or Ctrl-click "
                       "the converted map, to correct it.")
            .arg(cells)
            .arg(decoded.errors));
}

} // namespace vt
