// Renders the windows as a user sees them, for the documentation:
//   vorlan-screenshots <output-folder> [grab-file] [--maximised]
// The main window after loading and decoding the grab, and the three dialogs. With
// --maximised the main window fills the screen (a laptop's, as the platform's screen and
// QT_SCALE_FACTOR set it), walked to its first cell to check, as screenshot-maximised.png.
#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "export/BulkConvForm.h"
#include "settings/OptionsForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        fprintf(stderr, "usage: vorlan-screenshots <output-folder> [grab-file]\n");
        return 2;
    }
    const QDir out(arguments.at(1));
    const bool maximised = arguments.contains(QStringLiteral("--maximised"));
    vt::Forms forms = vt::createForms();
    vt::TMainForm& main = *forms.MainForm;
    if (maximised) {
        main.showMaximized();
    } else {
        main.resize(1280, 900);
        main.show();
    }
    QApplication::processEvents();
    if (arguments.size() > 2 && !arguments.at(2).startsWith(QStringLiteral("--"))) {
        main.guarded([&] { main.LoadScreenGrab(QFileInfo(arguments.at(2)).absoluteFilePath()); });
        QApplication::processEvents();
        main.grab().save(out.filePath(QStringLiteral("screenshot-grab.png")));
        main.ui.sb_DecodeStart->click();
        QApplication::processEvents();
    }
    if (maximised) {
        main.ui.cb_ShowCellsToCheck->setChecked(true);
        main.ui.NextCellToCheck->trigger();
        QApplication::processEvents();
        main.grab().save(out.filePath(QStringLiteral("screenshot-maximised.png")));
        delete forms.MainForm;
        return 0;
    }
    main.grab().save(out.filePath(QStringLiteral("screenshot.png")));

    QWidget* dialogs[] = {forms.OptionsForm, forms.AboutForm, forms.BulkConvForm};
    const char* names[] = {"preferences.png", "about.png", "bulk.png"};
    for (int i = 0; i < 3; ++i) {
        dialogs[i]->show();
        QApplication::processEvents();
        dialogs[i]->grab().save(out.filePath(QString::fromLatin1(names[i])));
        dialogs[i]->hide();
    }
    delete forms.MainForm;
    return 0;
}
