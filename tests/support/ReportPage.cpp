#include "ReportPage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdlib>

namespace vt::test {

QStringList brokenLinks(const QString& htmlPath, int* count)
{
    QFile file(htmlPath);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("the page itself")};
    const QString page = QString::fromUtf8(file.readAll());
    const QDir folder = QFileInfo(htmlPath).dir();
    const QRegularExpression links(QStringLiteral(R"re((?:src|href)="([^"]*)")re"));
    QStringList broken;
    int seen = 0;
    for (auto it = links.globalMatch(page); it.hasNext();) {
        ++seen;
        const QString link = it.next().captured(1);
        if (link.startsWith(QLatin1Char('#'))) {
            if (!page.contains(QStringLiteral("id=\"%1\"").arg(link.mid(1))))
                broken.append(link);
            continue;
        }
        const QUrl url = QUrl::fromEncoded(link.toUtf8());
        QString path;
        if (url.scheme() == QLatin1String("file"))
            path = url.toLocalFile();
        else if (url.scheme().isEmpty() && url.isRelative())
            path = folder.filePath(QUrl::fromPercentEncoding(link.toUtf8()));
        if (path.isEmpty() || !QFileInfo::exists(path))
            broken.append(link);
    }
    if (count)
        *count = seen;
    return broken;
}

QString chromium()
{
    for (const char* name : {"chromium", "chromium-browser"})
        if (const QString path = QStandardPaths::findExecutable(QLatin1String(name));
            !path.isEmpty())
            return path;
    return {};
}

std::optional<QImage> screenshot(const QString& htmlPath, int width, int height, QString* log)
{
    const QString browser = chromium();
    QTemporaryDir profile;
    if (browser.isEmpty() || !profile.isValid())
        return std::nullopt;
    const QString shot = profile.filePath(QStringLiteral("screenshot.png"));
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(browser,
                  {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"),
                   QStringLiteral("--disable-gpu"),
                   QStringLiteral("--disable-background-networking"),
                   QStringLiteral("--disable-component-update"), QStringLiteral("--disable-sync"),
                   QStringLiteral("--no-first-run"), QStringLiteral("--hide-scrollbars"),
                   QStringLiteral("--force-device-scale-factor=1"),
                   QStringLiteral("--force-color-profile=srgb"),
                   QStringLiteral("--user-data-dir=") + profile.filePath(QStringLiteral("profile")),
                   QStringLiteral("--screenshot=") + shot,
                   QStringLiteral("--window-size=%1,%2").arg(width).arg(height),
                   QUrl::fromLocalFile(QFileInfo(htmlPath).absoluteFilePath()).toString()});
    const bool finished = process.waitForFinished(180000);
    if (!finished)
        process.kill();
    if (log)
        *log = QString::fromLocal8Bit(process.readAll());
    if (!finished)
        return std::nullopt;
    QImage image(shot);
    if (image.isNull())
        return std::nullopt;
    return image.convertToFormat(QImage::Format_RGB32);
}

bool drawnIn(const QImage& shown, const QImage& picture, int tolerance)
{
    const QImage small = picture.convertToFormat(QImage::Format_RGB32);
    const auto near = [tolerance](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= tolerance &&
               std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
               std::abs(qBlue(a) - qBlue(b)) <= tolerance;
    };
    const QRgb first = small.pixel(0, 0);
    for (int y = 0; y + small.height() <= shown.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        for (int x = 0; x + small.width() <= shown.width(); ++x) {
            if (!near(row[x], first))
                continue;
            bool all = true;
            for (int v = 0; v < small.height() && all; ++v) {
                const auto* a = reinterpret_cast<const QRgb*>(shown.constScanLine(y + v)) + x;
                const auto* b = reinterpret_cast<const QRgb*>(small.constScanLine(v));
                for (int u = 0; u < small.width() && all; ++u)
                    all = near(a[u], b[u]);
            }
            if (all)
                return true;
        }
    }
    return false;
}

} // namespace vt::test
