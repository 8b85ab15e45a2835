#include "app/MainForm.h"

#include "app/AboutForm.h"
#include "app/Controls.h"
#include "charsets/ColourSelector.h"
#include "charsets/GameTables.h"
#include "charsets/Resources.h"
#include "export/BulkConvForm.h"
#include "export/OutputFormats.h"
#include "settings/OptionsForm.h"

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <exception>

namespace vt {

namespace {

QWidget* panel(QWidget* parent, const QString& name)
{
    auto* widget = new QWidget(parent);
    widget->setObjectName(name);
    return widget;
}

QScrollArea* scrollView(QWidget* parent, const QString& name)
{
    auto* view = new QScrollArea(parent);
    view->setObjectName(name);
    view->setFrameShape(QFrame::NoFrame);
    view->setWidgetResizable(false);
    view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    view->setStyleSheet(
        QStringLiteral("QScrollArea#%1, QScrollArea#%1 > QWidget#qt_scrollarea_viewport "
                       "{ background: black; }")
            .arg(name));
    return view;
}

// Every rule names the widgets it is for: a bare type selector would also reach the message
// boxes, tool tips and dialogs that open from this window, and paint them aqua on grey.
const char* const kStyle = R"(
QMainWindow#MainForm, QWidget#centralWidget { background: black; }
QWidget#charactersArea, QWidget#img_ScreenGrab, QWidget#img_Map { background: black; }
QWidget#InfoPanel > QLabel, QWidget#charactersArea > QLabel, QWidget#SuggestPanel > QLabel {
    color: aqua;
}
QWidget#InfoPanel > QLabel[caption="true"], QWidget#charactersArea > QLabel[caption="true"] {
    color: yellow; font-weight: bold;
}
QWidget#ButtonPanel > QPushButton {
    color: aqua; background: black; border: 1px solid black; text-align: left; padding-left: 3px;
}
QWidget#ButtonPanel > QPushButton:hover { background: #103030; }
QWidget#ButtonPanel > QPushButton:pressed { background: #205050; }
QWidget#ButtonPanel > QPushButton:focus { border: 1px dotted aqua; }
QWidget#ButtonPanel > QPushButton:disabled { color: #406060; }
QWidget#InfoPanel > QComboBox { color: aqua; background: black; border: 1px solid #406060; }
QWidget#InfoPanel > QComboBox:focus { border: 1px dotted aqua; }
QScrollArea#sb_Characters, QScrollArea#sb_ScreenGrab, QScrollArea#sb_Map {
    border: 1px solid black;
}
QScrollArea#sb_Characters:focus, QScrollArea#sb_ScreenGrab:focus, QScrollArea#sb_Map:focus {
    border: 1px dotted aqua;
}
QWidget#InfoPanel > QComboBox QAbstractItemView {
    color: aqua; background: black; selection-background-color: #205050;
}
QProgressBar#ProgressBar1 { background: black; color: white; border: none; text-align: center; }
QProgressBar#ProgressBar1::chunk { background: lime; }
QTabWidget#MainArea::pane { border: none; background: black; }
QTabWidget#MainArea > QTabBar::tab {
    color: aqua; padding: 10px 4px;
    background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 silver, stop:1 black);
}
QTabWidget#MainArea > QTabBar::tab:selected { color: yellow; font-weight: bold; }
QMainWindow#MainForm > QStatusBar { color: aqua; background: black; }
)";

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), m_prompts(std::make_unique<DialogPrompts>())
{
    setObjectName(QStringLiteral("MainForm"));
    setStyleSheet(QString::fromLatin1(kStyle));
    setAcceptDrops(true);
    setFont(uiFont(QStringLiteral("Tahoma"), 13));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::cyan);
    setPalette(colours);

    buildLayout();
    buildActions();
    wireHandlers();
    resize(930, 861);
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::setForms(TBulkConvForm* bulk, TAboutForm* about, TOptionsForm* options)
{
    m_bulk = bulk;
    m_about = about;
    m_options = options;
    // The dialogs hand back their choices; the main window keeps them in the session.
    connect(m_options, &TOptionsForm::changed, this, &TMainForm::takePreferences);
    connect(m_bulk, &TBulkConvForm::outputsChanged, this, &TMainForm::SetRegistry);
}

void TMainForm::setPrompts(std::unique_ptr<UserPrompts> prompts)
{
    m_prompts = std::move(prompts);
}

