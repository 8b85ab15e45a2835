// The preferences dialog: three match thresholds, the table's codes and the drawing of
// unrecognised cells. Every change acts on the main window at once and is stored at once.
#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QSlider;

namespace vt {

class RadioGroup;
class TMainForm;

class TOptionsForm : public QDialog
{
    Q_OBJECT
public:
    explicit TOptionsForm(TMainForm* mainForm);

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

public slots:
    void prob_match_sliderChange();
    void vorlan_match_sliderChange();
    void pixel_match_sliderChange();
    void rg_CharRefClick();
    void rg_puzzlepieceClick();

private:
    static void applySlider(const QSlider* slider, QLabel* label, quint8& field,
                            const QString& valueName);

    TMainForm* m_main;
};

} // namespace vt
