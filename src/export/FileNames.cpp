#include "export/FileNames.h"

namespace vt {

namespace {

// Position of the last "\", "/" or ":", or -1.
qsizetype lastSeparator(const QString& filename)
{
    for (qsizetype i = filename.size() - 1; i >= 0; --i) {
        const QChar c = filename.at(i);
        if (c == u'\\' || c == u'/' || c == u':')
            return i;
    }
    return -1;
}

// Position of the "." that starts the extension, or -1.
qsizetype extensionStart(const QString& filename)
{
    const qsizetype dot = filename.lastIndexOf(u'.');
    return dot > lastSeparator(filename) ? dot : -1;
}

} // namespace

QString RemoveExt(const QString& filename)
{
    const qsizetype dot = extensionStart(filename);
    return dot < 0 ? filename : filename.left(dot);
}

QString extensionOf(const QString& filename)
{
    const qsizetype dot = extensionStart(filename);
    return dot < 0 ? QString() : filename.mid(dot);
}

QString proposedDecodeName(const QString& img_filename)
{
    const QString name = img_filename.mid(lastSeparator(img_filename) + 1);
    // The extension lies after the last separator, so it is the name part's own; the save
    // takes it in any spelling, so it stands as the grab had it.
    return RemoveExt(name) + QStringLiteral(" Decode") + extensionOf(name);
}

} // namespace vt