void TMainForm::guarded(const std::function<void()>& command)
{
    // A new command: what the last one said no longer holds. Its own message, or its error
    // box, says what this one did.
    statusBar()->clearMessage();
    try {
        command();
    } catch (const std::exception& error) {
        prompts().reportError(this, QString::fromUtf8(error.what()));
    }
}

void TMainForm::buildLayout()
{
    auto* central = panel(this, QStringLiteral("centralWidget"));
    setCentralWidget(central);
    auto* rows = new QVBoxLayout(central);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);

    ui.Panel1 = panel(central, QStringLiteral("Panel1"));
    ui.Panel1->setFixedHeight(64);
    auto* bannerLayout = new QHBoxLayout(ui.Panel1);
    bannerLayout->setContentsMargins(0, 0, 0, 0);
    ui.Image1 = new PictureControl(ui.Panel1);
    ui.Image1->setObjectName(QStringLiteral("Image1"));
    ui.Image1->setFitCentred(true);
    ui.Image1->setPicture(programPicture(QStringLiteral("BANNER")));
    ui.Image1->setCursor(Qt::PointingHandCursor);
    bannerLayout->addWidget(ui.Image1);
    rows->addWidget(ui.Panel1);

    auto* columns = new QHBoxLayout;
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    rows->addLayout(columns, 1);

    buildMainArea();
    columns->addWidget(ui.MainArea, 1);
    buildSidePanel();
    columns->addWidget(ui.SmallCharPanel);

    // Pictures and objects other parts use, never shown.
    ui.CharPanel = panel(central, QStringLiteral("CharPanel"));
    ui.CharPanel->setGeometry(0, 0, 0, 120);
    ui.CharPanel->hide();

    setStatusBar(new StatusLine(this));
    statusBar()->setSizeGripEnabled(false);
}

