// A file dropped on the program: the signature test, the picture load and the grid location of
// whatever loads. Every input must end in a picture or a vt::Error, within the size limits.
#include "pictures/Error.h"
#include "pictures/Halftone.h"
#include "charsets/Resources.h"
#include "pictures/BmpByteImage.h"
#include "intake/GrabLoader.h"
#include "intake/GridLocator.h"
#include "intake/ImageSignature.h"

#include "FuzzSupport.h"

#include <QFile>

#include <cstdint>
#include <cstdlib>

namespace {
QString g_path;
QByteArray g_hero;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    vt::fuzz::startQt(argc, argv);
    g_path = vt::fuzz::scratchDir() + QStringLiteral("/grab");
    g_hero = vt::bmpByteImage(vt::reduceToHalftone(vt::programPicture(QStringLiteral("HERO"))));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        QFile file(g_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const vt::ImageKind kind = vt::imageKind(g_path);
    QImage picture;
    try {
        picture = vt::readGrabFile(g_path);
    } catch (const vt::Error&) {
        return 0;
    }
    // Only a file with a grab's signature loads, and never past the limits.
    if (kind == vt::ImageKind::None || picture.width() > vt::kMaxGrabSide ||
        picture.height() > vt::kMaxGrabSide)
        std::abort();

    const vt::WorkingPictures pictures = vt::makeWorkingPictures(picture);
    for (const bool newLoad : {true, false}) {
        vt::LocateInput input;
        input.working = &pictures.working;
        input.hero = &g_hero;
        input.newLoad = newLoad;
        const vt::LocateResult result = vt::locateGrid(input);
        if (!result.windowNotFound && (!vt::IsValidMapSize(result.grid.grab_width) ||
                                       !vt::IsValidMapSize(result.grid.grab_height)))
            std::abort();
    }
    return 0;
}
