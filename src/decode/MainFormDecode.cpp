// The main window's decoding pass.
#include "app/MainForm.h"

#include "app/Controls.h"
#include "charsets/ColourSelector.h"
#include "decode/MapDecoder.h"
#include "session/BulkRun.h"

#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>

namespace vt {

void TMainForm::DecodeScreen()
{
    if (!m_session.canDecode() || !mayDiscardCorrections())
        return;
    editboundbox = false;
    lb_MapSizeMouseLeave();
    ui.MainArea->setCurrentIndex(1);
    ui.sb_Map->horizontalScrollBar()->setValue(0);
    ui.sb_Map->verticalScrollBar()->setValue(0);
    SwitchProgress(true);
    ui.sb_SaveMap->setEnabled(false);
    try {
        m_session.decode([this](int percent) {
            ui.ProgressBar1->setValue(percent);
            ui.ProgressBar1->repaint(); // the pass holds the event loop; show progress as it goes
        });
    } catch (...) {
        SwitchProgress(false);
        showMode();
        throw;
    }
    SwitchProgress(false);
    showDecoded();
}

void TMainForm::showDecoded()
{
    ui.MainArea->setCurrentIndex(1);
    showMap();
    ui.charstorage->clearPicture();
    showSuggestions(false); // the cell inspected before belongs to no map now
    ui.charselect->show();
    ui.charselect->raise();
    ui.charselect->move(0, ui.lb_fullsizechar->geometry().bottom() + 1);
    selectedchar = -1;
    showMode();

    if (!m_session.openedTable.isEmpty()) {
        // An opened map has no accuracy of its own: it is what the table holds.
        ui.lb_accuracy->setText(QStringLiteral("From table"));
        ui.lb_trust->clear();
        ui.sh_accuracy->setBrushColor(Qt::black);
        statusBar()->showMessage(
            QStringLiteral("Opened %1 with %2 cells, %3 not recognised. Choose a character on the "
                           "right and Ctrl-click the converted map to correct a cell.")
                .arg(QFileInfo(m_session.openedTable).fileName())
                .arg(m_session.decoded.columns() * m_session.decoded.rows())
                .arg(m_session.decoded.errors));
        checkX = checkY = -1;
        showCellsToCheck(true);
        return;
    }
    // The fallback grid decodes as the program always did, but a blank picture's 100 % would
    // tell a success that never was: no map was found.
    const int accuracy = m_session.accuracy();
    if (m_session.confidence.mapFound) {
        ui.lb_accuracy->setText(QString::number(accuracy) + QLatin1Char('%'));
        ui.sh_accuracy->setBrushColor(accuracyColour(accuracy));
    } else {
        ui.lb_accuracy->setText(QStringLiteral("no map found"));
        ui.sh_accuracy->setBrushColor(Qt::black);
    }
    const int cells = m_session.grid.grab_width * m_session.grid.grab_height;
    const Confidence& confidence = m_session.confidence;
    ui.lb_trust->setText(
        QStringLiteral("%1, mean %2")
            .arg(confidence.certain() ? QStringLiteral("certain") : QStringLiteral("check the map"))
            .arg(confidence.meanScore, 0, 'f', 1));
    ui.lb_trust->setToolTip((confidence.certain()
                                 ? QStringLiteral("The game and the grid are certain")
                                 : uncertainty(confidence)) +
                            QStringLiteral(". The cells' best scores average %1 of 100.")
                                .arg(confidence.meanScore, 0, 'f', 1));
    QString trust = QStringLiteral("mean score %1%, %2% near ties")
                        .arg(confidence.meanScore, 0, 'f', 1)
                        .arg(confidence.nearTieShare * 100, 0, 'f', 1);
    if (const QString doubt = uncertainty(confidence); !doubt.isEmpty())
        trust += QStringLiteral("; ") + doubt;
    statusBar()->showMessage(
        QStringLiteral("Decoded %1 cells, %2 not recognised (%3). Point at the grab to inspect a "
                       "cell; choose a character on the right and press on the cell, or "
                       "Ctrl-click the converted map, to correct it.")
            .arg(cells)
            .arg(m_session.decoded.errors)
            .arg(trust));
    checkX = checkY = -1;
    showCellsToCheck(true);
}

void TMainForm::showMap()
{
    ui.img_Map->setPicture(m_session.mapPicture);
    ui.img_Map->resize(m_session.mapPicture.size());
    sb_MapResize();
}

} // namespace vt
