// The program's start-up reads of the six settings, in the order and with the defaults of the
// main window's show step, for tests and the settings fuzz target.
#pragma once

#include <QString>
#include <QtGlobal>

namespace vt::test {

struct StartupValues
{
    qint32 flags = 0;
    qint32 probMatch = 0;
    qint32 pixelMatch = 0;
    qint32 vorlanMatch = 0;
    QString mapName;
    qint32 charRef = 0;
};

StartupValues runStartupReads();

} // namespace vt::test
