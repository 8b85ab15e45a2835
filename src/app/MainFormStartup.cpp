// Start-up of the main window and its view commands.
#include "app/MainForm.h"

#include "app/AboutForm.h"
#include "app/AppVersion.h"
#include "app/Controls.h"
#include "charsets/ColourSelector.h"
#include "charsets/GameTables.h"
#include "pictures/Halftone.h"
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

// A threshold stored outside 0..100 is used, and stored back, as the nearer end of the range.
quint8 readThreshold(const QString& name, qint32 def)
{
    const qint32 stored = GetRegInteger(name, def);
    const quint8 used = clampPercent(stored);
    if (used != stored)
        SetRegInteger(name, used);
    return used;
}

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

    // 2. Settings. Setting a control may run its change handler, which stores the value again.
    const qint32 flags = GetRegInteger(reg::Flags, regdefault::Flags);
    m_bulk->setCheckedFormats(formatsOfFlags(flags));
    puzzpiece = IsBitSet(flags, FlagPuzzlePiece);
    prob_match = readThreshold(reg::ProbMatch, regdefault::ProbMatch);
    pix_match = readThreshold(reg::PixelMatch, regdefault::PixelMatch);
    vorlan_match = readThreshold(reg::VorlanMatch, regdefault::VorlanMatch);
    m_bulk->ed_filename->setText(GetRegString(reg::MapName, regdefault::MapName));
    // A stored choice other than the two items takes the nearer one (and is stored back).
    const qint32 charRef = GetRegInteger(reg::CharRef, regdefault::CharRef);
    m_options->rg_CharRef->setItemIndex(std::clamp(charRef, 0, m_options->rg_CharRef->count() - 1));
    m_options->rg_puzzlepiece->setItemIndex(puzzpiece ? 1 : 0);

    // 3 to 8. Colour list and the first character set.
    Atlas = QImage();
    cb_map_colour->clear();
    for (int colour = 0; colour < kColourCount; ++colour)
        cb_map_colour->addItem(colourName(colour));
    fullsize_loaded = true;
    screengrab_loaded = false;
    sb_DecodeStart->setEnabled(false);
    sb_SaveMap->setEnabled(false);
    editboundbox = false;
    MainArea->setCurrentIndex(0);
    ExtractCharsFromResource(0, true);
    cb_map_colour->setCurrentIndex(0);

    // 9 to 12.
    m_bulk->GroupBox1->setStyleSheet(QStringLiteral("QGroupBox#GroupBox1 { background: black; }"));
    lb_filename->clear();
    SwitchProgress(false);
    charstorage->resize(32, 32);
    charselect->setGeometry(0, lb_fullsizechar->geometry().bottom() + 1, 32, 32);
    charcursor->resize(24, 23);
    selectedchar = -1;

    // 13. The flat hand over the converted map.
    const QImage hand = programPicture(QStringLiteral("HANDFLAT"));
    HandFlat = hand.isNull()
                   ? QCursor(Qt::OpenHandCursor)
                   : QCursor(QPixmap::fromImage(hand), hand.width() / 2, hand.height() / 2);
    sb_Map->viewport()->setCursor(HandFlat);

    // 14. Preferences: the label first, then the slider, whose change handler may run.
    struct Threshold
    {
        QLabel* label;
        QSlider* slider;
        quint8 value;
    };
    const Threshold thresholds[] = {
        {m_options->lb_prob_match, m_options->prob_match_slider, prob_match},
        {m_options->lb_vorlan_match, m_options->vorlan_match_slider, vorlan_match},
        {m_options->lb_pixel_match, m_options->pixel_match_slider, pix_match},
    };
    for (const Threshold& threshold : thresholds) {
        threshold.label->setText(QString::number(threshold.value) + QLatin1Char('%'));
        threshold.slider->setValue(threshold.value);
    }

    // 15. Zoom keys: Ctrl with the "=" / "+" key and Ctrl with "-".
    ZoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    ZoomOut->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Minus)});

    // 16. The hero picture at 8 bits per pixel.
    VorlanCharPanel = reduceToHalftone(programPicture(QStringLiteral("HERO")));
    PuzzlePiece = programPicture(QStringLiteral("PUZZLE"));

    // A damaged settings file or value is told once, here; its defaults stand in meanwhile.
    if (const QStringList problems = takeSettingsProblems(); !problems.isEmpty())
        statusBar()->showMessage(problems.join(QLatin1Char(' ')));
}

void TMainForm::ZoomInExecute()
{
    if (MainArea->currentIndex() == 1 && sb_SaveMap->isEnabled()) {
        if (img_Map->width() < grid.grab_width * 64) {
            img_Map->resize(img_Map->width() * 2, img_Map->height() * 2);
            sb_MapResize();
        }
    }
    if (MainArea->currentIndex() == 0 && sb_DecodeStart->isEnabled()) {
        if (img_ScreenGrab->width() < 4 * img_ScreenGrab->picture().width()) {
            img_ScreenGrab->resize(img_ScreenGrab->width() * 2, img_ScreenGrab->height() * 2);
            charstorage->clearPicture();
            charcursor->hide();
            if (mapboundbox->isVisible())
                lb_MapSizeMouseEnter();
        }
    }
}

void TMainForm::ZoomOutExecute()
{
    if (MainArea->currentIndex() == 1 && sb_SaveMap->isEnabled()) {
        if (img_Map->width() > (grid.grab_width * 64) / 8) {
            img_Map->resize(img_Map->width() / 2, img_Map->height() / 2);
            sb_MapResize();
        }
    }
    if (MainArea->currentIndex() == 0 && sb_DecodeStart->isEnabled()) {
        if (img_ScreenGrab->width() > img_ScreenGrab->picture().width()) {
            img_ScreenGrab->resize(img_ScreenGrab->width() / 2, img_ScreenGrab->height() / 2);
            charstorage->clearPicture();
            charcursor->hide();
            if (mapboundbox->isVisible())
                lb_MapSizeMouseEnter();
        }
    }
}

void TMainForm::ScreenGrabTabExecute()
{
    MainArea->setCurrentIndex(0);
}

void TMainForm::ConvertedTabExecute()
{
    MainArea->setCurrentIndex(1);
}

void TMainForm::sb_MapResize()
{
    Image_LX = sb_Map->viewport()->width() - img_Map->width();
    Image_LY = sb_Map->viewport()->height() - img_Map->height();
}

void TMainForm::SwitchProgress(bool turnon)
{
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(turnon);
    sh_accuracy->setVisible(!turnon);
}

void TMainForm::sb_optionsClick()
{
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
    const qint32 flags = flagsOf(m_bulk->checkedFormats()) | SetBit(FlagPuzzlePiece, puzzpiece);
    SetRegInteger(reg::Flags, flags);
}

} // namespace vt