void TMainForm::buildSidePanel()
{
    ui.SmallCharPanel = panel(this, QStringLiteral("SmallCharPanel"));
    ui.SmallCharPanel->setFixedWidth(185);
    auto* stack = new QVBoxLayout(ui.SmallCharPanel);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    ui.ButtonPanel = panel(ui.SmallCharPanel, QStringLiteral("ButtonPanel"));
    ui.ButtonPanel->setFixedHeight(154);
    struct ButtonEntry
    {
        QPushButton** field;
        const char* name;
        const char* caption;
        const char* picture;
        bool enabled;
    };
    const ButtonEntry buttons[] = {
        {&ui.sb_LoadScreenGrab, "sb_LoadScreenGrab", "&Load Screengrab", "BTN_LOAD", true},
        {&ui.sb_SaveScreenGrab, "sb_SaveScreenGrab", "S&ave Screengrab", "BTN_SAVEGRAB", false},
        {&ui.sb_DecodeStart, "sb_DecodeStart", "&Decode Map", "BTN_DECODE", false},
        {&ui.sb_SaveMap, "sb_SaveMap", "&Save Map", "BTN_SAVEMAP", false},
        {&ui.sb_bulkconvert, "sb_bulkconvert", "&Convert Multiple Grabs", "BTN_BULK", true},
        {&ui.sb_options, "sb_options", "&Preferences", "BTN_OPTIONS", true},
        {&ui.sb_about, "sb_about", "A&bout", "BTN_ABOUT", true},
    };
    int top = 0;
    for (const ButtonEntry& entry : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(entry.caption), ui.ButtonPanel);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setFlat(true);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setIcon(QPixmap::fromImage(programPicture(QString::fromLatin1(entry.picture))));
        button->setIconSize(QSize(16, 16));
        button->setGeometry(0, top, 185, 22);
        button->setEnabled(entry.enabled);
        *entry.field = button;
        top += 22;
    }
    // Open Map shares Save Map's row, whose caption leaves half of it free: the panel keeps
    // its height.
    const QRect saveRow = ui.sb_SaveMap->geometry();
    ui.sb_SaveMap->setGeometry(saveRow.x(), saveRow.y(), 90, saveRow.height());
    // Alt+O is the colour list's; Open Map keeps Ctrl+O.
    ui.sb_OpenMap = new QPushButton(QStringLiteral("Op&en Map"), ui.ButtonPanel);
    ui.sb_OpenMap->setObjectName(QStringLiteral("sb_OpenMap"));
    ui.sb_OpenMap->setFlat(true);
    ui.sb_OpenMap->setFocusPolicy(Qt::StrongFocus);
    ui.sb_OpenMap->setToolTip(QStringLiteral("Open a map saved as a table (.csv, .tmx or .json) "
                                             "to go on correcting it (Ctrl+O)"));
    ui.sb_OpenMap->setIcon(QPixmap::fromImage(programPicture(QStringLiteral("BTN_LOAD"))));
    ui.sb_OpenMap->setIconSize(QSize(16, 16));
    ui.sb_OpenMap->setGeometry(90, saveRow.y(), 185 - 90, saveRow.height());
    stack->addWidget(ui.ButtonPanel);

    ui.InfoPanel = panel(ui.SmallCharPanel, QStringLiteral("InfoPanel"));
    ui.InfoPanel->setFixedHeight(190);
    const QFont captionFont = uiFont(QStringLiteral("Tahoma"), 13, true);
    auto caption = [this, &captionFont](const QString& text, int y) {
        auto* label = new QLabel(text, ui.InfoPanel);
        label->setProperty("caption", true);
        label->setFont(captionFont);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(0, y, 80, 18);
        return label;
    };
    auto value = [this](QLabel* label, const QString& name, int y) {
        label->setObjectName(name);
        label->setGeometry(82, y, 103, 18);
    };
    ui.lb_filename = new PathLabel(ui.InfoPanel);
    ui.lb_filename->setObjectName(QStringLiteral("lb_filename"));
    ui.lb_filename->setGeometry(0, 0, 185, 18);
    QLabel* gameCaption = caption(QStringLiteral("&Game:"), 22);
    ui.cb_game = new QComboBox(ui.InfoPanel);
    gameCaption->setBuddy(ui.cb_game);
    ui.cb_game->setObjectName(QStringLiteral("cb_game"));
    ui.cb_game->addItems(gameNames());
    ui.cb_game->setCurrentIndex(0);
    ui.cb_game->setGeometry(82, 20, 103, 24);
    caption(QStringLiteral("Map Size:"), 48);
    value(ui.lb_MapSize = new EventLabel(ui.InfoPanel), QStringLiteral("lb_MapSize"), 48);
    caption(QStringLiteral("Map Origin:"), 68);
    value(ui.lb_Origin = new EventLabel(ui.InfoPanel), QStringLiteral("lb_Origin"), 68);
    caption(QStringLiteral("Map Area:"), 88);
    value(ui.lb_maparea = new QLabel(ui.InfoPanel), QStringLiteral("lb_maparea"), 88);
    caption(QStringLiteral("Accuracy:"), 108);
    value(ui.lb_accuracy = new QLabel(ui.InfoPanel), QStringLiteral("lb_accuracy"), 108);
    ui.sh_accuracy = new FilledShape(ui.InfoPanel);
    ui.sh_accuracy->setObjectName(QStringLiteral("sh_accuracy"));
    ui.sh_accuracy->setGeometry(0, 128, 185, 20);
    QLabel* colourCaption = caption(QStringLiteral("C&olour:"), 150);
    ui.cb_map_colour = new TColourComboBox(ui.InfoPanel);
    colourCaption->setBuddy(ui.cb_map_colour);
    // How far the decoded map can be trusted, beside the colour list and its captions.
    ui.lb_trust = new QLabel(ui.InfoPanel);
    ui.lb_trust->setObjectName(QStringLiteral("lb_trust"));
    ui.lb_trust->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui.lb_trust->setGeometry(0, 171, 185, 18);
    ui.cb_map_colour->setObjectName(QStringLiteral("cb_map_colour"));
    ui.cb_map_colour->setGeometry(82, 148, 103, 22);
    stack->addWidget(ui.InfoPanel);
    stack->addWidget(buildCheckPanel());
    stack->addWidget(buildSuggestPanel());

    ui.ProgressPanel = panel(ui.SmallCharPanel, QStringLiteral("ProgressPanel"));
    ui.ProgressPanel->setFixedHeight(20);
    auto* progressLayout = new QVBoxLayout(ui.ProgressPanel);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    ui.ProgressBar1 = new QProgressBar(ui.ProgressPanel);
    ui.ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ui.ProgressBar1->setRange(0, 100);
    ui.ProgressBar1->setValue(0);
    ui.ProgressBar1->setTextVisible(true);
    ui.ProgressBar1->hide();
    progressLayout->addWidget(ui.ProgressBar1);
    stack->addWidget(ui.ProgressPanel);

    ui.sb_Characters = scrollView(ui.SmallCharPanel, QStringLiteral("sb_Characters"));
    // On a laptop's screen the tiles scroll: two rows under the heading stay in sight.
    ui.sb_Characters->setMinimumHeight(16 + 2 * 32 + 2);
    ui.sb_Characters->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui.charactersArea = panel(ui.sb_Characters, QStringLiteral("charactersArea"));
    ui.charactersArea->resize(185, 16 + 8 * 32);
    ui.lb_fullsizechar =
        new QLabel(QStringLiteral("Full Size Characters To Use:"), ui.charactersArea);
    ui.lb_fullsizechar->setObjectName(QStringLiteral("lb_fullsizechar"));
    ui.lb_fullsizechar->setProperty("caption", true);
    // 12 pixels: at 13 the heading ran under the scroll bar of a view the screen shortened.
    ui.lb_fullsizechar->setFont(uiFont(QStringLiteral("Arial"), 12, true));
    ui.lb_fullsizechar->setGeometry(0, 0, 185, 16);
    // The copy-from-grab tile takes grid slot 0, the first square under the heading, where the
    // selection frame rests when the grab's own pixels are chosen.
    ui.charstorage = new PictureControl(ui.charactersArea);
    ui.charstorage->setObjectName(QStringLiteral("charstorage"));
    ui.charstorage->setStretch(true);
    ui.charstorage->setTag(-1);
    ui.charstorage->setGeometry(0, 16, 32, 32);
    ui.charstorage->setToolTip(QStringLiteral("The grab's own pixels"));
    ui.charselect = new OutlineShape(ui.charactersArea);
    ui.charselect->setObjectName(QStringLiteral("charselect"));
    ui.charselect->setAttribute(Qt::WA_TransparentForMouseEvents);
    ui.charselect->setGeometry(0, 16, 32, 32);
    ui.charselect->hide();
    ui.sb_Characters->setWidget(ui.charactersArea);
    // The arrow keys move the chosen tile instead of scrolling.
    ui.sb_Characters->setFocusPolicy(Qt::StrongFocus);
    ui.sb_Characters->installEventFilter(this);
    stack->addWidget(ui.sb_Characters, 1);
}

