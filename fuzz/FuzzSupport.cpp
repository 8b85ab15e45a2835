#include "FuzzSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

namespace vt::fuzz {

void startQt(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int qtArgc = 1;
    static char* qtArgv[] = {(*argv)[0], nullptr};
    (void)argc;
    static QGuiApplication application(qtArgc, qtArgv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

QString scratchDir()
{
    static const QString base = QFileInfo(QStringLiteral("/dev/shm")).isDir()
                                    ? QStringLiteral("/dev/shm")
                                    : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/vorlan-fuzz-XXXXXX"));
    return dir.path();
}

} // namespace vt::fuzz
