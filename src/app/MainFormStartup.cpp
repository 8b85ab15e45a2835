// Start-up of the main window and its view commands.
#include "app/MainForm.h"

#include "app/AboutForm.h"
#include "app/AppVersion.h"
#include "app/Controls.h"
#include "charsets/ColourSelector.h"
#include "charsets/GameTables.h"
#include "charsets/Resources.h"
#include "export/BulkConvForm.h"
#include "export/OutputFormats.h"
#include "settings/Flags.h"
#include "settings/OptionsForm.h"
#include "settings/RegUtils.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>

namespace vt {

namespace {

const QString kApplicationTitle = QStringLiteral("Vorlan Tesselor");
const QString kReleaseDate = QStringLiteral("4th September 2018");
const QString kMakerWebPage = QStringLiteral("https://tamsel-software.example/vorlan/tesselor/");

} // namespace

void TMainForm::FormCreate()
{
    QCoreApplication::setApplicationName(kApplicationTitle);
    setWindowTitle(kApplicationTitle + QStringLiteral(" v") + AppVersion());
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        guarded([this] { FormShow(); });
    }
}

void TMainForm::FormShow()
{
    // 1. About box.
    m_about->lb_title->setText(QCoreApplication::applicationName());
    m_about->lb_version->setText(QStringLiteral("Version ") + AppVersion() + QStringLiteral(" (") +
                                 kReleaseDate + QStringLiteral(")"));

    // 2. Settings, read (and repaired) as a whole before any control shows them. Setting a
    // control may run its change handler, which stores the value again.
    // The controls' handlers write the session's preferences as they go: show a copy.
    const Preferences prefs = readPreferences(StoreAccess::Repair);
    m_session.prefs = prefs;
    m_bulk->setCheckedFormats(prefs.bulkOutputs);
    m_bulk->ed_filename->setText(prefs.pattern);
    m_options->rg_CharRef->setItemIndex(prefs.charRef);
    m_options->rg_puzzlepiece->setItemIndex(prefs.puzzpiece ? 1 : 0);
    readCheckOption();

    // 3 to 8. Colour list and the first character set.
    ui.cb_map_colour->clear();
    for (int colour = 0; colour < kColourCount; ++colour)
        ui.cb_map_colour->addItem(colourName(colour));
    m_session.screengrab_loaded = false;
    editboundbox = false;
    ui.MainArea->setCurrentIndex(0);
    ExtractCharsFromResource(0, true);
    ui.cb_map_colour->setCurrentIndex(0);
    showMode();

    // 9 to 12.
    m_bulk->GroupBox1->setStyleSheet(QStringLiteral("QGroupBox#GroupBox1 { background: black; }"));
    ui.lb_filename->clear();
    SwitchProgress(false);
    ui.charstorage->resize(32, 32);
    ui.charselect->setGeometry(0, ui.lb_fullsizechar->geometry().bottom() + 1, 32, 32);
    ui.charcursor->resize(24, 23);
    selectedchar = -1;

    // 13. The flat hand over the converted map.
    const QImage hand = programPicture(QStringLiteral("HANDFLAT"));
    HandFlat = hand.isNull()
                   ? QCursor(Qt::OpenHandCursor)
                   : QCursor(QPixmap::fromImage(hand), hand.width() / 2, hand.height() / 2);
    ui.sb_Map->viewport()->setCursor(HandFlat);

    // 14. Preferences: the label first, then the slider, whose change handler may run.
    struct Threshold
    {
        QLabel* label;
        QSlider* slider;
        quint8 value;
    };
    const Threshold thresholds[] = {
        {m_options->lb_prob_match, m_options->prob_match_slider, prefs.thresholds.prob_match},
        {m_options->lb_vorlan_match, m_options->vorlan_match_slider, prefs.thresholds.vorlan_match},
        {m_options->lb_pixel_match, m_options->pixel_match_slider, prefs.thresholds.pix_match},
    };
    for (const Threshold& threshold : thresholds) {
        threshold.label->setText(QString::number(threshold.value) + QLatin1Char('%'));
        threshold.slider->setValue(threshold.value);
    }

    // 15. Zoom keys: Ctrl with the "=" / "+" key and Ctrl with "-".
    ui.ZoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    ui.ZoomOut->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Minus)});

    // 16. The hero picture at 8 bits per pixel, read now so that the first load is quick.
    ProgramArt::shared().hero();

    // A damaged settings file or value is told once, here; its defaults stand in meanwhile.
    if (const QStringList problems = takeSettingsProblems(); !problems.isEmpty())
        statusBar()->showMessage(problems.join(QLatin1Char(' ')));
}

