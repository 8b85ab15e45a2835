// A corpus of the composer's grabs of every kind, on fixed seeds: no map read wrong (fewer than
// nine visible cells in ten right) is ever reported certain. 200 grabs of each kind, a tenth of
// them in the sanitizer build; the grabs are converted on every core, one session each.
#include "session/GrabSession.h"

#include "GrabKinds.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace vt {
namespace {

#ifdef VT_SANITIZED
constexpr int kPerKind = 20;
#else
constexpr int kPerKind = 200;
#endif
constexpr quint64 kFirstSeed = 510000;

// Nine visible cells in ten decoded as drawn, at the same place.
bool readRight(const GrabSession& s, const test::GrabTruth& truth)
{
    if (!s.hasMap())
        return false;
    int right = 0;
    int visible = 0;
    for (int r = 0; r < truth.map.rows; ++r)
        for (int c = 0; c < truth.map.columns; ++c) {
            if (!truth.isVisible(c, r) || truth.map.at(c, r) < 0)
                continue;
            ++visible;
            right += c < s.decoded.columns() && r < s.decoded.rows() &&
                     s.decoded.map[std::size_t(c)][std::size_t(r)] == truth.map.at(c, r);
        }
    return right * 10 >= visible * 9;
}

// A crop that cuts whole cells off the map cannot be told from a smaller whole map.
bool cutAtCellBoundary(const test::GrabTruth& truth)
{
    const int at = int(truth.detail.indexOf(QLatin1String("margins ")));
    if (at < 0)
        return false;
    const QStringList margins = truth.detail.mid(at + 8).split(QLatin1Char(','));
    for (int i = 0; i < margins.size() && i < 4; ++i) {
        const int m = margins[i].toInt();
        if (m < 0 && -m % (i % 2 == 0 ? 16 : 15) == 0)
            return true;
    }
    return false;
}

TEST(CertaintyCorpus, NoWrongMapOfAnyKindIsReportedCertain)
{
    struct Job
    {
        QString kind;
        quint64 seed;
    };
    std::vector<Job> jobs;
    for (const QString& kind : test::grabKinds())
        for (int i = 0; i < kPerKind; ++i)
            jobs.push_back({kind, kFirstSeed + quint64(i)});

    std::atomic<std::size_t> next{0};
    std::mutex mutex;
    QStringList certainWrong;
    int converted = 0;
    const auto work = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            const test::KindGrab grab = test::composeKind(jobs[i].kind, jobs[i].seed);
            // Each grab alone, as a fresh start of the program would take it.
            GrabSession session;
            CarriedState carried;
            carried.screengrab_loaded = true;
            session.carry(carried);
            session.loadPicture(grab.image);
            if (session.canDecode())
                session.decode();
            const bool wrongCertain = session.hasMap() && session.confidence.certain() &&
                                      !readRight(session, grab.truth) &&
                                      !cutAtCellBoundary(grab.truth);
            std::lock_guard lock(mutex);
            converted += session.hasMap();
            if (wrongCertain)
                certainWrong.append(QStringLiteral("%1 %2: %3").arg(jobs[i].kind).arg(jobs[i].seed).arg(grab.truth.detail));
        }
    };
    std::vector<std::thread> threads;
    for (int t = std::max(1, QThread::idealThreadCount()); t > 0; --t)
        threads.emplace_back(work);
    for (std::thread& t : threads)
        t.join();
    EXPECT_TRUE(certainWrong.isEmpty()) << certainWrong.join(QLatin1Char('\n')).toStdString();
    EXPECT_GT(converted, int(jobs.size()) * 3 / 4);
}

} // namespace
} // namespace vt
