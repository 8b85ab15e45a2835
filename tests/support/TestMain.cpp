// Entry of every test program: an offscreen application and a settings store of its own,
// so that no test touches the user's settings or needs a display.
#ifdef VT_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

#include "TestSupport.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication application(argc, argv);
    vt::test::SettingsSandbox sandbox;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
