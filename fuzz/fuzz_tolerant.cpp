// The tolerant grid location on any picture: the fuzzer's bytes become the pixels of a picture
// of a size they choose, sometimes enlarged with pixels replicated or with smoothing so that the
// scaled searches run too. Every input must end in a grid of a map's size whose cells lie in the
// picture it names, or in nothing, within bounded time.
#include "charsets/Resources.h"
#include "intake/GrabLoader.h"
#include "intake/TolerantLocator.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"

#include "FuzzSupport.h"

#include <QImage>

#include <cstdint>
#include <cstdlib>

namespace {
QByteArray g_hero;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    vt::fuzz::startQt(argc, argv);
    g_hero = vt::bmpByteImage(vt::reduceToHalftone(vt::programPicture(QStringLiteral("HERO"))));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5)
        return 0;
    // Up to a window's size: the searches' cost grows with the area, the paths do not.
    const int width = 1 + (data[0] | (data[1] & 3) << 8);
    const int height = 1 + (data[2] | (data[3] & 3) << 8);
    const int mode = data[4] % 4; // as it is, twice replicated, 150 % smoothed, palette colours
    const std::uint8_t* pixels = data + 5;
    const std::size_t count = size - 5;
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const std::size_t i = (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
            const auto byte = [&](std::size_t k) { return count ? pixels[(i + k) % count] : 0; };
            line[x] = mode == 3 ? qRgb(51 * (byte(0) % 6), 51 * (byte(1) % 6), 51 * (byte(2) % 6))
                                : qRgb(byte(0), byte(1), byte(2));
        }
    }
    if (mode == 1)
        picture =
            picture.scaled(width * 2, height * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    else if (mode == 2)
        picture = picture.scaled(width * 3 / 2, height * 3 / 2, Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);

    const vt::WorkingPictures pictures = vt::makeWorkingPictures(picture);
    vt::TolerantInput input;
    input.working = &pictures.working;
    input.fullcolour = &pictures.fullcolour;
    input.hero = &g_hero;
    input.characters = vt::shippedCharacters();
    const auto found = vt::locateTolerant(input);
    if (!found)
        return 0;
    const QImage& named = found->pictures ? found->pictures->working : pictures.working;
    const vt::GridGeometry& g = found->grid;
    if (!vt::IsValidMapSize(g.grab_width) || !vt::IsValidMapSize(g.grab_height) ||
        found->matched > found->cells || found->game < 0 || found->game > 1 || found->scheme < 0 ||
        found->scheme > 5)
        std::abort();
    // A grid may be refined a couple of pixels past an edge, never further.
    if (int(g.originx) + vt::kCellWidth * g.grab_width > named.width() + 2 ||
        int(g.originy) + vt::kCellHeight * g.grab_height > named.height() + 2)
        std::abort();
    if (found->pictures && found->pictures->working.size() != found->pictures->fullcolour.size())
        std::abort();
    return 0;
}
