// The blind composer: grabs of the game drawn from a kind and a seed, with the truth of what
// each shows. Same kind and seed, same pixels, on every machine.
#pragma once

#include "Canvas.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

namespace blind {

struct Truth
{
    std::string kind;
    std::string detail;
    int game = 1; // 1 or 2
    int scheme = 0;
    int columns = 32, rows = 32;
    std::vector<int> cells;   // row-major character index, -1 where no character shows
    std::vector<int> visible; // row-major 0/1
    std::int64_t originx = 0, originy = 0; // millionths of a pixel of the final picture
    int scalex = 1000, scaley = 1000;      // thousandths
};

struct Grab
{
    QByteArray bytes;  // the file: PNG or JPEG
    QString extension; // "png" or "jpg"
    Canvas picture;    // the pixels before encoding (as written, for PNG)
    Truth truth;
};

const QStringList& kinds();
// Throws std::invalid_argument for an unknown kind.
Grab compose(const QString& kind, std::uint64_t seed);
// The truth as one JSON object.
QByteArray truthJson(const Truth& t);

} // namespace blind
