// Every output the program writes, in one table: its file name, where the save dialogs, the
// bulk dialog, the "Flags" setting and the command line's -f know it by, when the save reports
// progress, and how its bytes are made. Whatever names or chooses an output goes through here,
// so the names that are planned and the names that are written cannot drift apart.
#pragma once

#include "decode/DecodedMap.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <array>
#include <initializer_list>
#include <optional>
#include <vector>

class QIODevice;

namespace vt {

// In writing order.
enum class OutputFormat : quint8
{
    Bmp,
    Png,
    Gif,
    Jpeg,
    Csv,
    Tileset, // the picture the Tiled maps refer to; written with them, never chosen alone
    Tmx,
    Json // Tiled's JSON map format
};
inline constexpr int kOutputFormatCount = 8;

// What an output is made from.
enum class OutputSource : quint8
{
    Picture, // the picture handed to the save
    Table,   // the decoded map
    Tiled    // the decoded map and the full-size characters of its tileset
};

// Where the ".csv" table and the Tiled maps come from (see csvTable, tmxMap).
struct MapTableSource
{
    const DecodedMap* decoded = nullptr;
    QString colourItemText; // the colour selector's item text
    int game = 0;
    int charRef = 0;
    int colour = 0;                                  // colour selector index: names the tileset
    const std::vector<QImage>* characters = nullptr; // full-size characters: the tileset picture
    QStringList* map_text = nullptr; // when set, gets the lines of a table written (csvTable)
};

// The outputs a save writes: a set of formats.
class SaveChoices
{
public:
    constexpr SaveChoices() = default;
    constexpr SaveChoices(std::initializer_list<OutputFormat> formats)
    {
        for (const OutputFormat format : formats)
            set(format);
    }

    constexpr bool has(OutputFormat format) const { return (m_bits & bit(format)) != 0; }
    constexpr SaveChoices& set(OutputFormat format, bool on = true)
    {
        m_bits = on ? quint8(m_bits | bit(format)) : quint8(m_bits & ~bit(format));
        return *this;
    }
    constexpr bool empty() const { return m_bits == 0; }
    constexpr bool intersects(SaveChoices other) const { return (m_bits & other.m_bits) != 0; }
    friend constexpr bool operator==(SaveChoices, SaveChoices) = default;

private:
    static constexpr quint8 bit(OutputFormat format) { return quint8(1u << unsigned(format)); }
    quint8 m_bits = 0;
};

struct OutputFormatRow
{
    OutputFormat format;
    const char* label;     // "JPEG": the bulk dialog's "Save As JPEG"
    const char* extension; // ".jpeg", added to the base name; null for the tileset, which is
                           // named after its game and scheme and lies beside the Tiled maps
    OutputSource source;
    int dialogRow;           // place among the save dialogs' file-type rows; -1: none
    const char* dialogLabel; // "JPEG Image File": the row reads "JPEG Image File (*.jpeg)"
    const char* cliName;     // the name -f takes; null: not chosen there
    const char* cliAlias;    // another name -f takes for it; null: none
    int flagBit;             // its bit in "Flags" and its tick box in the bulk dialog; -1: none
    const char* bulkBox;     // that tick box's name, "cb_SaveJPG"
    int progressAfter;       // the save's progress once this step is done; -1: none
    // Writes the output's bytes onto `device`; throws vt::Error with the reason (not naming
    // the file) when they cannot be written. `indexed` (may be null) is `picture` at 8 bits
    // with its own colours, as writePng takes it.
    void (*write)(QIODevice& device, const QImage& picture, const QImage* indexed,
                  const MapTableSource& table);
};

// The rows in writing order; row i is OutputFormat(i).
const std::array<OutputFormatRow, kOutputFormatCount>& outputFormatTable();
const OutputFormatRow& outputFormat(OutputFormat format);

// The file-type rows of the save dialogs, "Label (*.ext)", in their order: with `mapOutputs`
// every row (the Save Map dialog), without it only the picture rows (the Save Screengrab
// dialog).
QStringList saveDialogRows(bool mapOutputs);

// The format a save dialog's name stands for by its extension (RemoveExt's, "." included),
// whatever its case: ".PNG" and ".Bmp" as players type them, ".jpg" and ".JPEG" for JPEG; none
// for an extension without a row.
std::optional<OutputFormat> saveDialogFormat(const QString& extension);

// The extensions saveDialogFormat knows, in writing order: ".bmp, .png, ... .jpeg, .jpg, ...
// or .tmx".
QString saveDialogExtensions();

// The file-type row of the save dialogs that a name ending in `extension` belongs to (its
// index in saveDialogRows(mapOutputs)); -1 when none does.
int saveDialogRowOf(const QString& extension, bool mapOutputs);

// The format named `name` on the command line, whatever its case; none for an unknown name.
std::optional<OutputFormat> cliFormat(const QString& name);

// The names -f takes, in writing order, joined by `separator`, the last by `last`.
QString cliFormatNames(const QString& separator, const QString& last);

// The outputs that have a "Flags" bit (and a tick box in the bulk dialog), in bit order.
std::vector<OutputFormat> flagFormats();

// The bulk outputs of a "Flags" value (bits 0 to 4), and back; other bits are ignored.
SaveChoices formatsOfFlags(qint32 flags);
qint32 flagsOf(SaveChoices formats);

// One file of a save.
struct OutputFile
{
    OutputFormat format;
    QString path;
    bool shared = false; // the Tiled tileset picture, which every map of its game and scheme
                         // writes alike
};

// The files that `formats` write under the base name `base` for a map of game `game` and
// colour scheme `colour` (selector indices), in writing order: base + extension for each
// chosen output, and the tileset picture beside them when a Tiled map is chosen. The save
// writes exactly these, less those whose source it lacks. `typed`, when not empty, is the
// extension a player gave one of the formats (".JPG", ".jpg"): that file takes it in place of
// the table's own, so a save writes under the name as given.
std::vector<OutputFile> outputFiles(const QString& base, SaveChoices formats, int game, int colour,
                                    const QString& typed = QString());

// Writes `picture` in one of the formats made from a picture (with `indexed` as writePng takes
// it); throws vt::Error with the reason when it cannot, and for any other format.
void writePicture(const QImage& picture, OutputFormat format, QIODevice& device,
                  const QImage* indexed = nullptr);

} // namespace vt
