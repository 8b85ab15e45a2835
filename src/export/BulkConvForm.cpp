#include "export/BulkConvForm.h"

#include "app/Controls.h"
#include "app/MainForm.h"
#include "charsets/Resources.h"
#include "export/BulkConvert.h"
#include "settings/RegUtils.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vt {

namespace {

QPushButton* flatButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFlat(true);
    button->setGeometry(geometry);
    return button;
}

QCheckBox* tickBox(QWidget* parent, const QString& name, const QString& caption,
                   const QRect& geometry)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

} // namespace

TBulkConvForm::TBulkConvForm(TMainForm* mainForm) : QDialog(mainForm), m_main(mainForm)
{
    setObjectName(QStringLiteral("BulkConvForm"));
    setWindowTitle(QStringLiteral("Bulk Conversion of files"));
    // A fixed frame with no title-bar buttons: the dialog closes through Cancel or Execute.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(562, 146);
    setStyleSheet(
        QStringLiteral("QDialog#BulkConvForm { background: black; }"
                       "QLabel, QCheckBox, QGroupBox { color: aqua; }"
                       "QPushButton { color: aqua; border: 1px solid #406060; }"
                       "QPushButton:hover { border-color: aqua; }"
                       "QLineEdit { background: black; color: aqua; border: 1px solid #406060; }"));

    sb_source = flatButton(this, QStringLiteral("sb_source"), QStringLiteral("Source Folder"),
                           {8, 8, 100, 22});
    Source = new PathLabel(this);
    Source->setObjectName(QStringLiteral("Source"));
    Source->setGeometry(8, 36, 263, 13);

    Copy = flatButton(this, QStringLiteral("Copy"), QString(), {269, 36, 20, 20});
    Copy->setToolTip(QStringLiteral("Copy Source folder to Destination"));
    Copy->setIcon(QPixmap::fromImage(programPicture(QStringLiteral("COPY"))));

    sb_dest = flatButton(this, QStringLiteral("sb_dest"), QStringLiteral("Destination Folder"),
                         {292, 8, 125, 22});
    Dest = new PathLabel(this);
    Dest->setObjectName(QStringLiteral("Dest"));
    Dest->setGeometry(295, 36, 263, 13);

    Label1 = new QLabel(QStringLiteral("Filename Format:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 62, 183, 13);
    ed_filename = new QLineEdit(this);
    ed_filename->setObjectName(QStringLiteral("ed_filename"));
    ed_filename->setGeometry(8, 81, 183, 22);

    GroupBox1 = new QGroupBox(QStringLiteral("Save Options"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(197, 61, 257, 77);
    GroupBox1->setStyleSheet(QStringLiteral("QGroupBox#GroupBox1 { background: silver; }"));
    cb_SaveBMP = tickBox(GroupBox1, QStringLiteral("cb_SaveBMP"), QStringLiteral("Save As BMP"),
                         {3, 24, 102, 17});
    cb_SaveGIF = tickBox(GroupBox1, QStringLiteral("cb_SaveGIF"), QStringLiteral("Save As GIF"),
                         {3, 40, 102, 17});
    cb_SavePNG = tickBox(GroupBox1, QStringLiteral("cb_SavePNG"), QStringLiteral("Save As PNG"),
                         {3, 56, 102, 17});
    cb_SaveJPG = tickBox(GroupBox1, QStringLiteral("cb_SaveJPG"), QStringLiteral("Save As JPEG"),
                         {131, 24, 110, 17});
    cb_SaveCSV = tickBox(GroupBox1, QStringLiteral("cb_SaveCSV"), QStringLiteral("Save As CSV"),
                         {131, 40, 110, 17});
    cb_SaveBMP->setChecked(true);
    cb_SaveCSV->setChecked(true);

    Cancel =
        flatButton(this, QStringLiteral("Cancel"), QStringLiteral("Cancel"), {460, 63, 75, 22});
    Execute =
        flatButton(this, QStringLiteral("Execute"), QStringLiteral("Execute"), {460, 92, 75, 22});

    connect(sb_source, &QPushButton::clicked, this, &TBulkConvForm::sb_sourceClick);
    connect(sb_dest, &QPushButton::clicked, this, &TBulkConvForm::sb_destClick);
    connect(Copy, &QPushButton::clicked, this, &TBulkConvForm::CopyClick);
    connect(Cancel, &QPushButton::clicked, this, &TBulkConvForm::CancelClick);
    connect(Execute, &QPushButton::clicked, this, &TBulkConvForm::ExecuteClick);
    for (QCheckBox* box : {cb_SaveBMP, cb_SaveGIF, cb_SavePNG, cb_SaveJPG, cb_SaveCSV})
        connect(box, &QCheckBox::toggled, this, &TBulkConvForm::TickBoxChanged);

    FormCreate();
}

void TBulkConvForm::FormCreate()
{
    // Without drive letters there is no "C:\" to start from; the home folder is the natural one.
#ifdef Q_OS_WIN
    const QString start = QStringLiteral("C:\\");
#else
    const QString start = QDir::homePath();
#endif
    Source->setPath(start);
    Dest->setPath(start);
}

void TBulkConvForm::sb_sourceClick()
{
    const QString folder =
        m_main->prompts().pickFolder(this, QStringLiteral("Source Folder"),
                                     QStringLiteral("Select the source folder"), Source->path());
    if (!folder.isEmpty())
        Source->setPath(QDir::toNativeSeparators(folder));
}

void TBulkConvForm::sb_destClick()
{
    const QString folder =
        m_main->prompts().pickFolder(this, QStringLiteral("Destination Folder"),
                                     QStringLiteral("Select the destination folder"), Dest->path());
    if (!folder.isEmpty())
        Dest->setPath(QDir::toNativeSeparators(folder));
}

void TBulkConvForm::CopyClick()
{
    Dest->setPath(Source->path());
}

void TBulkConvForm::TickBoxChanged()
{
    emit outputsChanged();
}

SaveChoices TBulkConvForm::outputs() const
{
    SaveChoices choices;
    choices.bmp = cb_SaveBMP->isChecked();
    choices.png = cb_SavePNG->isChecked();
    choices.gif = cb_SaveGIF->isChecked();
    choices.jpg = cb_SaveJPG->isChecked();
    choices.csv = cb_SaveCSV->isChecked();
    return choices;
}

void TBulkConvForm::setOutputs(const SaveChoices& choices)
{
    cb_SaveBMP->setChecked(choices.bmp);
    cb_SaveGIF->setChecked(choices.gif);
    cb_SavePNG->setChecked(choices.png);
    cb_SaveJPG->setChecked(choices.jpg);
    cb_SaveCSV->setChecked(choices.csv);
}

void TBulkConvForm::ExecuteClick()
{
    // Every entry that is not a folder, hidden and system files included, in name order so
    // that a run is the same on every platform.
    ListBox1 = listFolder(Source->path());
    SetRegString(reg::MapName, ed_filename->text());
    accept();
}

void TBulkConvForm::CancelClick()
{
    reject();
}

} // namespace vt