void TMainForm::ZoomInExecute()
{
    if (ui.MainArea->currentIndex() == 1 && m_session.hasMap()) {
        if (ui.img_Map->width() < m_session.grid.grab_width * 64) {
            ui.img_Map->resize(ui.img_Map->width() * 2, ui.img_Map->height() * 2);
            sb_MapResize();
        }
    }
    if (ui.MainArea->currentIndex() == 0 && m_session.canDecode()) {
        if (ui.img_ScreenGrab->width() < 4 * ui.img_ScreenGrab->picture().width()) {
            ui.img_ScreenGrab->resize(ui.img_ScreenGrab->width() * 2,
                                      ui.img_ScreenGrab->height() * 2);
            ui.charstorage->clearPicture();
            ui.charcursor->hide();
            showSuggestions(false);
            if (ui.mapboundbox->isVisible())
                lb_MapSizeMouseEnter();
        }
    }
}

void TMainForm::ZoomOutExecute()
{
    if (ui.MainArea->currentIndex() == 1 && m_session.hasMap()) {
        if (ui.img_Map->width() > (m_session.grid.grab_width * 64) / 8) {
            ui.img_Map->resize(ui.img_Map->width() / 2, ui.img_Map->height() / 2);
            sb_MapResize();
        }
    }
    if (ui.MainArea->currentIndex() == 0 && m_session.canDecode()) {
        if (ui.img_ScreenGrab->width() > ui.img_ScreenGrab->picture().width()) {
            ui.img_ScreenGrab->resize(ui.img_ScreenGrab->width() / 2,
                                      ui.img_ScreenGrab->height() / 2);
            ui.charstorage->clearPicture();
            ui.charcursor->hide();
            showSuggestions(false);
            if (ui.mapboundbox->isVisible())
                lb_MapSizeMouseEnter();
        }
    }
}

void TMainForm::ScreenGrabTabExecute()
{
    ui.MainArea->setCurrentIndex(0);
}

void TMainForm::ConvertedTabExecute()
{
    ui.MainArea->setCurrentIndex(1);
}

void TMainForm::sb_MapResize()
{
    Image_LX = ui.sb_Map->viewport()->width() - ui.img_Map->width();
    Image_LY = ui.sb_Map->viewport()->height() - ui.img_Map->height();
}

void TMainForm::SwitchProgress(bool turnon)
{
    ui.ProgressBar1->setValue(0);
    ui.ProgressBar1->setVisible(turnon);
    ui.sh_accuracy->setVisible(!turnon);
}

void TMainForm::sb_optionsClick()
{
    m_options->showRedecodeNote(false);
    m_options->exec();
}

void TMainForm::sb_aboutClick()
{
    m_about->exec();
}

void TMainForm::Image1Click()
{
    prompts().openUrl(this, kMakerWebPage);
}

void TMainForm::SetRegistry()
{
    m_session.prefs.bulkOutputs = m_bulk->checkedFormats();
    SetRegInteger(reg::Flags, flagsValue(m_session.prefs.bulkOutputs, m_session.prefs.puzzpiece));
}

void TMainForm::takePreferences()
{
    Preferences& prefs = m_session.prefs;
    // New thresholds act on the next location or decoding only: a map on show keeps its
    // reading, and the player is told so.
    if (m_session.hasMap() && (prefs.thresholds.prob_match != m_options->prob_match() ||
                               prefs.thresholds.pix_match != m_options->pix_match() ||
                               prefs.thresholds.vorlan_match != m_options->vorlan_match())) {
        m_options->showRedecodeNote(true);
        statusBar()->showMessage(QStringLiteral("The thresholds were changed: run Decode Map "
                                                "again for them to apply to the map on show."));
    }
    prefs.thresholds.prob_match = m_options->prob_match();
    prefs.thresholds.pix_match = m_options->pix_match();
    prefs.thresholds.vorlan_match = m_options->vorlan_match();
    prefs.charRef = m_options->charRef();
    if (prefs.puzzpiece != m_options->puzzpiece()) {
        prefs.puzzpiece = m_options->puzzpiece();
        SetRegistry();
    }
}

} // namespace vt
