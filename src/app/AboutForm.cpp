#include "app/AboutForm.h"

#include "app/Controls.h"
#include "charsets/Resources.h"

#include <QLabel>

namespace vt {

namespace {

QLabel* line(QWidget* parent, const QString& name, const QString& text, int top, int height,
             int pixelSize, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(uiFont(QStringLiteral("Arial"), pixelSize, bold));
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setStyleSheet(QStringLiteral("color: aqua; background: transparent;"));
    label->setGeometry(1, top, 477, height);
    return label;
}

} // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(479, 143);
    setStyleSheet(QStringLiteral("QDialog#AboutForm { background: black; }"));

    img_left = new PictureControl(this);
    img_left->setObjectName(QStringLiteral("img_left"));
    img_left->setGeometry(0, 0, 32, 32);
    img_left->setPicture(programPicture(QStringLiteral("ABOUT_LEFT")));
    img_right = new PictureControl(this);
    img_right->setObjectName(QStringLiteral("img_right"));
    img_right->setGeometry(479 - 32, 0, 32, 32);
    img_right->setPicture(programPicture(QStringLiteral("ABOUT_RIGHT")));

    lb_title = line(this, QStringLiteral("lb_title"), QString(), 0, 37, 32, true);
    lb_author = line(this, QStringLiteral("lb_author"),
                     QStringLiteral("By the Tamsel Software team"), 38, 16, 11, false);
    lb_version = line(this, QStringLiteral("lb_version"), QString(), 58, 16, 11, false);
    lb_thanks = line(this, QStringLiteral("lb_thanks"),
                     QStringLiteral("With thanks to the makers of the Vorlan games, whose "
                                    "characters our own drawings follow"),
                     80, 16, 11, false);
    lb_credits = line(this, QStringLiteral("lb_credits"),
                      QStringLiteral("Built with Qt, giflib, libdeflate, zlib and libjpeg"), 122,
                      16, 11, false);
}

} // namespace vt
