#include "settings/OptionsForm.h"

#include "app/Controls.h"
#include "settings/RegUtils.h"

#include <QGroupBox>
#include <QLabel>
#include <QSlider>

namespace vt {

namespace {

struct Row
{
    QLabel* caption;
    QLabel* value;
    QSlider* slider;
};

constexpr int kHeight = 305;
constexpr int kNoteHeight = 44;

Row makeRow(QWidget* parent, const QString& caption, const QString& valueName,
            const QString& sliderName, int captionTop, int sliderTop, const QString& tip)
{
    Row row{};
    row.caption = new QLabel(caption, parent);
    row.caption->setFont(uiFont(QStringLiteral("Tahoma"), 13, true));
    row.caption->setStyleSheet(QStringLiteral("color: yellow;"));
    row.caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row.caption->setGeometry(3, captionTop, 135, 18);

    row.value = new QLabel(QStringLiteral("0%"), parent);
    row.value->setObjectName(valueName);
    row.value->setFont(uiFont(QStringLiteral("Tahoma"), 11));
    row.value->setStyleSheet(QStringLiteral("color: aqua;"));
    row.value->setGeometry(138 + 4, captionTop, 50, 18);

    row.slider = new QSlider(Qt::Horizontal, parent);
    row.slider->setObjectName(sliderName);
    row.slider->setRange(0, 100);
    row.slider->setSingleStep(1);
    row.slider->setPageStep(5);
    row.slider->setTickInterval(5);
    row.slider->setTickPosition(QSlider::NoTicks);
    row.slider->setValue(0);
    row.slider->setGeometry(3, sliderTop, 185, 24);
    for (QWidget* widget : {static_cast<QWidget*>(row.caption), static_cast<QWidget*>(row.value),
                            static_cast<QWidget*>(row.slider)})
        widget->setToolTip(tip);
    return row;
}

} // namespace

TOptionsForm::TOptionsForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("OptionsForm"));
    setWindowTitle(QStringLiteral("Preferences"));
    setFixedSize(200, kHeight);
    setFont(uiFont(QStringLiteral("Tahoma"), 11));
    setStyleSheet(QStringLiteral("QDialog#OptionsForm { background: black; }"
                                 "QGroupBox { color: aqua; }"
                                 "QRadioButton { color: aqua; }"));

    rg_CharRef = new RadioGroup(
        QStringLiteral("Save CSV characters"),
        {QStringLiteral("As references into atlas"), QStringLiteral("As PC references")}, this);
    rg_CharRef->setObjectName(QStringLiteral("rg_CharRef"));
    rg_CharRef->setGeometry(4, 3, 192, 60);
    rg_CharRef->setItemIndex(0);

    rg_puzzlepiece = new RadioGroup(
        QStringLiteral("Replace Unknown Characters"),
        {QStringLiteral("As copied from grab"), QStringLiteral("As Puzzle Piece graphic")}, this);
    rg_puzzlepiece->setObjectName(QStringLiteral("rg_puzzlepiece"));
    rg_puzzlepiece->setGeometry(4, 67, 192, 60);
    rg_puzzlepiece->setItemIndex(0);

    GroupBox1 = new QGroupBox(QStringLiteral("Probability Matches"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(4, 131, 192, 170);

    const Row prob =
        makeRow(GroupBox1, QStringLiteral("Character Match:"), QStringLiteral("lb_prob_match"),
                QStringLiteral("prob_match_slider"), 16, 36,
                QStringLiteral("The least score, in per cent, at which a cell of the grab is read "
                               "as a character (lower reads more cells, and more of them "
                               "wrongly), and at which the hero figure is taken as found."));
    const Row vorlan =
        makeRow(GroupBox1, QStringLiteral("Vorlan Match:"), QStringLiteral("lb_vorlan_match"),
                QStringLiteral("vorlan_match_slider"), 68, 88,
                QStringLiteral("The least score, in per cent, at which the search for the hero "
                               "figure, which shows where the game window lies in a grab, "
                               "stops at a place."));
    const Row pixel =
        makeRow(GroupBox1, QStringLiteral("Pixel Match:"), QStringLiteral("lb_pixel_match"),
                QStringLiteral("pixel_match_slider"), 118, 138,
                QStringLiteral("The least share, in per cent, of pixels that must match along "
                               "an edge of the map for the grid's edges to be found in a grab."));
    lb_prob_caption = prob.caption;
    lb_prob_match = prob.value;
    prob_match_slider = prob.slider;
    lb_vorlan_caption = vorlan.caption;
    lb_vorlan_match = vorlan.value;
    vorlan_match_slider = vorlan.slider;
    lb_pixel_caption = pixel.caption;
    lb_pixel_match = pixel.value;
    pixel_match_slider = pixel.slider;

    lb_redecode = new QLabel(
        QStringLiteral("The map on show was decoded with the thresholds before: run Decode Map "
                       "again for these to apply to it."),
        this);
    lb_redecode->setObjectName(QStringLiteral("lb_redecode"));
    lb_redecode->setWordWrap(true);
    lb_redecode->setStyleSheet(QStringLiteral("color: yellow;"));
    lb_redecode->setGeometry(6, kHeight, 188, kNoteHeight - 4);
    lb_redecode->hide();

    connect(prob_match_slider, &QSlider::valueChanged, this,
            &TOptionsForm::prob_match_sliderChange);
    connect(vorlan_match_slider, &QSlider::valueChanged, this,
            &TOptionsForm::vorlan_match_sliderChange);
    connect(pixel_match_slider, &QSlider::valueChanged, this,
            &TOptionsForm::pixel_match_sliderChange);
    connect(rg_CharRef, &RadioGroup::itemClicked, this, &TOptionsForm::rg_CharRefClick);
    connect(rg_puzzlepiece, &RadioGroup::itemClicked, this, &TOptionsForm::rg_puzzlepieceClick);
}

void TOptionsForm::showRedecodeNote(bool on)
{
    // Below the rows, in room the dialog takes only while it tells.
    setFixedSize(200, on ? kHeight + kNoteHeight : kHeight);
    lb_redecode->setVisible(on);
}

quint8 TOptionsForm::prob_match() const
{
    return static_cast<quint8>(prob_match_slider->value());
}

quint8 TOptionsForm::pix_match() const
{
    return static_cast<quint8>(pixel_match_slider->value());
}

quint8 TOptionsForm::vorlan_match() const
{
    return static_cast<quint8>(vorlan_match_slider->value());
}

int TOptionsForm::charRef() const
{
    return rg_CharRef->itemIndex();
}

bool TOptionsForm::puzzpiece() const
{
    return rg_puzzlepiece->itemIndex() == 1;
}

// The three rows work alike: the slider's position becomes the value label and the stored
// value.
void TOptionsForm::applySlider(const QSlider* slider, QLabel* label, const QString& valueName)
{
    const int value = slider->value();
    label->setText(QString::number(value) + QLatin1Char('%'));
    SetRegInteger(valueName, value);
    emit changed();
}

void TOptionsForm::prob_match_sliderChange()
{
    applySlider(prob_match_slider, lb_prob_match, reg::ProbMatch);
}

void TOptionsForm::vorlan_match_sliderChange()
{
    applySlider(vorlan_match_slider, lb_vorlan_match, reg::VorlanMatch);
}

void TOptionsForm::pixel_match_sliderChange()
{
    applySlider(pixel_match_slider, lb_pixel_match, reg::PixelMatch);
}

void TOptionsForm::rg_CharRefClick()
{
    SetRegInteger(reg::CharRef, rg_CharRef->itemIndex());
    emit changed();
}

// "Flags" also holds the bulk run's outputs, which the main window keeps with this choice.
void TOptionsForm::rg_puzzlepieceClick()
{
    emit changed();
}

} // namespace vt
