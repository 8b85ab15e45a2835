// The main window: the controls of the grab being worked on and all of its state.
//
// The handlers are defined beside their subsystems: loading and bounds in intake/, decoding
// and correction in decode/, saving and bulk runs in export/, character sets in charsets/.
// This file and MainForm.cpp hold the frame, start-up and the view commands.
#pragma once

#include "app/UserPrompts.h"
#include "decode/DecodedMap.h"
#include "export/SaveMap.h"
#include "pictures/GridGeometry.h"

#include <QCursor>
#include <QImage>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QMouseEvent;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace vt {

class EventLabel;
class FilledShape;
class OutlineShape;
class PathLabel;
class PictureControl;
class TAboutForm;
class TBulkConvForm;
class TColourComboBox;
class TOptionsForm;

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The three secondary windows, created after this one (see createForms).
    void setForms(TBulkConvForm* bulk, TAboutForm* about, TOptionsForm* options);
    TBulkConvForm* BulkConvForm() const { return m_bulk; }
    TAboutForm* AboutForm() const { return m_about; }
    TOptionsForm* OptionsForm() const { return m_options; }

    // Questions to the user; tests put answers of their own here.
    UserPrompts& prompts() { return *m_prompts; }
    void setPrompts(std::unique_ptr<UserPrompts> prompts);

    // Runs a command, reporting any error it raises to the user instead of letting it escape
    // into the event loop; the state stays as the failed step left it.
    void guarded(const std::function<void()>& command);

    // ---- State of the grab being worked on ----
    GridGeometry grid; // originx, originy, grab_width, grab_height, mapareax, mapareay
    GridGeometry det;  // the det_ copies: the grid as the last analysis found it
    QString img_filename;
    bool screengrab_loaded = false;
    bool fullsize_loaded = false;
    bool editboundbox = false;
    bool boundboxmove = false;
    quint8 boundboxedit = 0;
    qint32 bboxX = 0;
    qint32 bboxY = 0;
    qint32 charX = 0;
    qint32 charY = 0;
    qint32 selectedchar = -1;
    qint32 Image_SX = 0;
    qint32 Image_SY = 0;
    qint32 Image_LX = 0;
    qint32 Image_LY = 0;
    DecodedMap decoded; // map and errors of the last decoding pass

    // Preferences (stored in the settings).
    quint8 prob_match = 88;
    quint8 pix_match = 90;
    quint8 vorlan_match = 96;
    bool puzzpiece = false;

    // Pictures that are never shown.
    QImage Atlas;           // the atlas loaded last
    QImage fullcolourimage; // the grab in full colour, before its reduction to 8 bits
    QImage VorlanCharPanel; // the hero figure, 34 x 34, reduced to 8 bits at start-up
    QImage PuzzlePiece;     // 64 x 64, drawn for unrecognised cells
    QCursor HandFlat;       // the open flat hand shown over the converted map
    QStringList map_text;   // the last table written

    // The character sets, in character order; element i has tag i.
    std::vector<PictureControl*> fullsize_char;
    std::vector<PictureControl*> mapsize_char;

    // ---- Controls ----
    QWidget* Panel1 = nullptr;
    PictureControl* Image1 = nullptr;
    QWidget* SmallCharPanel = nullptr;
    QWidget* ButtonPanel = nullptr;
    QPushButton* sb_LoadScreenGrab = nullptr;
    QPushButton* sb_SaveScreenGrab = nullptr;
    QPushButton* sb_DecodeStart = nullptr;
    QPushButton* sb_SaveMap = nullptr;
    QPushButton* sb_bulkconvert = nullptr;
    QPushButton* sb_options = nullptr;
    QPushButton* sb_about = nullptr;
    QWidget* InfoPanel = nullptr;
    PathLabel* lb_filename = nullptr;
    QComboBox* cb_game = nullptr;
    EventLabel* lb_MapSize = nullptr;
    EventLabel* lb_Origin = nullptr;
    QLabel* lb_maparea = nullptr;
    QLabel* lb_accuracy = nullptr;
    FilledShape* sh_accuracy = nullptr;
    TColourComboBox* cb_map_colour = nullptr;
    QWidget* ProgressPanel = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QScrollArea* sb_Characters = nullptr;
    QWidget* charactersArea = nullptr; // the scrolled content of sb_Characters
    QLabel* lb_fullsizechar = nullptr;
    PictureControl* charstorage = nullptr;
    OutlineShape* charselect = nullptr;
    QTabWidget* MainArea = nullptr;
    QWidget* tb_ScreenGrab = nullptr;
    QScrollArea* sb_ScreenGrab = nullptr;
    PictureControl* img_ScreenGrab = nullptr;
    OutlineShape* charcursor = nullptr;
    OutlineShape* mapboundbox = nullptr;
    QWidget* tb_Map = nullptr;
    QScrollArea* sb_Map = nullptr;
    PictureControl* img_Map = nullptr;
    QWidget* CharPanel = nullptr;
    QWidget* mapcharpanel = nullptr;

    QAction* LoadFromClipboard = nullptr;
    QAction* SaveClipboard = nullptr;
    QAction* ZoomIn = nullptr;
    QAction* ZoomOut = nullptr;
    QAction* ScreenGrabTab = nullptr;
    QAction* ConvertedTab = nullptr;

    // File dialogs; each keeps its last name and file-type row for the program's run.
    QStringList OpenPictureDialog1; // file-type rows of the open-picture dialog
    SaveDialogState SaveDialog1;
    SaveDialogState SaveScreenGrabDialog;

