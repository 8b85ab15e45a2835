// The program's own pictures that every grab is worked with: the hero at 8 bits, the puzzle
// piece, and the character sets of each game, scheme and size. Each is read from the resources
// once and then shared read-only, by every session and every thread.
#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>
#include <vector>

namespace vt {

// A character set in character order: full-size (64 x 64, 32 bits) or map-size (16 x 15,
// 8 bits, halftone palette).
using CharacterSet = std::shared_ptr<const std::vector<QImage>>;

class ProgramArt
{
public:
    static ProgramArt& shared();

    // The 34 x 34 hero figure reduced to the halftone palette, and its byte image.
    QImage hero();
    QByteArray heroBytes();
    // 64 x 64, drawn for unrecognised cells.
    QImage puzzle();

    // Throws vt::Error naming the atlas when it is missing or broken; nothing is cached then,
    // so a later call tries again.
    CharacterSet characters(int game, int colour, bool fullsize);

private:
    ProgramArt() = default;
    struct Cache;
    Cache& current();
};

} // namespace vt
