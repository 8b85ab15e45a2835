// The colour selector: a list whose items are drawn on their scheme's swatch.
#pragma once

#include <QComboBox>

namespace vt {

class TColourComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TColourComboBox(QWidget* parent = nullptr);

    // Draws item `index` into `rect`: filled with its swatch, its text at the top-left corner
    // in the swatch's inverse colour (black or white where the inverse is hard to read), kept 2
    // pixels inside the right edge (set smaller, then shortened, when too wide). Selected and
    // focused items look the same as the others.
    static void ComboBoxDrawItem(QPainter* painter, int index, const QString& text,
                                 const QRect& rect);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vt
