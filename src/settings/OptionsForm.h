// The preferences dialog: three match thresholds, the table's codes and the drawing of
// unrecognised cells. Every change is stored at once and told through `changed`, so that the
// main window can take the values into the grab it works on.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QSlider;

namespace vt {

class RadioGroup;

class TOptionsForm : public QDialog
{
    Q_OBJECT
public:
    explicit TOptionsForm(QWidget* parent);

    RadioGroup* rg_CharRef = nullptr;
    RadioGroup* rg_puzzlepiece = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* lb_prob_caption = nullptr;
    QLabel* lb_vorlan_caption = nullptr;
    QLabel* lb_pixel_caption = nullptr;
    QLabel* lb_prob_match = nullptr;
    QLabel* lb_vorlan_match = nullptr;
    QLabel* lb_pixel_match = nullptr;
    QSlider* prob_match_slider = nullptr;
    QSlider* vorlan_match_slider = nullptr;
    QSlider* pixel_match_slider = nullptr;
    QLabel* lb_redecode = nullptr; // shown below the rows when the map on show is out of date

    // Tells, below the thresholds, that the map on show was decoded with other ones (`on`), or
    // takes the note away.
    void showRedecodeNote(bool on);

    // The values the controls show, as the preferences in use.
    quint8 prob_match() const;
    quint8 pix_match() const;
    quint8 vorlan_match() const;
    int charRef() const;
    bool puzzpiece() const;

signals:
    void changed();

public slots:
    void prob_match_sliderChange();
    void vorlan_match_sliderChange();
    void pixel_match_sliderChange();
    void rg_CharRefClick();
    void rg_puzzlepieceClick();

private:
    void applySlider(const QSlider* slider, QLabel* label, const QString& valueName);
};

} // namespace vt
