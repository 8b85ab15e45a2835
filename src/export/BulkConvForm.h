// The bulk dialog: source and destination folders, the file-name pattern and the outputs.
// It only collects the choices; the main window runs the conversion.
#pragma once

#include "export/OutputFormats.h"

#include <QDialog>
#include <QStringList>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vt {

class PathLabel;
class TMainForm;

class TBulkConvForm : public QDialog
{
    Q_OBJECT
public:
    explicit TBulkConvForm(TMainForm* mainForm);

    QPushButton* sb_source = nullptr;
    PathLabel* Source = nullptr;
    QPushButton* Copy = nullptr;
    QPushButton* sb_dest = nullptr;
    PathLabel* Dest = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* ed_filename = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* cb_SaveBMP = nullptr;
    QCheckBox* cb_SaveGIF = nullptr;
    QCheckBox* cb_SavePNG = nullptr;
    QCheckBox* cb_SaveJPG = nullptr;
    QCheckBox* cb_SaveCSV = nullptr;
    QCheckBox* cb_PictureReport = nullptr; // a picture report of the run in the destination
    QPushButton* Cancel = nullptr;
    QPushButton* Execute = nullptr;
    QStringList ListBox1; // names of the grabs to convert, filled by Execute

    // The tick box of an output that has a "Flags" bit (the five above); null for the others.
    QCheckBox* saveBox(OutputFormat format) const;
    // The ticked outputs; ticking sets the boxes in the order of their bits.
    SaveChoices checkedFormats() const;
    void setCheckedFormats(SaveChoices formats);

signals:
    // A box was ticked or cleared; the choice is stored by the main window, which keeps it in
    // "Flags" beside the puzzle-piece choice.
    void outputsChanged();

public slots:
    void FormCreate();
    void sb_sourceClick();
    void sb_destClick();
    void CopyClick();
    void TickBoxChanged();
    void ExecuteClick();
    void CancelClick();

private:
    TMainForm* m_main;
    std::array<QCheckBox*, kOutputFormatCount> m_saveBoxes{};
};

} // namespace vt
