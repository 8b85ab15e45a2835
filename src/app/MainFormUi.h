// The main window's controls, grouped as a form designer groups them: built once by
// TMainForm's constructor and owned by the window through Qt's parent chain.
#pragma once

#include <array>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QWidget;

namespace vt {

class CheckOverlay;
class EventLabel;
class FilledShape;
class OutlineShape;
class PathLabel;
class PictureControl;
class TColourComboBox;

namespace Ui {

struct MainForm
{
    QWidget* Panel1 = nullptr;
    PictureControl* Image1 = nullptr;
    QWidget* SmallCharPanel = nullptr;
    QWidget* ButtonPanel = nullptr;
    QPushButton* sb_LoadScreenGrab = nullptr;
    QPushButton* sb_SaveScreenGrab = nullptr;
    QPushButton* sb_DecodeStart = nullptr;
    QPushButton* sb_SaveMap = nullptr;
    QPushButton* sb_OpenMap = nullptr; // beside sb_SaveMap, in its row
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
    QLabel* lb_trust = nullptr; // under the colour list: "certain" or "check the map"
    // The view option that frames the cells to check, and the frames over both pages.
    QWidget* CheckPanel = nullptr;
    QCheckBox* cb_ShowCellsToCheck = nullptr;
    CheckOverlay* grabChecks = nullptr;
    CheckOverlay* mapChecks = nullptr;
    // The three characters most like the cell under inspection, their scores, and the keys
    // 1, 2, 3 that put them in.
    QWidget* SuggestPanel = nullptr;
    std::array<PictureControl*, 3> img_Suggest{};
    std::array<QLabel*, 3> lb_Suggest{};
    std::array<QAction*, 3> PutSuggestion{};
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
    QLabel* lb_starthint = nullptr; // how to begin, over the empty grab page
    PictureControl* img_ScreenGrab = nullptr;
    OutlineShape* charcursor = nullptr;
    OutlineShape* mapboundbox = nullptr;
    QWidget* tb_Map = nullptr;
    QScrollArea* sb_Map = nullptr;
    PictureControl* img_Map = nullptr;
    QWidget* CharPanel = nullptr;

    // The side panel's full-size characters, in character order; tile i has tag i.
    std::vector<PictureControl*> fullsize_char;

    QAction* LoadFromClipboard = nullptr;
    QAction* SaveClipboard = nullptr;
    QAction* OpenMap = nullptr; // Ctrl+O
    QAction* ZoomIn = nullptr;
    QAction* ZoomOut = nullptr;
    QAction* ScreenGrabTab = nullptr;
    QAction* ConvertedTab = nullptr;
    QAction* Undo = nullptr; // of hand corrections
    QAction* Redo = nullptr;
    QAction* ShowCellsToCheck = nullptr;    // Ctrl+K: the tick box
    QAction* NextCellToCheck = nullptr;     // F3
    QAction* PreviousCellToCheck = nullptr; // Shift+F3
    QAction* PutIntoCell = nullptr;         // Enter: the chosen tile into the cell walked to
};

} // namespace Ui
} // namespace vt
