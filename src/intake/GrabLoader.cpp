#include "intake/GrabLoader.h"

#include "app/Error.h"
#include "charsets/Halftone.h"
#include "intake/ImageSignature.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace vt {

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

void checkGrabSize(const QSize& size, const QString& what)
{
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (size.width() > kMaxGrabSide || size.height() > kMaxGrabSide || bytes > kMaxGrabBytes)
        throw Error(QStringLiteral("%1 is too large to work on (%2 × %3 pixels): grabs of up to "
                                   "16,384 pixels a side and 256 MB are accepted.")
                        .arg(what)
                        .arg(size.width())
                        .arg(size.height()));
}

QImage readGrabFile(const QString& path)
{
    const QString quoted = QStringLiteral("\"%1\"").arg(shown(path));
    if (!IsAnImage(path))
        throw Error(QStringLiteral("%1 is not a picture Vorlan Tesselor can load: grabs are BMP, "
                                   "PNG, GIF or JPEG files.")
                        .arg(quoted));

    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    // Checked before decoding, so that a hostile header cannot make us allocate gigabytes.
    const QSize size = reader.size();
    if (size.isValid())
        checkGrabSize(size, quoted);
    QImage picture = reader.read();
    if (picture.isNull())
        throw Error(QStringLiteral("%1 could not be read as a picture: %2.")
                        .arg(quoted, reader.errorString()));
    checkGrabSize(picture.size(), quoted);
    return picture;
}

WorkingPictures makeWorkingPictures(const QImage& picture)
{
    WorkingPictures pictures;
    // Drawn over black, as a picture with transparent parts shows on the grab page.
    pictures.fullcolour = QImage(picture.size(), QImage::Format_RGB32);
    pictures.fullcolour.fill(Qt::black);
    {
        QPainter painter(&pictures.fullcolour);
        painter.drawImage(0, 0, picture);
    }
    pictures.working = reduceToHalftone(pictures.fullcolour);
    return pictures;
}

} // namespace vt
