#include "export/GrabConverter.h"

#include "charsets/Atlas.h"
#include "charsets/GameTables.h"
#include "charsets/Resources.h"
#include "decode/MapDecoder.h"
#include "export/BulkConvert.h"
#include "export/MapTable.h"
#include "export/TiledExport.h"
#include "intake/ImageSignature.h"
#include "intake/TolerantLocator.h"
#include "pictures/BmpByteImage.h"
#include "pictures/Error.h"
#include "pictures/Halftone.h"
#include "settings/Flags.h"
#include "settings/RegUtils.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>
#include <mutex>

namespace vt {

namespace {

// The pictures the window holds from its start-up, and the character sets it rebuilds per
// grab, made once and shared read-only by every thread.
class ConvertArt
{
public:
    static ConvertArt& instance()
    {
        static ConvertArt art;
        return art;
    }

    const QByteArray& hero() const { return m_hero; }
    const QImage& puzzle() const { return m_puzzle; }

    std::shared_ptr<const std::vector<QImage>> characters(int game, int colour, bool fullsize)
    {
        const std::size_t key =
            std::size_t((game * kColourCount + colour) * 2 + (fullsize ? 1 : 0));
        std::lock_guard lock(m_mutex);
        auto& set = m_sets[key];
        if (!set)
            set =
                std::make_shared<const std::vector<QImage>>(loadCharacters(game, colour, fullsize));
        return set;
    }

private:
    ConvertArt()
        : m_hero(bmpByteImage(reduceToHalftone(programPicture(QStringLiteral("HERO"))))),
          m_puzzle(programPicture(QStringLiteral("PUZZLE")))
    {}