void TMainForm::buildMainArea()
{
    ui.MainArea = new PageControl(this);
    ui.MainArea->setObjectName(QStringLiteral("MainArea"));
    ui.MainArea->setTabPosition(QTabWidget::West);

    ui.tb_ScreenGrab = panel(ui.MainArea, QStringLiteral("tb_ScreenGrab"));
    auto* grabLayout = new QVBoxLayout(ui.tb_ScreenGrab);
    grabLayout->setContentsMargins(0, 0, 0, 0);
    ui.sb_ScreenGrab = scrollView(ui.tb_ScreenGrab, QStringLiteral("sb_ScreenGrab"));
    ui.img_ScreenGrab = new PictureControl;
    ui.img_ScreenGrab->setObjectName(QStringLiteral("img_ScreenGrab"));
    ui.img_ScreenGrab->setStretch(true);
    ui.img_ScreenGrab->setAutoSize(true);
    // The two boxes lie over the grab and move with it when it scrolls.
    ui.charcursor = new OutlineShape(ui.img_ScreenGrab);
    ui.charcursor->setObjectName(QStringLiteral("charcursor"));
    ui.charcursor->resize(24, 23);
    ui.charcursor->hide();
    ui.mapboundbox = new OutlineShape(ui.img_ScreenGrab);
    ui.mapboundbox->setObjectName(QStringLiteral("mapboundbox"));
    ui.mapboundbox->hide();
    ui.sb_ScreenGrab->setWidget(ui.img_ScreenGrab);
    grabLayout->addWidget(ui.sb_ScreenGrab);
    // Until a grab is loaded the page tells how to begin.
    ui.lb_starthint = new QLabel(
        QStringLiteral("To begin, load a screengrab of the game: \"Load Screengrab\" (Alt+L), "
                       "paste one with Ctrl+V, or drop a picture file here. Then \"Decode Map\" "
                       "(Alt+D) converts it into the map."),
        ui.sb_ScreenGrab->viewport());
    ui.lb_starthint->setObjectName(QStringLiteral("lb_starthint"));
    ui.lb_starthint->setWordWrap(true);
    ui.lb_starthint->setStyleSheet(QStringLiteral("QLabel#lb_starthint { color: aqua; }"));
    ui.lb_starthint->setGeometry(24, 24, 440, 80);
    ui.MainArea->addTab(ui.tb_ScreenGrab, QStringLiteral("Original Screengrab"));

    ui.tb_Map = panel(ui.MainArea, QStringLiteral("tb_Map"));
    auto* mapLayout = new QVBoxLayout(ui.tb_Map);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    ui.sb_Map = scrollView(ui.tb_Map, QStringLiteral("sb_Map"));
    ui.img_Map = new PictureControl;
    ui.img_Map->setObjectName(QStringLiteral("img_Map"));
    ui.img_Map->setStretch(true);
    ui.img_Map->setSmoothReduction(true);
    ui.img_Map->resize(0, 0);
    ui.sb_Map->setWidget(ui.img_Map);
    ui.sb_Map->viewport()->installEventFilter(this);
    mapLayout->addWidget(ui.sb_Map);
    ui.MainArea->addTab(ui.tb_Map, QStringLiteral("Converted Map"));
}

