// The about box: title, version and credits on black.
#pragma once

#include <QDialog>

class QLabel;

namespace vt {

class PictureControl;

class TAboutForm : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);

    QLabel* lb_title = nullptr;
    QLabel* lb_author = nullptr;
    QLabel* lb_version = nullptr;
    QLabel* lb_thanks = nullptr;
    QLabel* lb_credits = nullptr;
    PictureControl* img_left = nullptr;
    PictureControl* img_right = nullptr;
};

} // namespace vt
