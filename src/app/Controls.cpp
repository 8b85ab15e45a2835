#include "app/Controls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

#include <utility>

namespace vt {

QFont uiFont(const QString& family, int pixelSize, bool bold)
{
    QFont font;
    font.setFamilies({family, QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

PictureControl::PictureControl(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void PictureControl::setPicture(const QImage& picture)
{
    m_picture = picture;
    if (m_autoSize)
        resize(m_picture.size());
    update();
}

void PictureControl::drawOnPicture(const QRect& target, const QImage& piece)
{
    if (m_picture.isNull())
        return;
    {
        QPainter painter(&m_picture);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(target, piece);
    }
    update();
}

void PictureControl::setStretch(bool on)
{
    m_stretch = on;
    update();
}

void PictureControl::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on)
        resize(m_picture.size());
}

void PictureControl::setFitCentred(bool on)
{
    m_fitCentred = on;
    update();
}

double PictureControl::scale() const
{
    if (m_picture.isNull() || m_picture.width() == 0)
        return 1.0;
    return static_cast<double>(width()) / m_picture.width();
}

void PictureControl::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    if (m_fitCentred) {
        const QSize fitted = m_picture.size().scaled(size(), Qt::KeepAspectRatio);
        QRect target(QPoint(0, 0), fitted);
        target.moveCenter(rect().center());
        painter.setRenderHint(QPainter::SmoothPixmapTransform, fitted != m_picture.size());
        painter.drawImage(target, m_picture);
        return;
    }
    if (!m_stretch || size() == m_picture.size()) {
        painter.drawImage(0, 0, m_picture);
        return;
    }
    const bool reducing = width() < m_picture.width() || height() < m_picture.height();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_smoothReduction && reducing);
    painter.drawImage(rect(), m_picture);
}

void PictureControl::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    emit mousePressed(this, event);
}

void PictureControl::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked(this);
}

void PictureControl::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(this, event);
}

void PictureControl::leaveEvent(QEvent*)
{
    emit mouseLeft(this);
}

void EventLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const bool endsDoubleClick = std::exchange(m_doubleClicked, false);
        if (!endsDoubleClick && rect().contains(event->position().toPoint()))
            emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

void EventLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_doubleClicked = true;
        emit doubleClicked();
    }
    QLabel::mouseDoubleClickEvent(event);
}

void EventLabel::enterEvent(QEnterEvent* event)
{
    emit entered();
    QLabel::enterEvent(event);
}

void EventLabel::leaveEvent(QEvent* event)
{
    emit left();
    QLabel::leaveEvent(event);
}

void PathLabel::setPath(const QString& path)
{
    setText(path);
    setToolTip(path);
}

void PathLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(rect(), int(alignment()),
                     fontMetrics().elidedText(text(), Qt::ElideMiddle, width()));
}

OutlineShape::OutlineShape(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void OutlineShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QPen pen(Qt::red);
    pen.setWidth(2);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void OutlineShape::mousePressEvent(QMouseEvent* event)
{
    emit mousePressed(event);
}

void OutlineShape::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event);
}

void OutlineShape::mouseReleaseEvent(QMouseEvent* event)
{
    emit mouseReleased(event);
}

FilledShape::FilledShape(QWidget* parent) : QWidget(parent) {}

void FilledShape::setBrushColor(const QColor& color)
{
    m_color = color;
    update();
}

void FilledShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
}

namespace {

class BoldSizedTabBar : public QTabBar
{
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        QSize size = QTabBar::tabSizeHint(index);
        QFont bold = font();
        bold.setBold(true);
        const QString text = tabText(index);
        const int extra =
            QFontMetrics(bold).horizontalAdvance(text) - fontMetrics().horizontalAdvance(text);
        if (extra > 0) {
            const bool upright =
                shape() == QTabBar::RoundedWest || shape() == QTabBar::RoundedEast ||
                shape() == QTabBar::TriangularWest || shape() == QTabBar::TriangularEast;
            (upright ? size.rheight() : size.rwidth()) += extra;
        }
        return size;
    }
};

} // namespace

PageControl::PageControl(QWidget* parent) : QTabWidget(parent)
{
    setTabBar(new BoldSizedTabBar(this));
}

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), m_group(new QButtonGroup(this))
{
    auto* layout = new QVBoxLayout(this);
    // A group of the preferences is 60 pixels high: with room between the items the frame
    // would squeeze each below its line of text and cut the descenders of "copied from grab".
    layout->setContentsMargins(8, 0, 4, 0);
    layout->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        m_group->addButton(button, i);
        layout->addWidget(button);
    }
    connect(m_group, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            emit itemClicked(id);
    });
}

int RadioGroup::itemIndex() const
{
    return m_group->checkedId();
}

int RadioGroup::count() const
{
    return static_cast<int>(m_group->buttons().size());
}

void RadioGroup::setItemIndex(int index)
{
    if (QAbstractButton* button = m_group->button(index)) {
        button->setChecked(true);
        return;
    }
    // No item: clear the choice without the exclusive group refusing it.
    if (QAbstractButton* checked = m_group->checkedButton()) {
        m_group->setExclusive(false);
        checked->setChecked(false);
        m_group->setExclusive(true);
    }
}

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent)
{
    connect(this, &QStatusBar::messageChanged, this, [this](const QString& message) {
        setToolTip(shownText() == message ? QString() : message);
    });
}

QRect StatusLine::messageRect() const
{
    // Left of the widgets the line holds (the Stop button of a bulk run), inside its margins.
    int right = width() - 4;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible() && child->x() > 0)
            right = std::min(right, child->x() - 4);
    return QRect(6, 0, std::max(0, right - 6), height());
}

QString StatusLine::shownText() const
{
    const QString message = currentMessage();
    const QFontMetrics metrics(font());
    const int room = messageRect().width();
    if (metrics.horizontalAdvance(message) <= room)
        return message;
    // The longest run of whole sentences that fits with the mark that more follows.
    const QString more = QStringLiteral(" ...");
    QString best;
    for (qsizetype end = message.indexOf(QLatin1Char(' ')); end > 0;
         end = message.indexOf(QLatin1Char(' '), end + 1)) {
        const QChar last = message.at(end - 1);
        if (last != QLatin1Char('.') && last != QLatin1Char(';') && last != QLatin1Char(':'))
            continue;
        const QString head = message.left(end);
        if (metrics.horizontalAdvance(head + more) > room)
            break;
        best = head;
    }
    if (!best.isEmpty())
        return best + more;
    // Not even the first sentence fits: it goes as far as whole words do.
    return metrics.elidedText(message, Qt::ElideRight, room);
}

void StatusLine::paintEvent(QPaintEvent* event)
{
    if (currentMessage().isEmpty()) {
        QStatusBar::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(messageRect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                     shownText());
}

} // namespace vt
