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
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
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
    view->setStyleSheet(QStringLiteral("QScrollArea { background: black; }"));
    view->viewport()->setStyleSheet(QStringLiteral("background: black;"));
    return view;
}

const char* const kStyle = R"(
QMainWindow#MainForm, QWidget#centralWidget { background: black; }
QLabel { color: aqua; }
QLabel[caption="true"] { color: yellow; font-weight: bold; }
QPushButton[sideButton="true"] {
    color: aqua; background: black; border: none; text-align: left; padding-left: 4px;
}
QPushButton[sideButton="true"]:hover { background: #103030; }
QPushButton[sideButton="true"]:pressed { background: #205050; }
QPushButton[sideButton="true"]:disabled { color: #406060; }
QComboBox { color: aqua; background: black; border: 1px solid #406060; }
QComboBox QAbstractItemView { color: aqua; background: black; selection-background-color: #205050; }
QProgressBar { background: black; color: white; border: none; text-align: center; }
QProgressBar::chunk { background: lime; }
QTabWidget::pane { border: none; background: black; }
QTabBar::tab {
    color: aqua; padding: 10px 4px;
    background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 silver, stop:1 black);
}
QTabBar::tab:selected { color: yellow; font-weight: bold; }
QStatusBar { color: aqua; background: black; }
)";

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent), m_prompts(std::make_unique<DialogPrompts>())
{
    setObjectName(QStringLiteral("MainForm"));
    setStyleSheet(QString::fromLatin1(kStyle));
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
}

void TMainForm::setPrompts(std::unique_ptr<UserPrompts> prompts)
{
    m_prompts = std::move(prompts);
}

void TMainForm::guarded(const std::function<void()>& command)
{
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

    Panel1 = panel(central, QStringLiteral("Panel1"));
    Panel1->setFixedHeight(64);
    auto* bannerLayout = new QHBoxLayout(Panel1);
    bannerLayout->setContentsMargins(0, 0, 0, 0);
    Image1 = new PictureControl(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFitCentred(true);
    Image1->setPicture(programPicture(QStringLiteral("BANNER")));
    Image1->setCursor(Qt::PointingHandCursor);
    bannerLayout->addWidget(Image1);
    rows->addWidget(Panel1);

    auto* columns = new QHBoxLayout;
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    rows->addLayout(columns, 1);

    buildMainArea();
    columns->addWidget(MainArea, 1);
    buildSidePanel();
    columns->addWidget(SmallCharPanel);

    // Pictures and objects other parts use, never shown.
    CharPanel = panel(central, QStringLiteral("CharPanel"));
    CharPanel->setGeometry(0, 0, 0, 120);
    CharPanel->hide();
    mapcharpanel = panel(CharPanel, QStringLiteral("mapcharpanel"));

    statusBar()->setSizeGripEnabled(false);
}

void TMainForm::buildSidePanel()
{
    SmallCharPanel = panel(this, QStringLiteral("SmallCharPanel"));
    SmallCharPanel->setFixedWidth(185);
    auto* stack = new QVBoxLayout(SmallCharPanel);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    ButtonPanel = panel(SmallCharPanel, QStringLiteral("ButtonPanel"));
    ButtonPanel->setFixedHeight(154);
    struct ButtonEntry
    {
        QPushButton** field;
        const char* name;
        const char* caption;
        const char* picture;
        bool enabled;
    };
    const ButtonEntry buttons[] = {
        {&sb_LoadScreenGrab, "sb_LoadScreenGrab", "&Load Screengrab", "BTN_LOAD", true},
        {&sb_SaveScreenGrab, "sb_SaveScreenGrab", "S&ave Screengrab", "BTN_SAVEGRAB", false},
        {&sb_DecodeStart, "sb_DecodeStart", "&Decode Map", "BTN_DECODE", false},
        {&sb_SaveMap, "sb_SaveMap", "&Save Map", "BTN_SAVEMAP", false},
        {&sb_bulkconvert, "sb_bulkconvert", "&Convert Multiple Grabs", "BTN_BULK", true},
        {&sb_options, "sb_options", "&Preferences", "BTN_OPTIONS", true},
        {&sb_about, "sb_about", "A&bout", "BTN_ABOUT", true},
    };
    int top = 0;
    for (const ButtonEntry& entry : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(entry.caption), ButtonPanel);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setProperty("sideButton", true);
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setIcon(QPixmap::fromImage(programPicture(QString::fromLatin1(entry.picture))));
        button->setIconSize(QSize(16, 16));
        button->setGeometry(0, top, 185, 22);
        button->setEnabled(entry.enabled);
        *entry.field = button;
        top += 22;
    }
    stack->addWidget(ButtonPanel);

    InfoPanel = panel(SmallCharPanel, QStringLiteral("InfoPanel"));
    InfoPanel->setFixedHeight(170);
    const QFont captionFont = uiFont(QStringLiteral("Tahoma"), 13, true);
    auto caption = [this, &captionFont](const QString& text, int y) {
        auto* label = new QLabel(text, InfoPanel);
        label->setProperty("caption", true);
        label->setFont(captionFont);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(0, y, 80, 18);
    };
    auto value = [this](QLabel* label, const QString& name, int y) {
        label->setObjectName(name);
        label->setGeometry(82, y, 105, 18);
    };
    lb_filename = new PathLabel(InfoPanel);
    lb_filename->setObjectName(QStringLiteral("lb_filename"));
    lb_filename->setGeometry(0, 0, 185, 18);
    caption(QStringLiteral("Game:"), 22);
    cb_game = new QComboBox(InfoPanel);
    cb_game->setObjectName(QStringLiteral("cb_game"));
    cb_game->addItems(gameNames());
    cb_game->setCurrentIndex(0);
    cb_game->setGeometry(82, 20, 103, 24);
    caption(QStringLiteral("Map Size:"), 48);
    value(lb_MapSize = new EventLabel(InfoPanel), QStringLiteral("lb_MapSize"), 48);
    caption(QStringLiteral("Map Origin:"), 68);
    value(lb_Origin = new EventLabel(InfoPanel), QStringLiteral("lb_Origin"), 68);
    caption(QStringLiteral("Map Area:"), 88);
    value(lb_maparea = new QLabel(InfoPanel), QStringLiteral("lb_maparea"), 88);
    caption(QStringLiteral("Accuracy:"), 108);
    value(lb_accuracy = new QLabel(InfoPanel), QStringLiteral("lb_accuracy"), 108);
    sh_accuracy = new FilledShape(InfoPanel);
    sh_accuracy->setObjectName(QStringLiteral("sh_accuracy"));
    sh_accuracy->setGeometry(0, 128, 185, 20);
    caption(QStringLiteral("Colour:"), 150);
    cb_map_colour = new TColourComboBox(InfoPanel);
    cb_map_colour->setObjectName(QStringLiteral("cb_map_colour"));
    cb_map_colour->setGeometry(82, 148, 103, 22);
    stack->addWidget(InfoPanel);

    ProgressPanel = panel(SmallCharPanel, QStringLiteral("ProgressPanel"));
    ProgressPanel->setFixedHeight(20);
    auto* progressLayout = new QVBoxLayout(ProgressPanel);
    progressLayout->setContentsMargins(0, 0, 0, 0);
    ProgressBar1 = new QProgressBar(ProgressPanel);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->hide();
    progressLayout->addWidget(ProgressBar1);
    stack->addWidget(ProgressPanel);

    sb_Characters = scrollView(SmallCharPanel, QStringLiteral("sb_Characters"));
    sb_Characters->setMinimumHeight(331);
    sb_Characters->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    charactersArea = panel(sb_Characters, QStringLiteral("charactersArea"));
    charactersArea->resize(185, 16 + 8 * 32);
    lb_fullsizechar = new QLabel(QStringLiteral("Full Size Characters To Use:"), charactersArea);
    lb_fullsizechar->setObjectName(QStringLiteral("lb_fullsizechar"));
    lb_fullsizechar->setProperty("caption", true);
    lb_fullsizechar->setFont(uiFont(QStringLiteral("Arial"), 13, true));
    lb_fullsizechar->setGeometry(0, 0, 185, 16);
    // The copy-from-grab tile takes grid slot 0, the first square under the heading, where the
    // selection frame rests when the grab's own pixels are chosen.
    charstorage = new PictureControl(charactersArea);
    charstorage->setObjectName(QStringLiteral("charstorage"));
    charstorage->setStretch(true);
    charstorage->setTag(-1);
    charstorage->setGeometry(0, 16, 32, 32);
    charstorage->setToolTip(QStringLiteral("The grab's own pixels"));
    charselect = new OutlineShape(charactersArea);
    charselect->setObjectName(QStringLiteral("charselect"));
    charselect->setAttribute(Qt::WA_TransparentForMouseEvents);
    charselect->setGeometry(0, 16, 32, 32);
    charselect->hide();
    sb_Characters->setWidget(charactersArea);
    stack->addWidget(sb_Characters, 1);
}

void TMainForm::buildMainArea()
{
    MainArea = new QTabWidget(this);
    MainArea->setObjectName(QStringLiteral("MainArea"));
    MainArea->setTabPosition(QTabWidget::West);

    tb_ScreenGrab = panel(MainArea, QStringLiteral("tb_ScreenGrab"));
    auto* grabLayout = new QVBoxLayout(tb_ScreenGrab);
    grabLayout->setContentsMargins(0, 0, 0, 0);
    sb_ScreenGrab = scrollView(tb_ScreenGrab, QStringLiteral("sb_ScreenGrab"));
    img_ScreenGrab = new PictureControl;
    img_ScreenGrab->setObjectName(QStringLiteral("img_ScreenGrab"));
    img_ScreenGrab->setStretch(true);
    img_ScreenGrab->setAutoSize(true);
    // The two boxes lie over the grab and move with it when it scrolls.
    charcursor = new OutlineShape(img_ScreenGrab);
    charcursor->setObjectName(QStringLiteral("charcursor"));
    charcursor->resize(24, 23);
    charcursor->hide();
    mapboundbox = new OutlineShape(img_ScreenGrab);
    mapboundbox->setObjectName(QStringLiteral("mapboundbox"));
    mapboundbox->hide();
    sb_ScreenGrab->setWidget(img_ScreenGrab);
    grabLayout->addWidget(sb_ScreenGrab);
    MainArea->addTab(tb_ScreenGrab, QStringLiteral("Original Screengrab"));

    tb_Map = panel(MainArea, QStringLiteral("tb_Map"));
    auto* mapLayout = new QVBoxLayout(tb_Map);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    sb_Map = scrollView(tb_Map, QStringLiteral("sb_Map"));
    img_Map = new PictureControl;
    img_Map->setObjectName(QStringLiteral("img_Map"));
    img_Map->setStretch(true);
    img_Map->setSmoothReduction(true);
    img_Map->resize(0, 0);
    sb_Map->setWidget(img_Map);
    sb_Map->viewport()->installEventFilter(this);
    mapLayout->addWidget(sb_Map);
    MainArea->addTab(tb_Map, QStringLiteral("Converted Map"));
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
    action(LoadFromClipboard, QStringLiteral("LoadFromClipboard"),
           QKeySequence(Qt::CTRL | Qt::Key_V));
    action(SaveClipboard, QStringLiteral("SaveClipboard"), QKeySequence(Qt::CTRL | Qt::Key_C));
    action(ZoomIn, QStringLiteral("ZoomIn"), QKeySequence()); // keys assigned at start-up
    action(ZoomOut, QStringLiteral("ZoomOut"), QKeySequence());
    action(ScreenGrabTab, QStringLiteral("ScreenGrabTab"), QKeySequence(Qt::CTRL | Qt::Key_1));
    action(ConvertedTab, QStringLiteral("ConvertedTab"), QKeySequence(Qt::CTRL | Qt::Key_2));

    OpenPictureDialog1 = {
        QStringLiteral("All (*.gif *.png *.jpg *.jpeg *.bmp)"),
        QStringLiteral("GIF Image (*.gif)"),
        QStringLiteral("Portable Network Graphics (*.png)"),
        QStringLiteral("JPEG Image File (*.jpg)"),
        QStringLiteral("JPEG Image File (*.jpeg)"),
        QStringLiteral("Windows Bitmap (*.bmp)"),
    };
    SaveDialog1 = {QStringLiteral("Save Decoded Map"), QStringLiteral("bmp"), saveDialogRows(true),
                   QString(), 0};
    SaveScreenGrabDialog = {QStringLiteral("Save Screengrab"), QStringLiteral("bmp"),
                            saveDialogRows(false), QString(), 0};
}

void TMainForm::wireHandlers()
{
    auto click = [this](QPushButton* button, void (TMainForm::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    click(sb_LoadScreenGrab, &TMainForm::sb_LoadScreenGrabClick);
    click(sb_SaveScreenGrab, &TMainForm::sb_SaveScreenGrabClick);
    click(sb_DecodeStart, &TMainForm::DecodeScreen);
    click(sb_SaveMap, &TMainForm::sb_SaveMapClick);
    click(sb_bulkconvert, &TMainForm::sb_bulkconvertClick);
    click(sb_options, &TMainForm::sb_optionsClick);
    click(sb_about, &TMainForm::sb_aboutClick);

    auto trigger = [this](QAction* action, void (TMainForm::*handler)()) {
        connect(action, &QAction::triggered, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    trigger(LoadFromClipboard, &TMainForm::ScreenGrabFromClipboard);
    trigger(SaveClipboard, &TMainForm::SaveToClipboard);
    trigger(ZoomIn, &TMainForm::ZoomInExecute);
    trigger(ZoomOut, &TMainForm::ZoomOutExecute);
    trigger(ScreenGrabTab, &TMainForm::ScreenGrabTabExecute);
    trigger(ConvertedTab, &TMainForm::ConvertedTabExecute);

    connect(cb_game, &QComboBox::activated, this, [this] { guarded([this] { cb_gameChange(); }); });
    connect(cb_map_colour, &QComboBox::activated, this,
            [this] { guarded([this] { cb_map_colourChange(); }); });

    connect(lb_MapSize, &EventLabel::entered, this, &TMainForm::lb_MapSizeMouseEnter);
    connect(lb_Origin, &EventLabel::entered, this, &TMainForm::lb_MapSizeMouseEnter);
    connect(lb_MapSize, &EventLabel::left, this, &TMainForm::lb_MapSizeMouseLeave);
    connect(lb_Origin, &EventLabel::left, this, &TMainForm::lb_MapSizeMouseLeave);
    connect(lb_MapSize, &EventLabel::clicked, this, &TMainForm::lb_MapSizeClick);
    connect(lb_Origin, &EventLabel::clicked, this, &TMainForm::lb_MapSizeClick);
    connect(lb_MapSize, &EventLabel::doubleClicked, this, &TMainForm::lb_MapSizeDblClick);
    connect(lb_Origin, &EventLabel::doubleClicked, this, &TMainForm::lb_MapSizeDblClick);

    connect(mapboundbox, &OutlineShape::mousePressed, this, &TMainForm::mapboundboxMouseDown);
    connect(mapboundbox, &OutlineShape::mouseMoved, this, &TMainForm::mapboundboxMouseMove);
    connect(mapboundbox, &OutlineShape::mouseReleased, this, &TMainForm::mapboundboxMouseUp);
    connect(charcursor, &OutlineShape::mousePressed, this, [this] { charcursorMouseDown(); });

    connect(img_ScreenGrab, &PictureControl::mouseMoved, this,
            [this](PictureControl*, QMouseEvent* event) { img_ScreenGrabMouseMove(event); });
    connect(img_ScreenGrab, &PictureControl::mouseLeft, this,
            [this] { img_ScreenGrabMouseLeave(); });
    connect(img_Map, &PictureControl::mousePressed, this,
            [this](PictureControl*, QMouseEvent* event) { ImageMouseDown(event); });
    connect(img_Map, &PictureControl::mouseMoved, this,
            [this](PictureControl*, QMouseEvent* event) { ImageMouseMove(event); });
    connect(charstorage, &PictureControl::clicked, this, &TMainForm::CharSelectorClick);
    connect(Image1, &PictureControl::clicked, this, [this] { Image1Click(); });
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sb_Map->viewport() && event->type() == QEvent::Resize)
        sb_MapResize();
    return QMainWindow::eventFilter(watched, event);
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