public slots:
    // Start-up and view commands (app/).
    void FormCreate();
    void FormShow();
    void ZoomInExecute();
    void ZoomOutExecute();
    void ScreenGrabTabExecute();
    void ConvertedTabExecute();
    void sb_MapResize();
    void SwitchProgress(bool turnon);
    void sb_optionsClick();
    void sb_aboutClick();
    void Image1Click();
    void SetRegistry();

    // Character sets (charsets/).
    void ExtractCharsFromResource(quint8 col, bool fullsize);

    // Loading (intake/).
    void LoadScreenGrab(const QString& filename);
    void ResetFields(bool colourchange);
    void sb_LoadScreenGrabClick();
    void ScreenGrabFromClipboard();
    void cb_gameChange();
    void cb_map_colourChange();

    // Bounds (intake/).
    void UpdateLabels();
    void lb_MapSizeMouseEnter();
    void lb_MapSizeMouseLeave();
    void lb_MapSizeClick();
    void lb_MapSizeDblClick();
    void mapboundboxMouseDown(QMouseEvent* event);
    void mapboundboxMouseMove(QMouseEvent* event);
    void mapboundboxMouseUp(QMouseEvent* event);

    // Decoding and correction (decode/).
    void DecodeScreen();
    void img_ScreenGrabMouseMove(QMouseEvent* event);
    void img_ScreenGrabMouseLeave();
    void CharSelectorClick(vt::PictureControl* sender);
    void charcursorMouseDown();
    void ImageMouseDown(QMouseEvent* event);
    void ImageMouseMove(QMouseEvent* event);

    // Saving (export/).
    void sb_SaveMapClick();
    void sb_SaveScreenGrabClick();
    void InitiateSave(vt::SaveDialogState& dialog);
    void SaveToClipboard();
    void sb_bulkconvertClick();

public:
    // Writes `picture` and the table through the export library, with the progress display
    // on while it works; an empty name puts the picture on the clipboard. Throws vt::Error.
    void SaveMap(const QImage& picture, const QString& filename, const SaveChoices& choices,
                 bool confirmoverwrite);

    // The same under a base name taken as it stands, extensions added per output.
    void saveOutputs(const QImage& picture, const QString& base, const SaveChoices& choices,
                     bool confirmoverwrite);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    void buildSidePanel();
    void buildMainArea();
    void buildActions();
    void wireHandlers();

    std::unique_ptr<UserPrompts> m_prompts;
    TBulkConvForm* m_bulk = nullptr;
    TAboutForm* m_about = nullptr;
    TOptionsForm* m_options = nullptr;
    bool m_shown = false;
};

// The four windows in their order of creation.
struct Forms
{
    TMainForm* MainForm = nullptr;
    TBulkConvForm* BulkConvForm = nullptr;
    TAboutForm* AboutForm = nullptr;
    TOptionsForm* OptionsForm = nullptr;
};

// Creates the main window, then the bulk dialog, the about box and the preferences dialog,
// each owned by the main window. The caller shows the main window.
Forms createForms();

} // namespace vt
