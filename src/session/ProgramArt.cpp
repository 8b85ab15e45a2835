#include "session/ProgramArt.h"

#include "charsets/Atlas.h"
#include "charsets/GameTables.h"
#include "charsets/Resources.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Halftone.h"

#include <array>
#include <mutex>

namespace vt {

struct ProgramArt::Cache
{
    int generation = -1;
    bool picturesRead = false;
    QImage hero;
    QByteArray heroBytes;
    QImage puzzle;
    std::array<CharacterSet, kGameCount * kColourCount * 2> sets;
};

namespace {
std::mutex g_mutex;
} // namespace

ProgramArt& ProgramArt::shared()
{
    static ProgramArt art;
    return art;
}

// Called with the mutex held. A test that stands in a resource starts the cache afresh.
ProgramArt::Cache& ProgramArt::current()
{
    static Cache cache;
    if (cache.generation != resourceGeneration()) {
        cache = Cache{};
        cache.generation = resourceGeneration();
    }
    if (!cache.picturesRead) {
        cache.picturesRead = true;
        cache.hero = reduceToHalftone(programPicture(QStringLiteral("HERO")));
        cache.heroBytes = bmpByteImage(cache.hero);
        cache.puzzle = programPicture(QStringLiteral("PUZZLE"));
    }
    return cache;
}

QImage ProgramArt::hero()
{
    std::lock_guard lock(g_mutex);
    return current().hero;
}

QByteArray ProgramArt::heroBytes()
{
    std::lock_guard lock(g_mutex);
    return current().heroBytes;
}

QImage ProgramArt::puzzle()
{
    std::lock_guard lock(g_mutex);
    return current().puzzle;
}

CharacterSet ProgramArt::characters(int game, int colour, bool fullsize)
{
    const std::size_t key = std::size_t((game * kColourCount + colour) * 2 + (fullsize ? 1 : 0));
    std::lock_guard lock(g_mutex);
    CharacterSet& set = current().sets.at(key);
    if (!set)
        set = std::make_shared<const std::vector<QImage>>(loadCharacters(game, colour, fullsize));
    return set;
}

} // namespace vt
