#include "export/MapTable.h"

#include "charsets/GameTables.h"

namespace vt {

namespace {

const QByteArray kUnknown = QByteArrayLiteral("unk");
const QByteArray kLineEnd = QByteArrayLiteral("\r\n");

QByteArray asciiOnly(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        bytes.append(u >= 0x20 && u < 0x7F ? static_cast<char>(u) : '?');
    }
    return bytes;
}

QByteArray field(qint32 index, int game, int charRef)
{
    if (index < 0)
        return kUnknown;
    switch (charRef) {
    case kCharRefAtlas:
        return QByteArray::number(index);
    case kCharRefPc:
        if (game < 0 || game >= kGameCount || index >= kMaxChars)
            return kUnknown;
        return QByteArray::number(pcRef(game, index));
    default:
        return QByteArrayLiteral("0");
    }
}

} // namespace

QByteArray csvTable(const DecodedMap& decoded, const QString& colourItemText, int game, int charRef,
                    QStringList* map_text)
{
    if (map_text)
        map_text->clear();
    QByteArray text;
    const auto addLine = [&](const QByteArray& line) {
        text += line;
        text += kLineEnd;
        if (map_text)
            map_text->append(QString::fromLatin1(line));
    };
    const qsizetype nameEnd = colourItemText.indexOf(QStringLiteral(": "));
    addLine(asciiOnly(nameEnd < 0 ? colourItemText : colourItemText.left(nameEnd)));

    const int rows = decoded.rows();
    QByteArray line;
    for (int y = 0; y < rows; ++y) {
        line.clear();
        for (int x = 0; x < decoded.columns(); ++x) {
            if (x > 0)
                line += ',';
            const auto& column = decoded.map[static_cast<std::size_t>(x)];
            line += static_cast<std::size_t>(y) < column.size()
                        ? field(column[static_cast<std::size_t>(y)], game, charRef)
                        : kUnknown;
        }
        addLine(line);
    }
    return text;
}

} // namespace vt
