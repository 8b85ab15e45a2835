// Tolerant grid location: composed grabs of every kind located where they were drawn, with the
// right game and scheme, and the pictures brought back to 1:1 for scaled captures.
#include "GrabKinds.h"

#include "charsets/Resources.h"
#include "intake/GrabLoader.h"
#include "intake/TolerantLocator.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace vt;

namespace {

const QByteArray& hero()
{
    static const QByteArray bytes =
        bmpByteImage(reduceToHalftone(programPicture(QStringLiteral("HERO"))));
    return bytes;
}

std::optional<TolerantLocation> locate(const QImage& grab, int game = -1)
{
    const WorkingPictures pictures = makeWorkingPictures(grab);
    TolerantInput input;
    input.working = &pictures.working;
    input.fullcolour = &pictures.fullcolour;
    input.hero = &hero();
    input.characters = shippedCharacters();
    input.game = game;
    return locateTolerant(input);
}

struct KindCase
{
    const char* kind;
    quint64 seed;
};

class TolerantKinds : public testing::TestWithParam<KindCase>
{
};

TEST_P(TolerantKinds, FindsTheMapAsDrawn)
{
    const test::KindGrab grab =
        test::composeKind(QString::fromLatin1(GetParam().kind), GetParam().seed);
    const test::GrabTruth& truth = grab.truth;
    SCOPED_TRACE(truth.detail.toStdString());
    const std::optional<TolerantLocation> found = locate(grab.image);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->grid.grab_width, truth.map.columns);
    EXPECT_EQ(found->grid.grab_height, truth.map.rows);
    EXPECT_EQ(found->game, truth.game);
    EXPECT_EQ(found->scheme, truth.scheme);
    // The origin in the picture the grid refers to: the grab itself, or its 1:1 copy.
    if (found->pictures) {
        EXPECT_NEAR(found->grid.originx, (truth.originx - found->corner.x()) / found->scale, 1.0);
        EXPECT_NEAR(found->grid.originy, (truth.originy - found->corner.y()) / found->scaley, 1.0);
    } else {
        EXPECT_NEAR(found->grid.originx, truth.originx, 1.0);
        EXPECT_NEAR(found->grid.originy, truth.originy, 1.0);
    }
    EXPECT_EQ(found->located_by == LocatedBy::Scaled, truth.scale != 1.0);
    EXPECT_TRUE(found->certain);
    EXPECT_GE(found->matched * 100, found->cells * 98);
    if (found->pictures) {
        // Both copies brought back alike: the working picture is the full-colour one reduced.
        EXPECT_EQ(found->pictures->working.size(), found->pictures->fullcolour.size());
        EXPECT_EQ(found->pictures->working, reduceToHalftone(found->pictures->fullcolour));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TolerantKinds,
    testing::Values(KindCase{"jpeg-window", 1}, KindCase{"jpeg-window", 2},
                    KindCase{"jpeg-window", 3}, KindCase{"jpeg-window", 5012}, KindCase{"crop", 2},
                    KindCase{"crop", 3}, KindCase{"crop", 108}, KindCase{"desktop", 109},
                    KindCase{"desktop", 1}, KindCase{"desktop", 2}, KindCase{"whole", 1},
                    KindCase{"whole", 5}, KindCase{"smooth", 1}, KindCase{"smooth", 2},
                    KindCase{"smooth", 3}, KindCase{"smooth", 1016}, KindCase{"crop", 1026},
                    KindCase{"smooth", 5}, KindCase{"smooth", 6}, KindCase{"smooth", 7}),
    [](const testing::TestParamInfo<KindCase>& info) {
        std::string name = info.param.kind;
        for (char& c : name)
            if (c == '-')
                c = '_';
        return name + "_" + std::to_string(info.param.seed);
    });

// Pictures too thin or too small for a map: the search ends with nothing (a one-pixel-wide
// picture once sent the patch search of the smoothing test round for ever).
TEST(TolerantLocator, PicturesTooSmallForAMapFindNothing)
{
    for (const QSize size :
         {QSize(1, 771), QSize(771, 1), QSize(1, 1), QSize(120, 2000), QSize(3000, 100)}) {
        SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height());
        QImage black(size, QImage::Format_RGB32);
        black.fill(Qt::black);
        EXPECT_FALSE(locate(black));
    }
}

} // namespace
