// Progress and the summary of a run, on standard error: a bar redrawn in place on a terminal,
// plain lines otherwise (a log file, a pipe).
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

namespace vt::cli {

class Progress
{
public:
    Progress(std::FILE* stream, int total, bool quiet);

    // One grab done (in input order); `failure` non-empty when it failed, `skipped` for a file
    // that is not a picture.
    void grabDone(const QString& name, const QString& failure, bool skipped);

    // Says `message` (an error) without garbling the bar.
    void message(const QString& text);

    // Clears the bar.
    void finish();

    double seconds() const { return double(m_clock.nsecsElapsed()) / 1e9; }
    double rate() const; // grabs per second so far

private:
    void clearBar();

    std::FILE* m_stream;
    int m_total;
    int m_done = 0;
    bool m_quiet;
    bool m_terminal;
    bool m_barShown = false;
    QElapsedTimer m_clock;
};

} // namespace vt::cli
