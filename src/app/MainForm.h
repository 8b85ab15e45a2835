// The main window: the controls of the grab being worked on and all of its state.
//
// The handlers are defined beside their subsystems: loading and bounds in intake/, decoding
// and correction in decode/, saving and bulk runs in export/, character sets in charsets/.
// This file and MainForm.cpp hold the frame, start-up and the view commands.
#pragma once

#include "app/MainFormUi.h"
#include "app/UserPrompts.h"
#include "export/SaveMap.h"
#include "session/GrabSession.h"

#include <QCursor>
#include <QImage>
#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QMouseEvent;

namespace vt {

class PictureControl;
struct BulkOptions;
class TAboutForm;
class TBulkConvForm;
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

    // The grab being worked on: its pictures, grid, character sets, decoded map and the
    // preferences in use. The handlers run its commands and redraw from it.
    GrabSession& session() { return m_session; }
    const GrabSession& session() const { return m_session; }

    Ui::MainForm ui;

    // ---- State of the window itself ----
    bool editboundbox = false; // the bounds box is shown for editing
    bool boundboxmove = false; // a drag of the bounds box is under way
    quint8 boundboxedit = 0;   // the part of the box the drag holds
    qint32 bboxX = 0;          // where the drag began, in screen pixels of the box
    qint32 bboxY = 0;
    qint32 charX = 0; // the cell under the pointer
    qint32 charY = 0;
    qint32 selectedchar = -1; // the character chosen in the side panel, -1 for the grab's own
    qint32 Image_SX = 0;      // where a drag of the converted map began
    qint32 Image_SY = 0;
    qint32 Image_LX = 0; // the converted map's scroll limits
    qint32 Image_LY = 0;
    qint32 checkX = -1; // the cell to check that F3 / Shift+F3 went to; -1 before the first
    qint32 checkY = -1;
    QCursor HandFlat; // the open flat hand shown over the converted map

    // File dialogs; each keeps its last name and file-type row for the program's run.
    QStringList OpenPictureDialog1; // file-type rows of the open-picture dialog
    QStringList OpenMapDialog;      // file-type rows of Open Map's dialog
    SaveDialogState SaveDialog1;
    SaveDialogState SaveScreenGrabDialog;
    // The folders of the last grab loaded from a file and of the last save, for this run and,
    // through the settings, the next.
    QString lastGrabFolder;
    QString lastSaveFolder;

signals:
    // A bulk run has finished the grab listed at `done` (from 1) of the `count` files listed;
    // before the next it looks for a stop.
    void bulkGrabDone(int done, int count);

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
    // Takes the preferences dialog's values into the session.
    void takePreferences();

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
    void UndoExecute();
    void RedoExecute();
    // Keys 1, 2, 3: the suggestion of that rank (0 to 2) into the cell under inspection.
    void PutSuggestionExecute(int rank);

    // The cells to check (decode/MainFormCheck.cpp).
    void cb_ShowCellsToCheckClick();
    void NextCellToCheckExecute();
    void PreviousCellToCheckExecute();
    void PutIntoCellExecute();

    // Saving (export/).
    void sb_SaveMapClick();
    void sb_SaveScreenGrabClick();
    void InitiateSave(vt::SaveDialogState& dialog);
    void SaveToClipboard();
    void sb_bulkconvertClick();
    // Open Map (export/MainFormOpen.cpp): a table the program wrote, back as the decoded map.
    void OpenMapExecute();
    void OpenMapFile(const QString& path);

public:
    // Asked first by every command that throws the decoded map away: true when there are no
    // corrections since the last save, or the user lets them go.
    bool mayDiscardCorrections();

    // Writes `picture` and the table through the export library, with the progress display
    // on while it works; an empty name puts the picture on the clipboard. Throws vt::Error.
    void SaveMap(const QImage& picture, const QString& filename, const SaveChoices& choices,
                 bool confirmoverwrite);

    // The same under a base name taken as it stands, extensions added per output; an output
    // whose extension the player typed (`extension`, ".JPG") is written under that one.
    void saveOutputs(const QImage& picture, const QString& base, const SaveChoices& choices,
                     bool confirmoverwrite, const QString& extension = QString());

    // Whether the cells to check are framed (the view option).
    bool showsCellsToCheck() const;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A picture file dropped on the window loads as "&Load Screengrab" loads it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Redrawing from the session: the buttons of the program's mode, the selectors and the side
    // panel, what a load found, the converted map, and what a decoding pass found.
    void showMode();
    void showSelection();
    void showCharacters();
    void showLoaded();
    void showMap();
    void showDecoded();
    // The side panel's choice back on the copy-from-grab tile, as a new grab starts.
    void resetCharSelection();

    // The folder a file dialog opens in: this run's, else the stored one while it exists.
    QString rememberedFolder(const QString& field, const QString& valueName) const;
    void rememberFolder(QString& field, const QString& valueName, const QString& folder);
    // A bulk run over the dialog's listing; a stop asked for between grabs ends it early.
    void runBulk(const QString& source, const BulkOptions& options);
    // The cell box and the preview over grab cell (charX, charY).
    void showCellBox();
    // The frames of the cells to check redrawn, their count in the status line; with
    // `keepMessage` the count goes before the message shown.
    void showCellsToCheck(bool keepMessage = false);
    QWidget* buildCheckPanel();
    // The suggestions for cell (charX, charY) shown, scored on demand; or none.
    QWidget* buildSuggestPanel();
    void showSuggestions(bool shown);
    // An arrow key in the side panel: the chosen tile moves to its neighbour in the grid
    // (the copy-from-grab tile first). False for other keys, or while there is no map.
    bool moveCharSelection(int key);
    // `character` into cell (charX, charY) as a correction, told in the status line.
    void putIntoCell(int character);
    void buildCheckActions();
    void readCheckOption();
    void walkToCell(int direction);

    void buildLayout();
    void buildSidePanel();
    void buildMainArea();
    void buildActions();
    void wireHandlers();
    void buildCorrectionActions();

    GrabSession m_session;
    CharacterSet m_shownCharacters; // the set the side panel's tiles show
    std::unique_ptr<UserPrompts> m_prompts;
    TBulkConvForm* m_bulk = nullptr;
    TAboutForm* m_about = nullptr;
    TOptionsForm* m_options = nullptr;
    bool m_shown = false;
    bool m_bulkStop = false; // Esc or Stop during a bulk run
    std::vector<CellCandidate> m_suggestions; // shown in SuggestPanel, for m_suggestedFor
    QPoint m_suggestedFor{-1, -1};
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
