#include "app/MainForm.h"
#include "charsets/Resources.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vorlan Tesselor"));
    QApplication::setWindowIcon(
        QIcon(QPixmap::fromImage(vt::programPicture(QStringLiteral("ICON")))));

    vt::Forms forms = vt::createForms();
    forms.MainForm->showMaximized();

    // A grab named on the command line is loaded once the window is up.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        const QString path = QFileInfo(arguments.at(1)).absoluteFilePath();
        QTimer::singleShot(0, forms.MainForm, [main = forms.MainForm, path] {
            main->guarded([main, path] { main->LoadScreenGrab(path); });
        });
    }

    const int status = QApplication::exec();
    delete forms.MainForm;
    return status;
}