    QByteArray m_hero;
    QImage m_puzzle;
    std::mutex m_mutex;
    std::array<std::shared_ptr<const std::vector<QImage>>, kGameCount * kColourCount * 2> m_sets;
};

QString absolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// TEMPORARY (tolerant location, until the grab session takes it over): where the exact analysis
// finds no grid, or one that decoding contradicts (more than a few unmatched cells, or the
// other game fitting better), the tolerant search's grid stands in when its cells fit better.
// Written into `located` as the exact analysis would have found it.
void tolerantInstead(const LoadedGrab& grab, LocateResult& located, int game, int colour,
                     const ConvertSettings& settings, std::optional<WorkingPictures>& pictures)
{
    const CharacterSource characters = shippedCharacters();
    const quint8 prob = settings.thresholds.prob_match;
    double exactShare = -1;
    bool otherFitsBetter = false;
    if (located.valid && !located.windowNotFound) {
        const QImage& working = grab.pictures.working;
        const GridFit exact = fitOfGrid(working, located.grid, characters(game, colour), prob, 2);
        exactShare = exact.share();
        if (settings.forcedGame < 0 && located.grid.grab_width == 32 &&
            located.grid.grab_height == 32) {
            const GridFit other =
                fitOfGrid(working, located.grid, characters(1 - game, colour), prob, 2);
            otherFitsBetter = other.share() > exactShare ||
                              (other.share() == exactShare && other.scores > exact.scores);
        }
        if (exactShare >= 0.99 && !otherFitsBetter)
            return;
    }
    TolerantInput input;
    input.working = &grab.pictures.working;
    input.fullcolour = &grab.pictures.fullcolour;
    input.thresholds = settings.thresholds;
    input.hero = &ConvertArt::instance().hero();
    input.characters = characters;
    input.game = settings.forcedGame;
    std::optional<TolerantLocation> found = locateTolerant(input);
    // A grid at least as good stands in where the other game fits better; else a better one.
    const double share = found ? double(found->matched) / found->cells : -1;
    if (!found || share < exactShare || (share == exactShare && !otherFitsBetter))
        return;
    located.recognised = located.valid = true;
    located.windowNotFound = false;
    located.grid = found->grid;
    located.selectGame = settings.forcedGame >= 0 ? -1 : found->game;
    located.detectedGame = found->game;
    located.chosenScheme = found->scheme;
    located.captionsSet = false;
    pictures = std::move(found->pictures);
}

} // namespace

ConvertSettings storedConvertSettings()
{
    ConvertSettings settings;
    const qint32 flags = PeekRegInteger(reg::Flags, regdefault::Flags);
    settings.choices.bmp = IsBitSet(flags, FlagSaveBmp);
    settings.choices.gif = IsBitSet(flags, FlagSaveGif);
    settings.choices.png = IsBitSet(flags, FlagSavePng);
    settings.choices.jpg = IsBitSet(flags, FlagSaveJpeg);
    settings.choices.csv = IsBitSet(flags, FlagSaveCsv);
    settings.puzzpiece = IsBitSet(flags, FlagPuzzlePiece);
    settings.thresholds.prob_match =
        clampPercent(PeekRegInteger(reg::ProbMatch, regdefault::ProbMatch));
    settings.thresholds.pix_match =
        clampPercent(PeekRegInteger(reg::PixelMatch, regdefault::PixelMatch));
    settings.thresholds.vorlan_match =
        clampPercent(PeekRegInteger(reg::VorlanMatch, regdefault::VorlanMatch));
    settings.pattern = PeekRegString(reg::MapName, regdefault::MapName);
    // The preferences dialog's two-item choice takes the nearer item.
    settings.charRef = std::clamp(PeekRegInteger(reg::CharRef, regdefault::CharRef), 0, 1);
    return settings;
}

CarriedState::CarriedState()
{
    for (int i = 0; i < kColourCount; ++i)
        captions[std::size_t(i)] = colourName(i);
}

LoadedGrab loadGrab(const QString& path)
{
    LoadedGrab grab;
    grab.path = path;
    grab.name = QFileInfo(path).fileName();
    if (!IsAnImage(path))
        return grab;
    try {
        grab.pictures = makeWorkingPictures(readGrabFile(path));
        grab.status = LoadedGrab::Status::Loaded;
    } catch (const Error& error) {
        grab.status = LoadedGrab::Status::Unreadable;
        grab.error = error.message();
    }
    return grab;
}

GrabPlan planGrab(const LoadedGrab& grab, CarriedState& state, const ConvertSettings& settings,
                  const QString& outputDir)
{
    GrabPlan plan;
    if (grab.status == LoadedGrab::Status::NotAPicture)
        return plan;
    if (grab.status == LoadedGrab::Status::Unreadable) {
        plan.failure = grab.error;
        return plan;
    }

    const bool forcedGame = settings.forcedGame >= 0;
    if (forcedGame)
        state.game = settings.forcedGame;
    LocateInput input;
    input.working = &grab.pictures.working;
    input.start = GridGeometry{};
    input.selectedGame = state.game;
    input.newLoad = !forcedGame;
    input.thresholds = settings.thresholds;
    input.hero = &ConvertArt::instance().hero();
    plan.located = locateGrid(input);
    plan.analysed = true;
    if (settings.tolerant)
        tolerantInstead(grab, plan.located,
                        plan.located.selectGame >= 0 ? plan.located.selectGame : state.game,
                        settings.forcedColour >= 0       ? settings.forcedColour
                        : plan.located.chosenScheme >= 0 ? plan.located.chosenScheme
                                                         : 0,
                        settings, plan.tolerantPictures); // TEMPORARY (tolerant location)

    const LocateResult& located = plan.located;
    if (located.recognised)
        state.screengrab_loaded = true;
    if (located.windowNotFound) {
        plan.failure = QStringLiteral("\"%1\" is the size of a game window, but shows neither "
                                      "window marker with the hero beside it; nothing decoded.")
                           .arg(QDir::toNativeSeparators(grab.path));
        return plan;
    }
    if (located.selectGame >= 0)
        state.game = located.selectGame;
    if (located.captionsSet)
        state.captions = located.captions;

    plan.game = state.game;
    plan.colour = settings.forcedColour >= 0  ? settings.forcedColour
                  : located.chosenScheme >= 0 ? located.chosenScheme
                                              : 0; // ResetFields(true) selects scheme 0
    plan.colourItemText = state.captions[std::size_t(plan.colour)];
    plan.grid = located.grid;
    plan.decodes = state.screengrab_loaded;
    if (!plan.decodes) {
        plan.failure = QStringLiteral("\"%1\" is neither a map view nor a game window, and no grab "
                                      "before it in this run was; nothing decoded.")
                           .arg(QDir::toNativeSeparators(grab.path));
        return plan;
    }
    // Joined by hand, as the window does: an empty pattern names the outputs by their extension.
    plan.base =
        outputDir + QLatin1Char('/') + expandPattern(settings.pattern, plan.game + 1, grab.name);
    return plan;
}

std::vector<PlannedOutput> plannedOutputs(const GrabPlan& plan, const ConvertSettings& settings)
{
    std::vector<PlannedOutput> outputs;
    if (!plan.decodes)
        return outputs;
    const SaveChoices& c = settings.choices;
    const std::pair<bool, const char*> own[] = {
        {c.bmp, ".bmp"}, {c.png, ".png"}, {c.gif, ".gif"}, {c.jpg, ".jpeg"}, {c.csv, ".csv"}};
    for (const auto& [chosen, extension] : own)
        if (chosen)
            outputs.push_back({plan.base + QLatin1String(extension), false});
    if (c.tmx || c.json) {
        const TiledTileset tileset =
            tiledTileset(plan.game, plan.colour, char_count[std::size_t(plan.game)]);
        outputs.push_back({QFileInfo(plan.base + QStringLiteral(".tmx")).absolutePath() +
                               QLatin1Char('/') + tileset.imageFile,
                           true});
    }
    if (c.tmx)
        outputs.push_back({plan.base + QStringLiteral(".tmx"), false});
    if (c.json)
        outputs.push_back({plan.base + QStringLiteral(".json"), false});
    return outputs;
}

RunPlanner::RunPlanner(ConvertSettings settings, QString outputDir, const QStringList& inputs)
    : m_settings(std::move(settings)), m_outputDir(std::move(outputDir))
{
    for (int i = 0; i < inputs.size(); ++i) {
        m_lastInput.insert(absolute(inputs[i]), i);
        m_names.append(QDir::toNativeSeparators(inputs[i]));
    }
}

GrabPlan RunPlanner::plan(int index, const LoadedGrab& grab)
{
    GrabPlan plan = planGrab(grab, m_state, m_settings, m_outputDir);
    const std::vector<PlannedOutput> outputs = plannedOutputs(plan, m_settings);

    // All or nothing: a grab whose names clash claims none of them.
    QHash<QString, Claim> mine;
    for (const PlannedOutput& output : outputs) {
        const QString key = absolute(output.path);
        const QString shown = QDir::toNativeSeparators(output.path);
        QString clash;
        const auto claimed = m_claims.constFind(key);
        const auto own = mine.constFind(key);
        if (claimed != m_claims.cend() && !(claimed->shared && output.shared))
            clash = QStringLiteral("its output \"%1\" is also written for \"%2\"")
                        .arg(shown, m_names.value(claimed->index));
        else if (own != mine.cend())
            clash = QStringLiteral("two of its outputs are named \"%1\"").arg(shown);
        else if (m_lastInput.value(key, -1) > index)
            clash = QStringLiteral("its output \"%1\" would replace a grab that this run reads "
                                   "later")
                        .arg(shown);
        if (!clash.isEmpty()) {
            plan.decodes = false;
            plan.failure =
                QStringLiteral("\"%1\" is not converted: %2; nothing was written for it.")
                    .arg(m_names.value(index), clash);
            return plan;
        }
        mine.insert(key, Claim{index, output.shared});
    }
    for (auto it = mine.cbegin(); it != mine.cend(); ++it)
        if (!m_claims.contains(it.key()))
            m_claims.insert(it.key(), it.value());
    return plan;
}

GrabReport finishGrab(const LoadedGrab& grab, const GrabPlan& plan, const ConvertSettings& settings)
{
    GrabReport report;
    report.input = grab.path;
    report.analysed = plan.analysed && !plan.located.windowNotFound;
    report.game = plan.game;
    report.colour = plan.colour;
    report.grid = plan.grid;
    if (!plan.decodes) {
        report.outcome = grab.status == LoadedGrab::Status::NotAPicture
                             ? GrabReport::Outcome::Skipped
                             : GrabReport::Outcome::Failed;
        report.error = plan.failure;
        return report;
    }

    ConvertArt& art = ConvertArt::instance();
    std::shared_ptr<const std::vector<QImage>> candidates;
    std::shared_ptr<const std::vector<QImage>> characters;
    try {
        candidates = art.characters(plan.game, plan.colour, false);
        characters = art.characters(plan.game, plan.colour, true);
    } catch (const Error& error) {
        report.outcome = GrabReport::Outcome::Failed;
        report.error = error.message();
        return report;
    }

    const WorkingPictures& pictures =
        plan.tolerantPictures ? *plan.tolerantPictures : grab.pictures; // TEMPORARY
    DecodeInput input;
    input.working = &pictures.working;
    input.fullcolour = &pictures.fullcolour;
    input.grid = plan.grid;
    input.mapsize = candidates.get();
    input.fullsize = characters.get();
    input.puzzle = &art.puzzle();
    input.prob_match = settings.thresholds.prob_match;
    input.puzzpiece = settings.puzzpiece;
    const DecodeResult decoded = decodeMap(input);
    report.decoded = true;
    report.errors = decoded.decoded.errors;
    report.accuracy =
        accuracyPercent(decoded.decoded.errors, plan.grid.grab_width, plan.grid.grab_height);

    MapTableSource table;
    table.decoded = &decoded.decoded;
    table.colourItemText = plan.colourItemText;
    table.game = plan.game;
    table.charRef = settings.charRef;
    table.colour = plan.colour;
    table.characters = characters.get();
    SaveMapHooks hooks;
    hooks.syncEachFile = false; // a run writes many files: the disk takes them at its own pace
    const SaveMapResult saved =
        SaveMapUnder(decoded.picture, plan.base, settings.choices, false, table, hooks);
    report.outputs = saved.written;
    if (!saved.ok()) {
        report.outcome = GrabReport::Outcome::Failed;
        report.error = saved.error;
        return report;
    }
    report.outcome = GrabReport::Outcome::Converted;
    return report;
}

GrabReport convertGrab(const QString& path, CarriedState& state, const ConvertSettings& settings,
                       const QString& outputDir)
{
    const LoadedGrab grab = loadGrab(path);
    return finishGrab(grab, planGrab(grab, state, settings, outputDir), settings);
}

} // namespace vt
