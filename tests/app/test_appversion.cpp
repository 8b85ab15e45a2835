#include "app/AppVersion.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(AppVersion, FormatsMajorAndTwoDigitMinor)
{
    const struct
    {
        const char* fileVersion;
        const char* shown;
    } cases[] = {{"1.6", "1.06-x64"},    {"2.5", "2.05-x64"},     {"1.10", "1.10-x64"},
                 {"1.123", "1.123-x64"}, {"1.6.0.0", "1.06-x64"}, {"", ""},
                 {"garbage", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(formatAppVersion(QString::fromLatin1(c.fileVersion)), QLatin1String(c.shown))
            << c.fileVersion;
}

TEST(AppVersion, TheCompiledInVersionIsOnePointSix)
{
    EXPECT_EQ(AppVersion(), QStringLiteral("1.06-x64"));
}

} // namespace
} // namespace vt