void TMainForm::buildActions()
{
    auto action = [this](QAction*& field, const QString& name, const QKeySequence& keys) {
        field = new QAction(this);
        field->setObjectName(name);
        field->setShortcut(keys);
        field->setShortcutContext(Qt::WindowShortcut);
        addAction(field);
    };
    action(ui.LoadFromClipboard, QStringLiteral("LoadFromClipboard"),
           QKeySequence(Qt::CTRL | Qt::Key_V));
    action(ui.SaveClipboard, QStringLiteral("SaveClipboard"), QKeySequence(Qt::CTRL | Qt::Key_C));
    action(ui.OpenMap, QStringLiteral("OpenMap"), QKeySequence(Qt::CTRL | Qt::Key_O));
    action(ui.ZoomIn, QStringLiteral("ZoomIn"), QKeySequence()); // keys assigned at start-up
    action(ui.ZoomOut, QStringLiteral("ZoomOut"), QKeySequence());
    action(ui.ScreenGrabTab, QStringLiteral("ScreenGrabTab"), QKeySequence(Qt::CTRL | Qt::Key_1));
    action(ui.ConvertedTab, QStringLiteral("ConvertedTab"), QKeySequence(Qt::CTRL | Qt::Key_2));
    buildCheckActions();

    OpenPictureDialog1 = {
        QStringLiteral("All (*.gif *.png *.jpg *.jpeg *.bmp)"),
        QStringLiteral("GIF Image (*.gif)"),
        QStringLiteral("Portable Network Graphics (*.png)"),
        QStringLiteral("JPEG Image File (*.jpg)"),
        QStringLiteral("JPEG Image File (*.jpeg)"),
        QStringLiteral("Windows Bitmap (*.bmp)"),
    };
    OpenMapDialog = {
        QStringLiteral("Maps (*.csv *.tmx *.json)"),
        QStringLiteral("Comma Separated Value file (*.csv)"),
        QStringLiteral("Tiled Map (*.tmx)"),
        QStringLiteral("Tiled JSON Map (*.json)"),
    };
    SaveDialog1 = {QStringLiteral("Save Decoded Map"),
                   QStringLiteral("bmp"),
                   saveDialogRows(true),
                   QString(),
                   0,
                   QString()};
    SaveScreenGrabDialog = {QStringLiteral("Save Screengrab"),
                            QStringLiteral("bmp"),
                            saveDialogRows(false),
                            QString(),
                            0,
                            QString()};
}

