// Small controls the windows are built from: a picture control, outline and filled shapes,
// and a radio group with an item index.
#pragma once

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <QWidget>

class QButtonGroup;
class QMouseEvent;

namespace vt {

// A font of the windows at a size in pixels. Where the named family is missing, a
// metric-compatible one stands in, so that captions fit the columns they were laid out for.
QFont uiFont(const QString& family, int pixelSize, bool bold = false);

// Shows a picture, either at its own size or stretched to the control. Carries a tag
// (a character index, or -1 for the copy-from-grab tile) and reports pointer events.
class PictureControl : public QWidget
{
    Q_OBJECT
public:
    explicit PictureControl(QWidget* parent = nullptr);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    void clearPicture() { setPicture(QImage()); }

    // Draws `piece` into the picture at `at`, scaled to `size`, replicating pixels.
    void drawOnPicture(const QRect& target, const QImage& piece);

    // Stretched display scales the picture to the control's size (the zoom of the views).
    bool stretch() const { return m_stretch; }
    void setStretch(bool on);

    // While on, the control takes the size of every picture it is given.
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);

    // Fitted display scales the picture to fit the control with its proportions kept, centred.
    bool fitCentred() const { return m_fitCentred; }
    void setFitCentred(bool on);

    // Enlargements replicate pixels; reductions are smoothed when this is on.
    void setSmoothReduction(bool on) { m_smoothReduction = on; }

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // Displayed width over picture width; 1 without a picture.
    double scale() const;

signals:
    void clicked(vt::PictureControl* sender);
    void mousePressed(vt::PictureControl* sender, QMouseEvent* event);
    void mouseMoved(vt::PictureControl* sender, QMouseEvent* event);
    void mouseLeft(vt::PictureControl* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QImage m_picture;
    bool m_stretch = false;
    bool m_fitCentred = false;
    bool m_autoSize = false;
    bool m_smoothReduction = false;
    bool m_pressed = false;
    int m_tag = 0;
};

// A label that reports clicks, double-clicks and the pointer entering and leaving it.
// A double-click reports one click and one double-click: Qt delivers press, release,
// double-click, release, and the second release is not taken as a further click.
class EventLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();
    void doubleClicked();
    void entered();
    void left();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool m_doubleClicked = false; // the release that ends a double-click is not a click
};

// A label whose text (a folder path or a file name) is shown shortened in the middle, with
// the whole text as its tool tip, when it does not fit.
class PathLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;
    QString path() const { return text(); }
    void setPath(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A red outline with a 2-pixel pen and no fill, drawn inside its bounds. It takes the
// pointer events over its whole area unless made transparent for them.
class OutlineShape : public QWidget
{
    Q_OBJECT
public:
    explicit OutlineShape(QWidget* parent = nullptr);

signals:
    void mousePressed(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A filled rectangle whose colour can be read back.
class FilledShape : public QWidget
{
    Q_OBJECT
public:
    explicit FilledShape(QWidget* parent = nullptr);
    QColor brushColor() const { return m_color; }
    void setBrushColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color = Qt::black;
};

// The main window's page control: every tab as long as its caption in bold, the face of the
// chosen tab, so that a tab sized for the plain face does not cut its caption once chosen.
class PageControl : public QTabWidget
{
public:
    explicit PageControl(QWidget* parent = nullptr);
};

// The main window's status line. A message wider than the line is shown as its first whole
// sentences that fit, followed by "...", never cut in the middle of one; the whole message is
// the line's tool tip meanwhile.
class StatusLine : public QStatusBar
{
    Q_OBJECT
public:
    explicit StatusLine(QWidget* parent = nullptr);
    // What the line shows of the current message.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect messageRect() const;
};

// A captioned group of radio choices addressed by item index (-1: none chosen).
// itemClicked is emitted whenever an item becomes selected, by the user or the program.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
    int itemIndex() const;
    void setItemIndex(int index);
    int count() const;

signals:
    void itemClicked(int index);

private:
    QButtonGroup* m_group;
};

} // namespace vt
