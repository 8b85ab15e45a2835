#include "export/BulkConvForm.h"

#include "app/Controls.h"
#include "app/MainForm.h"
#include "charsets/Resources.h"
#include "export/BulkConvert.h"
#include "settings/RegUtils.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace vt {

namespace {

QPushButton* flatButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFlat(true);
    // No button answers Enter: in the pattern box it would otherwise open the folder picker.
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}

QCheckBox* tickBox(QWidget* parent, const QString& name, const QString& caption,
                   const QRect& geometry)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    // The caption aqua on black, the tick black in its white box: a style sheet's colour
    // would draw the tick aqua on white, where it can hardly be seen.
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, Qt::cyan);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    box->setPalette(palette);
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
    // Child selectors only: the folder picker and the message boxes opened from here keep
    // their own colours.
    setStyleSheet(QStringLiteral(
        "QDialog#BulkConvForm { background: black; }"
        "QDialog#BulkConvForm > QLabel, QDialog#BulkConvForm > QGroupBox { color: aqua; }"
        "QDialog#BulkConvForm > QPushButton { color: aqua; border: 1px solid #406060; }"
        "QDialog#BulkConvForm > QPushButton:hover { border-color: aqua; }"
        "QDialog#BulkConvForm > QPushButton:focus { border: 1px dotted aqua; }"
        "QDialog#BulkConvForm > QLineEdit {"
        " background: black; color: aqua; border: 1px solid #406060; }"));
    // The folder lines and the caption are as tall as the font's ascent and descent, so that
    // no descender is cut off.
    const int lineHeight = std::max(13, fontMetrics().height());

    sb_source = flatButton(this, QStringLiteral("sb_source"), QStringLiteral("Source Folder"),
                           {8, 8, 100, 22});
    Source = new PathLabel(this);
    Source->setObjectName(QStringLiteral("Source"));
    Source->setGeometry(8, 36, 263, lineHeight);

    Copy = flatButton(this, QStringLiteral("Copy"), QString(), {269, 36, 20, 20});
    Copy->setToolTip(QStringLiteral("Copy Source folder to Destination"));
    Copy->setIcon(QPixmap::fromImage(programPicture(QStringLiteral("COPY"))));

    sb_dest = flatButton(this, QStringLiteral("sb_dest"), QStringLiteral("Destination Folder"),
                         {292, 8, 125, 22});
    Dest = new PathLabel(this);
    Dest->setObjectName(QStringLiteral("Dest"));
    Dest->setGeometry(295, 36, 263, lineHeight);

    Label1 = new QLabel(QStringLiteral("Filename Format:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 62, 183, lineHeight);
    ed_filename = new QLineEdit(this);
    ed_filename->setObjectName(QStringLiteral("ed_filename"));
    ed_filename->setGeometry(8, 81, 183, 22);

    cb_PictureReport = tickBox(this, QStringLiteral("cb_PictureReport"),
                               QStringLiteral("Picture report"), {8, 114, 183, 17});
    cb_PictureReport->setToolTip(
        QStringLiteral("Writes picture-report.html into the destination folder: every grab and "
                       "its converted map with the cells to check framed, and the grabs that "
                       "failed"));

    GroupBox1 = new QGroupBox(QStringLiteral("Save Options"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(197, 61, 257, 77);
    GroupBox1->setStyleSheet(QStringLiteral("QGroupBox#GroupBox1 { background: silver; }"));
    // One box per "Flags" bit, in bit order down the first column of three, then the second;
    // the boxes of the default "Flags" value start ticked.
    const SaveChoices ticked = formatsOfFlags(regdefault::Flags);
    for (const OutputFormat format : flagFormats()) {
        const OutputFormatRow& row = outputFormat(format);
        const int column = row.flagBit / 3;
        QCheckBox* box =
            tickBox(GroupBox1, QLatin1String(row.bulkBox),
                    QStringLiteral("Save As ") + QLatin1String(row.label),
                    {3 + 128 * column, 24 + 16 * (row.flagBit % 3), column == 0 ? 102 : 110, 17});
        box->setChecked(ticked.has(format));
        m_saveBoxes[std::size_t(format)] = box;
    }
    cb_SaveBMP = saveBox(OutputFormat::Bmp);
    cb_SaveGIF = saveBox(OutputFormat::Gif);
    cb_SavePNG = saveBox(OutputFormat::Png);
    cb_SaveJPG = saveBox(OutputFormat::Jpeg);
    cb_SaveCSV = saveBox(OutputFormat::Csv);

    Cancel =
        flatButton(this, QStringLiteral("Cancel"), QStringLiteral("Cancel"), {460, 63, 75, 22});
    Execute =
        flatButton(this, QStringLiteral("Execute"), QStringLiteral("Execute"), {460, 92, 75, 22});

    connect(sb_source, &QPushButton::clicked, this, &TBulkConvForm::sb_sourceClick);
    connect(sb_dest, &QPushButton::clicked, this, &TBulkConvForm::sb_destClick);
    connect(Copy, &QPushButton::clicked, this, &TBulkConvForm::CopyClick);
    connect(Cancel, &QPushButton::clicked, this, &TBulkConvForm::CancelClick);
    connect(Execute, &QPushButton::clicked, this, &TBulkConvForm::ExecuteClick);
    for (const OutputFormat format : flagFormats())
        connect(saveBox(format), &QCheckBox::toggled, this, &TBulkConvForm::TickBoxChanged);

    FormCreate();
}

QCheckBox* TBulkConvForm::saveBox(OutputFormat format) const
{
    return m_saveBoxes[std::size_t(format)];
}

SaveChoices TBulkConvForm::checkedFormats() const
{
    SaveChoices formats;
    for (const OutputFormat format : flagFormats())
        formats.set(format, saveBox(format)->isChecked());
    return formats;
}

void TBulkConvForm::setCheckedFormats(SaveChoices formats)
{
    for (const OutputFormat format : flagFormats())
        saveBox(format)->setChecked(formats.has(format));
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

void TBulkConvForm::ExecuteClick()
{
    // Outputs written beside the grabs mix with them, and a pattern may replace one.
    const QString source = QFileInfo(Source->path()).canonicalFilePath();
    if (!source.isEmpty() && source == QFileInfo(Dest->path()).canonicalFilePath() &&
        !m_main->prompts().confirm(
            this, QStringLiteral("The destination folder is the source folder: the maps will be "
                                 "written beside the grabs. Convert into it all the same?")))
        return;
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
