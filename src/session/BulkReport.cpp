#include "session/BulkReport.h"

#include "charsets/GameTables.h"
#include "decode/MapDecoder.h"
#include "export/FileWrite.h"
#include "pictures/Error.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QUrl>

#include <algorithm>
#include <csignal>
#include <cstdlib>

namespace vt {

namespace {

constexpr int kThumbnailWidth = 320;
constexpr int kThumbnailHeight = 240;
constexpr int kMapThumbnailSide = 320;

QString html(const QString& text)
{
    return text.toHtmlEscaped();
}

QString plural(int count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString locatedText(LocatedBy how)
{
    switch (how) {
    case LocatedBy::Exact:
        return QStringLiteral("exact: the grid where the game draws it");
    case LocatedBy::Tolerant:
        return QStringLiteral("tolerant search: the grid found under damage or a loose crop");
    case LocatedBy::Scaled:
        return QStringLiteral("scaled capture, brought back to 1:1");
    case LocatedBy::Fallback:
        break;
    }
    return QStringLiteral("not found: the grid is a guess");
}

const char* const kStyle = R"(
body { font-family: "DejaVu Sans", Verdana, sans-serif; font-size: 14px; color: #111;
       background: #f4f4f4; margin: 16px 24px; }
h1 { font-size: 22px; margin: 0 0 8px; }
h2 { font-size: 18px; margin: 24px 0 8px; }
h3 { font-size: 15px; margin: 0 0 6px; }
a { color: #0645ad; }
.summary td, .summary th { padding: 2px 10px 2px 0; text-align: left; }
.grab { display: flex; gap: 16px; align-items: flex-start; background: #fff;
        border: 1px solid #ccc; padding: 10px; margin: 0 0 10px; }
.grab.uncertain { border-left: 6px solid #e0a000; }
.grab.failed { border-left: 6px solid #c00; }
figure { margin: 0; }
figcaption { font-size: 12px; color: #555; }
img { display: block; image-rendering: pixelated; background: #000; border: 1px solid #888; }
.facts th { text-align: left; padding: 1px 10px 1px 0; font-weight: normal; color: #555;
            vertical-align: top; white-space: nowrap; }
.facts td { padding: 1px 0; }
.doubt { color: #8a5a00; font-weight: bold; }
.reason { color: #a00; }
.swatch { display: inline-block; width: 12px; height: 12px; vertical-align: middle;
          border: 2px solid; margin: 0 4px 0 8px; }
)";

// The tests' kill: the process ends at once, as under kill -9.
[[noreturn]] void dieNow()
{
#ifdef SIGKILL
    std::raise(SIGKILL);
#endif
    std::_Exit(137);
}

} // namespace

QImage reportThumbnail(const QImage& grab)
{
    if (grab.isNull())
        return {};
    QImage picture = grab.convertToFormat(QImage::Format_RGB32);
    if (picture.width() > kThumbnailWidth || picture.height() > kThumbnailHeight)
        picture = picture.scaled(kThumbnailWidth, kThumbnailHeight, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
    return picture;
}

QImage checkedMapThumbnail(const QImage& map, const CellsToCheck& check)
{
    if (map.isNull())
        return {};
    const int columns = check.columns() > 0 ? check.columns() : map.width() / kFullSize;
    const int rows = check.rows() > 0 ? check.rows() : map.height() / kFullSize;
    if (columns <= 0 || rows <= 0)
        return {};
    const int cell = std::clamp(kMapThumbnailSide / std::max(columns, rows), 2, kFullSize);
    QImage picture =
        map.convertToFormat(QImage::Format_RGB32)
            .scaled(columns * cell, rows * cell, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&picture);
    for (const CellToCheck& c : check.cells())
        drawCheckFrame(painter, QRect(c.column * cell, c.row * cell, cell, cell), c.reason);
    return picture;
}

QString reportPicturesFolder(const QString& htmlPath)
{
    const QFileInfo info(htmlPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("_files"));
}

BulkReportWriter::BulkReportWriter(QString htmlPath)
    : m_path(QFileInfo(htmlPath).absoluteFilePath()), m_pictures(reportPicturesFolder(m_path)),
      m_dieInThumbnail(qEnvironmentVariableIntValue("VT_TEST_KILL_IN_THUMBNAIL"))
{}

QString BulkReportWriter::savePicture(const QImage& picture, const QString& name)
{
    if (picture.isNull())
        return {};
    if (!QDir().mkpath(m_pictures)) {
        if (m_problem.isEmpty())
            m_problem = QStringLiteral("the folder \"%1\" could not be made")
                            .arg(QDir::toNativeSeparators(m_pictures));
        return {};
    }
    const QString file = QDir(m_pictures).filePath(name);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    // Complete under a temporary name first, as the outputs are: a reader, a full disk or a
    // kill never finds half a picture.
    m_removed += m_stale.removeFor({file});
    FileWriteOptions options;
    options.sync = false;
    if (++m_thumbnails == m_dieInThumbnail)
        options.halfway = dieNow;
    try {
        writeWholeFile(file, bytes, options);
    } catch (const Error& error) {
        if (m_problem.isEmpty())
            m_problem = error.message();
        return {};
    }
    return name;
}

void BulkReportWriter::add(const GrabReport& report)
{
    Entry entry;
    entry.number = int(m_entries.size()) + 1;
    entry.outcome = report.outcome;
    entry.input = report.input;
    entry.error = report.error;
    entry.analysed = report.analysed;
    entry.game = report.game;
    entry.colour = report.colour;
    entry.grid = report.grid;
    entry.decoded = report.decoded;
    entry.errors = report.errors;
    entry.accuracy = report.accuracy;
    entry.confidence = report.confidence;
    entry.unmatched = report.check.count(CheckReason::Unmatched);
    entry.nearTies = report.check.count(CheckReason::NearTie);
    entry.outputs = report.outputs;
    // Numbered, not named after the grab: any file name makes a valid picture name then.
    const QString number = QStringLiteral("%1").arg(entry.number, 4, 10, QLatin1Char('0'));
    entry.grabPicture = savePicture(report.grabThumbnail, number + QStringLiteral("-grab.png"));
    entry.grabSize = report.grabThumbnail.size();
    entry.mapPicture = savePicture(report.mapThumbnail, number + QStringLiteral("-map.png"));
    entry.mapSize = report.mapThumbnail.size();
    m_entries.push_back(std::move(entry));
}

int BulkReportWriter::converted() const
{
    return int(std::count_if(m_entries.begin(), m_entries.end(), [](const Entry& e) {
        return e.outcome == GrabReport::Outcome::Converted;
    }));
}

int BulkReportWriter::failed() const
{
    return int(std::count_if(m_entries.begin(), m_entries.end(), [](const Entry& e) {
        return e.outcome == GrabReport::Outcome::Failed;
    }));
}

int BulkReportWriter::cellsToCheck() const
{
    int cells = 0;
    for (const Entry& e : m_entries)
        if (e.outcome == GrabReport::Outcome::Converted)
            cells += e.unmatched + e.nearTies;
    return cells;
}

// A link from the page to a file: relative where it can be, so that the page and its pictures
// can be moved together, and percent-encoded, so that any name is a valid address.
QString BulkReportWriter::link(const QString& file) const
{
    const QString absolute = QFileInfo(file).absoluteFilePath();
    const QString relative = QFileInfo(m_path).dir().relativeFilePath(absolute);
    if (QDir::isAbsolutePath(relative)) // another drive
        return QString::fromLatin1(QUrl::fromLocalFile(absolute).toEncoded());
    return QString::fromLatin1(QUrl::toPercentEncoding(relative, "/"));
}

QString BulkReportWriter::figure(const QString& picture, QSize size, const QString& caption,
                                 const QString& target) const
{
    if (picture.isEmpty())
        return {};
    // One pass over all the arguments: a name or a link may hold "%1" and the like itself.
    const QString image =
        QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"%4\">")
            .arg(link(QDir(m_pictures).filePath(picture)), QString::number(size.width()),
                 QString::number(size.height()), html(caption));
    const QString shown =
        target.isEmpty() ? image : QStringLiteral("<a href=\"%1\">%2</a>").arg(target, image);
    return QStringLiteral("<figure>%1<figcaption>%2</figcaption></figure>\n")
        .arg(shown, html(caption));
}

QString BulkReportWriter::grabSection(const Entry& e) const
{
    const QString name = QFileInfo(e.input).fileName();
    const QString doubt = uncertainty(e.confidence);
    const Confidence& c = e.confidence;
    QString facts;
    const auto fact = [&facts](const QString& what, const QString& value) {
        facts += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(what, value);
    };
    fact(QStringLiteral("Game"), html(gameNames().value(e.game)));
    fact(QStringLiteral("Scheme"), html(colourName(e.colour)));
    fact(QStringLiteral("Map"), QStringLiteral("%1 &times; %2 cells at (%3, %4)")
                                    .arg(e.grid.grab_width)
                                    .arg(e.grid.grab_height)
                                    .arg(e.grid.originx)
                                    .arg(e.grid.originy));
    if (e.decoded) {
        fact(QStringLiteral("Accuracy"),
             QStringLiteral("%1% (%2 not recognised)").arg(e.accuracy).arg(e.errors));
        fact(QStringLiteral("Confidence"),
             QStringLiteral("mean score %1%, %2% near ties; game %3, grid %4")
                 .arg(c.meanScore, 0, 'f', 1)
                 .arg(c.nearTieShare * 100, 0, 'f', 1)
                 .arg(c.gameCertain ? QStringLiteral("certain") : QStringLiteral("uncertain"))
                 .arg(c.gridCertain ? QStringLiteral("certain") : QStringLiteral("uncertain")));
        fact(QStringLiteral("Located"), html(locatedText(c.locatedBy)));
        fact(QStringLiteral("Cells to check"),
             QStringLiteral("%1 (%2 not recognised, %3)")
                 .arg(e.unmatched + e.nearTies)
                 .arg(e.unmatched)
                 .arg(plural(e.nearTies, "near tie", "near ties")));
    }
    if (!e.outputs.isEmpty()) {
        QStringList links;
        for (const QString& output : e.outputs)
            links.append(QStringLiteral("<a href=\"%1\">%2</a>")
                             .arg(link(output), html(QFileInfo(output).fileName())));
        fact(QStringLiteral("Outputs"), links.join(QStringLiteral(", ")));
    }

    const bool failed = e.outcome == GrabReport::Outcome::Failed;
    const QString kind = failed             ? QStringLiteral(" failed")
                         : !doubt.isEmpty() ? QStringLiteral(" uncertain")
                                            : QString();
    QString section =
        QStringLiteral("<section class=\"grab%1\" id=\"grab-%2\">\n").arg(kind).arg(e.number);
    section += figure(e.grabPicture, e.grabSize, QStringLiteral("Grab"), link(e.input));
    section += figure(e.mapPicture, e.mapSize, QStringLiteral("Converted map"), QString());
    section +=
        QStringLiteral("<div>\n<h3><a href=\"%1\">%2</a></h3>\n").arg(link(e.input), html(name));
    if (failed)
        section += QStringLiteral("<p class=\"reason\">%1</p>\n").arg(html(e.error));
    else if (!doubt.isEmpty())
        section += QStringLiteral("<p class=\"doubt\">%1</p>\n").arg(html(doubt));
    section +=
        QStringLiteral("<table class=\"facts\">\n%1</table>\n</div>\n</section>\n").arg(facts);
    return section;
}

QString BulkReportWriter::failureSection(const Entry& e) const
{
    if (e.analysed || e.decoded || !e.grabPicture.isEmpty())
        return grabSection(e);
    const QString name = QFileInfo(e.input).fileName();
    return QStringLiteral("<section class=\"grab failed\" id=\"grab-%1\">\n<div>\n"
                          "<h3><a href=\"%2\">%3</a></h3>\n<p class=\"reason\">%4</p>\n"
                          "</div>\n</section>\n")
        .arg(e.number)
        .arg(link(e.input), html(name), html(e.error));
}

void BulkReportWriter::stopped(const QStringList& notReached)
{
    m_stopped = true;
    m_notReached = notReached;
}

void BulkReportWriter::finish()
{
    QStringList converted, failed, passedOver;
    QString index;
    int cells = 0;
    int doubtful = 0;
    for (const Entry& e : m_entries) {
        const QString name = html(QFileInfo(e.input).fileName());
        switch (e.outcome) {
        case GrabReport::Outcome::Converted: {
            converted.append(grabSection(e));
            cells += e.unmatched + e.nearTies;
            const QString doubt = uncertainty(e.confidence);
            doubtful += !doubt.isEmpty();
            index += QStringLiteral("<tr><td><a href=\"#grab-%1\">%2</a></td><td>%3%</td>"
                                    "<td>%4</td><td>%5</td></tr>\n")
                         .arg(QString::number(e.number), name, QString::number(e.accuracy),
                              QString::number(e.unmatched + e.nearTies),
                              doubt.isEmpty() ? QStringLiteral("certain")
                                              : QStringLiteral("check the map"));
            break;
        }
        case GrabReport::Outcome::Failed:
            failed.append(failureSection(e));
            index += QStringLiteral("<tr><td><a href=\"#grab-%1\">%2</a></td><td></td><td></td>"
                                    "<td class=\"reason\">failed</td></tr>\n")
                         .arg(e.number)
                         .arg(name);
            break;
        case GrabReport::Outcome::Skipped:
            passedOver.append(
                QStringLiteral("<li><a href=\"%1\">%2</a>%3</li>\n")
                    .arg(link(e.input), name,
                         e.error.isEmpty() ? QString() : QStringLiteral(": ") + html(e.error)));
            break;
        }
    }

    QString page =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n"
                       "<meta charset=\"utf-8\">\n<title>Bulk conversion report</title>\n"
                       "<style>%1</style>\n</head>\n<body>\n")
            .arg(QLatin1String(kStyle));
    page += QStringLiteral("<h1>Bulk conversion report</h1>\n");
    if (m_stopped)
        page += QStringLiteral("<p class=\"reason\">The run was stopped before its end: %1 "
                               "not reached.</p>\n")
                    .arg(plural(int(m_notReached.size()), "grab was", "grabs were"));
    // Every entry of the folder's listing is counted, those a stop left too.
    page += QStringLiteral("<p>%8 listed: %1 of %2 converted, %3 failed, %4 passed over, %9 not "
                           "reached; %5 to check, %6 uncertain. Made %7.</p>\n")
                .arg(converted.size())
                .arg(converted.size() + failed.size() + m_notReached.size())
                .arg(failed.size())
                .arg(plural(int(passedOver.size()), "file", "files"))
                .arg(plural(cells, "cell", "cells"))
                .arg(plural(doubtful, "map", "maps"))
                .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                .arg(plural(int(m_entries.size() + m_notReached.size()), "entry", "entries"))
                .arg(m_notReached.size());
    page += QStringLiteral("<p>Frames on the converted maps:<span class=\"swatch\" "
                           "style=\"border-color: %1\"></span>not recognised"
                           "<span class=\"swatch\" style=\"border-color: %2\"></span>near tie "
                           "(another character scored almost as well).</p>\n")
                .arg(checkColour(CheckReason::Unmatched).name(),
                     checkColour(CheckReason::NearTie).name());
    if (!index.isEmpty())
        page += QStringLiteral("<table class=\"summary\">\n<tr><th>Grab</th><th>Accuracy</th>"
                               "<th>Cells to check</th><th>Result</th></tr>\n%1</table>\n")
                    .arg(index);
    if (!converted.isEmpty())
        page += QStringLiteral("<h2>Converted</h2>\n") + converted.join(QString());
    if (!failed.isEmpty())
        page += QStringLiteral("<h2>Failed</h2>\n") + failed.join(QString());
    if (!m_notReached.isEmpty()) {
        page += QStringLiteral("<h2>Not reached</h2>\n<ul>\n");
        for (const QString& name : m_notReached)
            page += QStringLiteral("<li>%1</li>\n").arg(html(name));
        page += QStringLiteral("</ul>\n");
    }
    if (!passedOver.isEmpty())
        page += QStringLiteral("<h2>Passed over</h2>\n<ul>\n") + passedOver.join(QString()) +
                QStringLiteral("</ul>\n");
    page += QStringLiteral("</body>\n</html>\n");

    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_removed += m_stale.removeFor({m_path});
    try {
        writeWholeFile(m_path, page.toUtf8());
    } catch (const Error& error) {
        throw Error(
            QStringLiteral("The picture report could not be written: %1.").arg(error.message()));
    }
    if (!m_problem.isEmpty())
        throw Error(QStringLiteral("The picture report \"%1\" is incomplete: %2.")
                        .arg(QDir::toNativeSeparators(m_path), m_problem));
}

} // namespace vt
