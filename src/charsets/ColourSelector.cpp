#include "charsets/ColourSelector.h"

#include "charsets/GameTables.h"

#include <QAbstractItemView>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace vt {

namespace {

QColor fromColourValue(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// Relative luminance of an sRGB colour, as the accessibility guidelines define it.
double luminance(const QColor& colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.red()) + 0.7152 * channel(colour.green()) +
           0.0722 * channel(colour.blue());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The swatch's inverse where it reads well on it; else black or white, whichever reads better
// (the inverse of a mid-grey or a mid-green is hardly a different shade).
QColor textColourOn(const QColor& swatch, const QColor& inverse)
{
    constexpr double kReadable = 4.5;
    if (contrast(swatch, inverse) >= kReadable)
        return inverse;
    return contrast(swatch, Qt::black) >= contrast(swatch, Qt::white) ? QColor(Qt::black)
                                                                      : QColor(Qt::white);
}

class SwatchDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        TColourComboBox::ComboBoxDrawItem(painter, index.row(), index.data().toString(),
                                          option.rect);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index).expandedTo(QSize(0, 18));
    }
};

} // namespace

TColourComboBox::TColourComboBox(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new SwatchDelegate(this));
}

void TColourComboBox::ComboBoxDrawItem(QPainter* painter, int index, const QString& text,
                                       const QRect& rect)
{
    if (index < 0 || index >= kColourCount)
        return;
    const std::uint32_t swatch = colour_swatch[static_cast<std::size_t>(index)];
    painter->save();
    painter->fillRect(rect, fromColourValue(swatch));
    painter->setPen(textColourOn(fromColourValue(swatch), fromColourValue(swatch ^ 0xFFFFFFu)));
    // A caption wider than its room ("Magenta: 100%" in the closed list) is set a little
    // smaller, then shortened, rather than cut off at the edge.
    const QRect room = rect.adjusted(2, 1, -2, 0);
    QFont font = painter->font();
    const int pixelSize = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    for (int size = pixelSize; size > std::max(8, pixelSize - 3); --size) {
        if (QFontMetrics(font).horizontalAdvance(text) <= room.width())
            break;
        font.setPixelSize(size - 1);
    }
    painter->setFont(font);
    const QString shown = QFontMetrics(font).elidedText(text, Qt::ElideRight, room.width());
    painter->drawText(room, Qt::AlignLeft | Qt::AlignTop, shown);
    painter->restore();
}

void TColourComboBox::paintEvent(QPaintEvent*)
{
    // The closed list shows the chosen item as its own swatch, with the drop-down arrow.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    // Some styles let the field reach under the arrow: the swatch ends where the arrow begins.
    const QRect arrow =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, this);
    if (arrow.isValid() && arrow.left() > field.left())
        field.setRight(std::min(field.right(), arrow.left() - 1));
    ComboBoxDrawItem(&painter, currentIndex(), currentText(), field);
}

} // namespace vt
