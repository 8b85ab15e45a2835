#include "settings/Flags.h"
#include "settings/RegUtils.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

class RegUtilsTest : public ::testing::Test
{
protected:
    void SetUp() override { test::SettingsSandbox::clear(); }
};

TEST_F(RegUtilsTest, MissingValuesAreWrittenWithTheirDefaultWhenRead)
{
    EXPECT_EQ(GetRegInteger(QStringLiteral("ProbMatch"), 88), 88);
    EXPECT_EQ(GetRegString(QStringLiteral("MapName"), QStringLiteral("%s-decode")),
              QStringLiteral("%s-decode"));
    EXPECT_EQ(OpenReg()->value(QStringLiteral("ProbMatch")).toInt(), 88);
    EXPECT_EQ(OpenReg()->value(QStringLiteral("MapName")).toString(), QStringLiteral("%s-decode"));
}

TEST_F(RegUtilsTest, StoredValuesWinOverDefaultsAndWritesAreSeenAtOnce)
{
    SetRegInteger(QStringLiteral("CharRef"), 1);
    SetRegString(QStringLiteral("MapName"), QString());
    EXPECT_EQ(GetRegInteger(QStringLiteral("CharRef"), 0), 1);
    // An empty pattern is a value, not a missing one.
    EXPECT_EQ(GetRegString(QStringLiteral("MapName"), QStringLiteral("%s-decode")), QString());
    SetRegInteger(QStringLiteral("Flags"), -1);
    EXPECT_EQ(GetRegInteger(QStringLiteral("Flags"), 17), -1);
}

TEST_F(RegUtilsTest, AValueOfTheWrongTypeIsTreatedAsMissing)
{
    OpenReg()->setValue(QStringLiteral("ProbMatch"), QStringLiteral("eighty"));
    EXPECT_EQ(GetRegInteger(QStringLiteral("ProbMatch"), 88), 88);
    EXPECT_EQ(OpenReg()->value(QStringLiteral("ProbMatch")).toInt(), 88);

    OpenReg()->setValue(QStringLiteral("MapName"),
                        QStringList{QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(GetRegString(QStringLiteral("MapName"), QStringLiteral("%s-decode")),
              QStringLiteral("%s-decode"));
}

TEST(FlagBits, BitsBeyondThirtyOneAreNeverSet)
{
    EXPECT_TRUE(IsBitSet(17, 0));
    EXPECT_FALSE(IsBitSet(17, 1));
    EXPECT_TRUE(IsBitSet(17, 4));
    EXPECT_TRUE(IsBitSet(-1, 31));
    EXPECT_FALSE(IsBitSet(-1, 32));
    EXPECT_EQ(SetBit(5, true), 32);
    EXPECT_EQ(SetBit(5, false), 0);
    EXPECT_EQ(SetBit(31, true), INT32_MIN);
    EXPECT_EQ(SetBit(32, true), 0);
}

TEST(FlagBits, ThresholdsAreBroughtIntoRange)
{
    const struct
    {
        qint32 stored;
        quint8 used;
    } cases[] = {{88, 88}, {0, 0}, {100, 100}, {101, 100}, {150, 100}, {300, 100}, {-5, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(clampPercent(c.stored), c.used) << c.stored;
}

} // namespace
} // namespace vt
