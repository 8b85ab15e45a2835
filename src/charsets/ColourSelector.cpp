#include "charsets/ColourSelector.h"

#include "charsets/GameTables.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

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
    painter->drawText(rect.adjusted(2, 1, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
    painter->restore();
}

void TColourComboBox::paintEvent(QPaintEvent*)
{
    // The closed list shows the chosen item as its own swatch, with the drop-down arrow.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    ComboBoxDrawItem(&painter, currentIndex(), currentText(), field);
}

} // namespace vt
