#include "cli/Progress.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vt::cli {

namespace {
constexpr int kBarWidth = 24;
constexpr int kNameWidth = 32;

// Whether the bar can be redrawn in place: a terminal, not a file or a pipe.
bool isTerminal(std::FILE* stream)
{
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return isatty(fileno(stream)) == 1;
#endif
}

// File names may hold any character; the terminal and logs take UTF-8.
QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}
} // namespace

Progress::Progress(std::FILE* stream, int total, bool quiet)
    : m_stream(stream), m_total(total), m_quiet(quiet), m_terminal(isTerminal(stream))
{
    m_clock.start();
}

double Progress::rate() const
{
    const double s = seconds();
    return s > 0 ? m_done / s : 0.0;
}

void Progress::clearBar()
{
    if (m_barShown) {
        std::fputs("\r\033[K", m_stream);
        m_barShown = false;
    }
}

void Progress::grabDone(const QString& name, const QString& failure, bool skipped)
{
    ++m_done;
    if (!failure.isEmpty())
        message(failure);
    if (m_quiet)
        return;
    if (!m_terminal) {
        std::fprintf(m_stream, "[%d/%d] %s%s\n", m_done, m_total, utf8(name).constData(),
                     !failure.isEmpty() ? " (failed)"
                     : skipped          ? " (not a picture: passed over)"
                                        : "");
        std::fflush(m_stream);
        return;
    }
    const int filled = m_total > 0 ? m_done * kBarWidth / m_total : kBarWidth;
    QString shown = name;
    if (shown.size() > kNameWidth)
        shown = QStringLiteral("...") + shown.right(kNameWidth - 3);
    const QByteArray bar = QByteArray(filled, '#') + QByteArray(kBarWidth - filled, '.');
    std::fprintf(m_stream, "\r\033[K[%s] %d/%d %s %.1f grabs/s", bar.constData(), m_done, m_total,
                 utf8(shown).constData(), rate());
    std::fflush(m_stream);
    m_barShown = true;
}

void Progress::message(const QString& text)
{
    clearBar();
    std::fprintf(m_stream, "%s\n", utf8(text).constData());
    std::fflush(m_stream);
}

void Progress::finish()
{
    clearBar();
    std::fflush(m_stream);
}

} // namespace vt::cli
