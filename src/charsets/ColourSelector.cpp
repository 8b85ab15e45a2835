#include "charsets/ColourSelector.h"

#include "charsets/GameTables.h"

#include <QAbstractItemView>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace vt {

namespace {

QColor fromColourValue(std::uint32_t value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
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
    painter->setPen(fromColourValue(swatch ^ 0xFFFFFFu));
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
