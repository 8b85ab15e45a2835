// The analysis of a load on captures worth searching: the fuzzer's bytes do not become pixels
// but choose a grab drawn by the grab composer (its kind and seed, and the part of it kept),
// its capture (factors 0.75 to 4 each way, sub-pixel phase, resampler, JPEG quality) and its
// damage (cuts, boxes drawn over it, speckles), so that every mutation is still a picture with
// a map in it. Every grab is at most 320 x 300, so that each run stays quick. Each load must end
// with both copies of the same size, a grid of a map's size in the picture it names (or cut off
// at its edges, never wholly outside), a game and scheme in range, and in bounded time.
#include "intake/GrabLoader.h"
#include "pictures/Error.h"
#include "pictures/GridGeometry.h"
#include "session/GrabSession.h"

#include "FuzzSupport.h"
#include "GrabKinds.h"
#include "Resample.h"

#include <QPainter>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>

namespace {

using namespace vt;

constexpr int kMaxWidth = 320;
constexpr int kMaxHeight = 300;
constexpr int kSeeds = 16; // grabs of each kind, drawn once and kept
// Processor time, not the clock (the machine is shared): far beyond what the analysis of so
// small a picture takes, even instrumented (2 to 3 s at worst so far).
constexpr double kMaxSeconds = 10;

// The composer's kinds at 1:1; the capture is the fuzzer's.
const char* const kKinds[] = {"view",    "window", "jpeg-view",  "noise",      "crop",
                              "covered", "cutoff", "small-jpeg", "jpeg-window"};
constexpr int kKindCount = int(sizeof(kKinds) / sizeof(kKinds[0]));

// The input read a byte at a time; zeros once it runs out, so that a short input is a plain
// capture.
class Bytes
{
public:
    Bytes(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    int next() { return m_at < m_size ? m_data[m_at++] : 0; }
    int below(int n) { return n > 0 ? (next() << 8 | next()) % n : 0; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

const test::KindGrab& grabOf(int kind, int seed)
{
    static std::map<std::pair<int, int>, test::KindGrab> grabs;
    auto it = grabs.find({kind, seed});
    if (it == grabs.end())
        it = grabs
                 .emplace(std::pair(kind, seed),
                          test::composeKind(QLatin1String(kKinds[kind]), quint64(seed) + 1))
                 .first;
    return it->second;
}

[[noreturn]] void fault(const char* what, const GrabSession& s)
{
    std::fprintf(stderr, "fuzz_capture: %s (picture %dx%d, grid %lld,%lld %dx%d, located by %s)\n",
                 what, s.working.width(), s.working.height(), (long long)s.grid.originx,
                 (long long)s.grid.originy, s.grid.grab_width, s.grid.grab_height,
                 locatedByName(s.confidence.locatedBy));
    std::abort();
}

QImage capture(Bytes& in)
{
    const int kind = in.next() % kKindCount;
    const test::KindGrab& grab = grabOf(kind, in.next() % kSeeds);

    // The factors, 0.75 to 3.94 in 80ths (1, 1.5 and 2 among them): equal unless the input
    // says otherwise.
    const double sx = 0.75 + in.next() / 80.0;
    const int apart = in.next();
    const double sy = apart & 1 ? 0.75 + apart / 2 / 40.0 : sx;
    const double phasex = in.next() / 256.0;
    const double phasey = in.next() / 256.0;
    const auto resampler = test::Resampler(in.next() % 4);
    // The choices that change the picture most come first: libFuzzer lets inputs grow slowly.
    const int quality = in.next();
    const int cut = in.next();

    // The part of the grab kept: what fits 320 x 300 once scaled, placed near the map as often
    // as not.
    const QImage& whole = grab.image;
    const int w = std::clamp(int(kMaxWidth / sx), 16, whole.width());
    const int h = std::clamp(int(kMaxHeight / sy), 15, whole.height());
    const bool nearMap = in.next() & 1;
    int x = in.below(whole.width() - w + 1);
    int y = in.below(whole.height() - h + 1);
    if (nearMap) {
        x = std::clamp(int(grab.truth.originx) + x % 64 - 32, 0, whole.width() - w);
        y = std::clamp(int(grab.truth.originy) + y % 60 - 30, 0, whole.height() - h);
    }
    const QImage part = whole.copy(x, y, w, h);
    QImage picture = test::resample(part, sx, sy, phasex, phasey, resampler,
                                    QSize(std::clamp(int(std::nearbyint(w * sx)), 1, kMaxWidth),
                                          std::clamp(int(std::nearbyint(h * sy)), 1, kMaxHeight)));

    // Damage: cuts at the edges, speckles, boxes over the picture.
    const int left = cut & 3;
    const int top = cut >> 2 & 3;
    const int right = cut >> 4 & 3;
    const int bottom = cut >> 6 & 3;
    if (picture.width() > left + right + 16 && picture.height() > top + bottom + 15)
        picture = picture.copy(left, top, picture.width() - left - right,
                               picture.height() - top - bottom);
    const int specks = in.next() % 64 * 4;
    test::GrabRandom speckles(quint64(in.next()) << 8 | quint64(in.next()));
    for (int n = specks; n > 0; --n)
        picture.setPixel(speckles.below(picture.width()), speckles.below(picture.height()),
                         speckles.next() | 0xFF000000u);
    {
        QPainter painter(&picture);
        for (int boxes = in.next() % 4; boxes > 0; --boxes) {
            const QRect r(in.below(picture.width()), in.below(picture.height()), 1 + in.next() % 64,
                          1 + in.next() % 64);
            painter.fillRect(r, QColor(in.next(), in.next(), in.next()));
        }
    }

    if (quality >= 128) // half the inputs through JPEG, quality 30 to 95
        picture = test::jpegRoundTrip(picture, 30 + (quality - 128) % 66);
    return picture;
}

void check(const GrabSession& s)
{
    if (s.working.size() != s.fullcolourimage.size())
        fault("the working and full-colour copies differ in size", s);
    if (s.game < 0 || s.game > 1 || s.colour < 0 || s.colour > 5)
        fault("game or scheme out of range", s);
    if (s.outcome == LoadOutcome::WindowNotFound)
        return;
    const GridGeometry& g = s.grid;
    if (!IsValidMapSize(g.grab_width) || !IsValidMapSize(g.grab_height))
        fault("a grid of no map's size", s);
    if (s.confidence.locatedBy == LocatedBy::Fallback)
        return; // the 32 x 32 guess at the corner, whatever the picture's size
    // A located map lies in its picture, or is cut off at its edges with at least one whole
    // cell inside: never wholly outside.
    const qint64 left = qint64(g.originx);
    const qint64 top = qint64(g.originy);
    const qint64 right = left + qint64(kCellWidth) * g.grab_width;
    const qint64 bottom = top + qint64(kCellHeight) * g.grab_height;
    const qint64 insideWidth =
        std::min<qint64>(right, s.working.width()) - std::max<qint64>(left, 0);
    const qint64 insideHeight =
        std::min<qint64>(bottom, s.working.height()) - std::max<qint64>(top, 0);
    if (insideWidth < kCellWidth || insideHeight < kCellHeight)
        fault("a located map with no whole cell inside its picture", s);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    vt::fuzz::startQt(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Bytes in(data, size);
    const QImage picture = capture(in);
    GrabSession session;
    const std::clock_t start = std::clock();
    try {
        session.loadPicture(picture);
    } catch (const Error& e) {
        std::fprintf(stderr, "fuzz_capture: %s\n", qPrintable(e.message()));
        fault("a picture of a grab's size was refused", session);
    }
    if (double(std::clock() - start) / CLOCKS_PER_SEC > kMaxSeconds)
        fault("the load took too long", session);
    check(session);
    return 0;
}