void TMainForm::wireHandlers()
{
    auto click = [this](QPushButton* button, void (TMainForm::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    click(ui.sb_LoadScreenGrab, &TMainForm::sb_LoadScreenGrabClick);
    click(ui.sb_SaveScreenGrab, &TMainForm::sb_SaveScreenGrabClick);
    click(ui.sb_DecodeStart, &TMainForm::DecodeScreen);
    click(ui.sb_SaveMap, &TMainForm::sb_SaveMapClick);
    click(ui.sb_OpenMap, &TMainForm::OpenMapExecute);
    click(ui.sb_bulkconvert, &TMainForm::sb_bulkconvertClick);
    click(ui.sb_options, &TMainForm::sb_optionsClick);
    click(ui.sb_about, &TMainForm::sb_aboutClick);

    auto trigger = [this](QAction* action, void (TMainForm::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    trigger(ui.LoadFromClipboard, &TMainForm::ScreenGrabFromClipboard);
    trigger(ui.SaveClipboard, &TMainForm::SaveToClipboard);
    trigger(ui.OpenMap, &TMainForm::OpenMapExecute);
    trigger(ui.ZoomIn, &TMainForm::ZoomInExecute);
    trigger(ui.ZoomOut, &TMainForm::ZoomOutExecute);
    trigger(ui.ScreenGrabTab, &TMainForm::ScreenGrabTabExecute);
    trigger(ui.ConvertedTab, &TMainForm::ConvertedTabExecute);
    buildCorrectionActions();

    connect(ui.cb_game, &QComboBox::activated, this,
            [this] { guarded([this] { cb_gameChange(); }); });
    connect(ui.cb_map_colour, &QComboBox::activated, this,
            [this] { guarded([this] { cb_map_colourChange(); }); });

    connect(ui.lb_MapSize, &EventLabel::entered, this, &TMainForm::lb_MapSizeMouseEnter);
    connect(ui.lb_Origin, &EventLabel::entered, this, &TMainForm::lb_MapSizeMouseEnter);
    connect(ui.lb_MapSize, &EventLabel::left, this, &TMainForm::lb_MapSizeMouseLeave);
    connect(ui.lb_Origin, &EventLabel::left, this, &TMainForm::lb_MapSizeMouseLeave);
    connect(ui.lb_MapSize, &EventLabel::clicked, this, &TMainForm::lb_MapSizeClick);
    connect(ui.lb_Origin, &EventLabel::clicked, this, &TMainForm::lb_MapSizeClick);
    connect(ui.lb_MapSize, &EventLabel::doubleClicked, this, &TMainForm::lb_MapSizeDblClick);
    connect(ui.lb_Origin, &EventLabel::doubleClicked, this, &TMainForm::lb_MapSizeDblClick);

    connect(ui.mapboundbox, &OutlineShape::mousePressed, this, &TMainForm::mapboundboxMouseDown);
    connect(ui.mapboundbox, &OutlineShape::mouseMoved, this, &TMainForm::mapboundboxMouseMove);
    connect(ui.mapboundbox, &OutlineShape::mouseReleased, this, &TMainForm::mapboundboxMouseUp);
    connect(ui.charcursor, &OutlineShape::mousePressed, this, [this] { charcursorMouseDown(); });

    connect(ui.img_ScreenGrab, &PictureControl::mouseMoved, this,
            [this](PictureControl*, QMouseEvent* event) { img_ScreenGrabMouseMove(event); });
    connect(ui.img_ScreenGrab, &PictureControl::mouseLeft, this,
            [this] { img_ScreenGrabMouseLeave(); });
    connect(ui.img_Map, &PictureControl::mousePressed, this,
            [this](PictureControl*, QMouseEvent* event) { ImageMouseDown(event); });
    connect(ui.img_Map, &PictureControl::mouseMoved, this,
            [this](PictureControl*, QMouseEvent* event) { ImageMouseMove(event); });
    connect(ui.charstorage, &PictureControl::clicked, this, &TMainForm::CharSelectorClick);
    connect(ui.Image1, &PictureControl::clicked, this, [this] { Image1Click(); });
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui.sb_Map->viewport() && event->type() == QEvent::Resize)
        sb_MapResize();
    if (watched == ui.sb_Characters && event->type() == QEvent::KeyPress &&
        moveCharSelection(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

namespace {
// The local files a drag carries; other kinds of data are not for this window.
QStringList droppedFiles(const QMimeData* data)
{
    QStringList files;
    if (data && data->hasUrls())
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                files.append(url.toLocalFile());
    return files;
}
} // namespace

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    // Any file is taken: the load tests the signature and reports a file it cannot read.
    if (!droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    const QStringList files = droppedFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    if (files.size() > 1) {
        statusBar()->showMessage(
            QStringLiteral("%1 files were dropped: drop one screengrab at a time.")
                .arg(files.size()));
        return;
    }
    guarded([this, &files] { LoadScreenGrab(files.constFirst()); });
}

Forms createForms()
{
    Forms forms;
    forms.MainForm = new TMainForm;
    forms.BulkConvForm = new TBulkConvForm(forms.MainForm);
    forms.AboutForm = new TAboutForm(forms.MainForm);
    forms.OptionsForm = new TOptionsForm(forms.MainForm);
    forms.MainForm->setForms(forms.BulkConvForm, forms.AboutForm, forms.OptionsForm);
    return forms;
}

} // namespace vt
