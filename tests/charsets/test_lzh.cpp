#include "charsets/Lzh.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

// Lets a test refuse the decompressor's staging buffers; every other request is served as usual.
namespace {
bool g_refuseStagingBuffers = false;
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (g_refuseStagingBuffers && size == std::size_t(vt::Tlzrw1::BufferSize))
        return nullptr;
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

namespace vt {
namespace {

QByteArray hexBytes(const char* hex)
{
    return QByteArray::fromHex(QByteArray(hex));
}

QByteArray withSize(QByteArray stream, qint32 size)
{
    for (int k = 0; k < 4; ++k)
        stream[4 + k] = char(quint32(size) >> (8 * k));
    return stream;
}

QByteArray randomBytes(int n, unsigned seed)
{
    std::mt19937 rng(seed);
    QByteArray data(n, Qt::Uninitialized);
    for (char& c : data)
        c = char(rng() & 0xFF);
    return data;
}

// Words drawn from a small vocabulary: a mix of literals and matches of all lengths.
QByteArray textLike(int n, unsigned seed)
{
    static const char* words[] = {"vorlan ",     "diamond ", "boulder ", "wall ",       "exit ",
                                  "magic wall ", "egg ",     "safe, ",   "key. ",       "\n",
                                  "the ",        "monster ", "spirit ",  "transporter "};
    std::mt19937 rng(seed);
    QByteArray data;
    while (data.size() < n)
        data.append(words[rng() % std::size(words)]);
    data.truncate(n);
    return data;
}

// A 16-bit 1024 x 192 picture of 64 x 64 tiles, laid out like a full-size atlas file.
QByteArray imageLike()
{
    QByteArray data(66, '\0');
    data[0] = 'B';
    data[1] = 'M';
    for (int y = 0; y < 192; ++y) {
        for (int x = 0; x < 1024; ++x) {
            const int tile = (y / 64) * 16 + x / 64;
            const int lx = x % 64 - 32;
            const int ly = y % 64 - 32;
            const int radius = 8 + tile % 20;
            quint16 colour = 0;
            if (tile < 35) {
                if (lx * lx + ly * ly < radius * radius)
                    colour = quint16((0xF800 >> (tile % 5)) | ((ly + 32) << 5));
                else
                    colour = ((lx / 8 + ly / 8) & 1) ? 0x07E0 : 0x001F;
            }
            data.append(char(colour & 0xFF));
            data.append(char(colour >> 8));
        }
    }
    return data;
}

// A QBuffer that can pose as sequential, fail reads or accept only part of a write, and
// records the sizes it is asked to read and write.
class ProbeBuffer : public QBuffer
{
public:
    bool sequential = false;
    qint64 failReadsFrom = -1;
    qint64 writeLimit = -1;
    std::vector<qint64> reads;
    std::vector<qint64> writes;

    bool isSequential() const override { return sequential; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (failReadsFrom >= 0 && pos() >= failReadsFrom)
            return -1;
        reads.push_back(maxSize);
        return QBuffer::readData(data, maxSize);
    }

    qint64 writeData(const char* data, qint64 len) override
    {
        writes.push_back(len);
        return QBuffer::writeData(data, writeLimit >= 0 ? std::min(len, writeLimit) : len);
    }
};

std::string errorOf(const QByteArray& stream)
{
    try {
        lzhDecompress(stream);
    } catch (const ELzrw1Exception& e) {
        return e.what();
    }
    return "no error";
}

std::string errorOf(Tlzrw1& decompressor)
{
    try {
        decompressor.Decompress();
    } catch (const ELzrw1Exception& e) {
        return e.what();
    }
    return "no error";
}

TEST(Lzh, KnownStreamsDecodeAndEncodeByteExact)
{
    const struct
    {
        const char* stream;
        QByteArray text;
        bool encoderMakesIt; // the encoder picks these very symbols
    } cases[] = {
        // Three literals.
        {"21485A4C03000000F6FBBDE0", "abc", true},
        // Three literals, then 6 bytes from position value 2: a copy of bytes it produces.
        {"21485A4C09000000F6FBBDF1E020", "abcabcabc", true},
        // A match of 3 as the first symbol, position 1000: all inside the initial window.
        {"21485A4C030000008C9E80", "   ", false},
    };
    for (const auto& c : cases) {
        const QByteArray stream = hexBytes(c.stream);
        EXPECT_EQ(lzhDecompress(stream), c.text) << c.stream;
        if (c.encoderMakesIt) {
            EXPECT_EQ(lzhCompress(c.text).toHex(), stream.toHex()) << c.stream;
        }
    }
}

TEST(Lzh, PositionPrefixCode)
{
    // Each range of u: its code length and the codes of its first and last value.
    const struct
    {
        int firstU, lastU, length, firstCode, lastCode;
    } ranges[] = {{0, 0, 3, 0b000, 0b000},           {1, 3, 4, 0b0010, 0b0100},
                  {4, 11, 5, 0b01010, 0b10001},      {12, 23, 6, 0b100100, 0b101111},
                  {24, 47, 7, 0b1100000, 0b1110111}, {48, 63, 8, 0b11110000, 0b11111111}};
    for (const auto& r : ranges) {
        for (int u = r.firstU; u <= r.lastU; ++u)
            EXPECT_EQ(TLZH::p_len[u], r.length) << u;
        EXPECT_EQ(TLZH::p_code[r.firstU], r.firstCode) << r.firstU;
        EXPECT_EQ(TLZH::p_code[r.lastU], r.lastCode) << r.lastU;
    }
    // The decoding tables: every 8-bit look-ahead names the one code that prefixes it, and
    // d_code runs 32 x 0, 16 x 1..3, 8 x 4..11, 4 x 12..23, 2 x 24..47, 1 x 48..63.
    std::vector<int> expected;
    for (int u = 0; u < 64; ++u) {
        const int copies = u == 0 ? 32 : u < 4 ? 16 : u < 12 ? 8 : u < 24 ? 4 : u < 48 ? 2 : 1;
        expected.insert(expected.end(), copies, u);
    }
    ASSERT_EQ(expected.size(), 256u);
    for (int b = 0; b < 256; ++b) {
        const int u = TLZH::d_code[b];
        EXPECT_EQ(u, expected[b]) << b;
        EXPECT_EQ(TLZH::d_len[b], TLZH::p_len[u]) << b;
        EXPECT_EQ(b >> (8 - TLZH::p_len[u]), TLZH::p_code[u]) << b;
    }
}

TEST(Lzh, SizeZeroOrBelowGivesNothingAndReadsOnlyTheHeader)
{
    for (const qint32 size : {0, -1, -100000}) {
        ProbeBuffer in;
        in.setData(withSize(hexBytes("21485A4C00000000FFFFFFFF"), size));
        in.open(QIODevice::ReadOnly);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        Tlzrw1 decompressor;
        decompressor.InputStream = &in;
        decompressor.OutputStream = &out;
        EXPECT_EQ(decompressor.Decompress(), 0) << size;
        EXPECT_EQ(in.pos(), 8) << size;
        EXPECT_TRUE(out.data().isEmpty()) << size;
    }
}

TEST(Lzh, RoundTrips)
{
    const QByteArray ones(100000, 'A');
    const QByteArray image = imageLike();
    const struct
    {
        const char* name;
        QByteArray data;
        qsizetype maxCompressed; // 0: no bound
    } cases[] = {
        {"empty", QByteArray(), 8},
        {"one byte", QByteArray(1, '\xFF'), 10},
        {"all one byte", ones, 5000},
        {"leading spaces (initial window)", QByteArray(200, ' ') + "x", 30},
        {"random", randomBytes(50000, 1), 0},
        {"text over several staging buffers", textLike(150000, 2), 60000},
        {"image-like, atlas size", image, image.size() / 5},
        {"random, far more symbols than a rebuild needs", randomBytes(300000, 3), 0},
    };
    for (const auto& c : cases) {
        const QByteArray packed = lzhCompress(c.data);
        ASSERT_TRUE(packed.startsWith("!HZL")) << c.name;
        if (c.maxCompressed > 0) {
            EXPECT_LE(packed.size(), c.maxCompressed) << c.name;
        }
        EXPECT_EQ(lzhDecompress(packed), c.data) << c.name;
    }

    // Every short length, so that streams end on every bit of their last byte and with
    // literals as well as matches.
    const QByteArray pool = textLike(400, 4) + randomBytes(400, 5);
    for (int n = 0; n <= 400; ++n) {
        const QByteArray data = pool.mid(n % 7 * 50, n);
        EXPECT_EQ(lzhDecompress(lzhCompress(data)), data) << n;
    }
}

// 70,000 literals (no 3-byte run repeats within the window, so no match can be chosen) take
// the tree through three rebuilds. The digest comes from a separate implementation of the
// format, so a fault shared by our encoder and decoder still shows.
TEST(Lzh, TreeRebuildMatchesReferenceStream)
{
    std::vector<quint8> history(TLZH::FIRST_POS, 0x20);
    std::unordered_map<quint32, qint64> lastStart;
    lastStart[0x202020] = TLZH::FIRST_POS - 3;
    quint32 state = 20240601;
    QByteArray data;
    while (data.size() < 70000) {
        const qint64 x = qint64(history.size());
        quint32 key = 0;
        quint8 byte = 0;
        for (;;) {
            state = state * 1103515245u + 12345u;
            byte = quint8(state >> 16);
            key = quint32(history[x - 2]) << 16 | quint32(history[x - 1]) << 8 | byte;
            const auto it = lastStart.find(key);
            if (it == lastStart.end() || it->second < x - 2 - TLZH::N)
                break;
        }
        history.push_back(byte);
        lastStart[key] = x - 2;
        data.append(char(byte));
    }
    ASSERT_EQ(QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex(),
              "2e91ecc8bfcf386b736af19a53d34cc8a8760df1");

    const QByteArray packed = lzhCompress(data);
    EXPECT_EQ(packed.size(), 70159);
    EXPECT_EQ(QCryptographicHash::hash(packed, QCryptographicHash::Sha1).toHex(),
              "8a5bc0af0f0feb57f1fba2260efd08b616885edd");
    EXPECT_EQ(lzhDecompress(packed), data);
}

TEST(Lzh, ShippedFullSizeAtlasesRoundTrip)
{
    const QDir dir(test::sourceDir() + "/resources/rcdata");
    int checked = 0;
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files, QDir::Name)) {
        const QString name = info.fileName().toUpper();
        if (!name.contains("ATLAS") || name.contains("_MAP_"))
            continue;
        QFile file(info.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray plain = file.readAll();
        QElapsedTimer timer;
        timer.start();
        const QByteArray packed = lzhCompress(plain);
        const qint64 packMs = timer.restart();
        const QByteArray unpacked = lzhDecompress(packed);
        const qint64 unpackMs = timer.elapsed();
        EXPECT_EQ(unpacked, plain) << name.toStdString();
        std::printf("%s: %lld -> %lld bytes, compressed in %lld ms, decompressed in %lld ms\n",
                    qPrintable(name), qint64(plain.size()), qint64(packed.size()), packMs,
                    unpackMs);
        ++checked;
    }
    if (checked == 0)
        GTEST_SKIP() << "no atlases in resources/rcdata";
}

TEST(Lzh, BadStreamsRaise)
{
    const QByteArray abc = hexBytes("21485A4C03000000F6FBBDE0");
    const QByteArray abc3 = hexBytes("21485A4C09000000F6FBBDF1E020");
    const QByteArray text = lzhCompress(textLike(5000, 6));
    const struct
    {
        const char* name;
        QByteArray stream;
        std::string error;
    } cases[] = {
        {"header cut short", abc.left(5),
         "Lzrw1 (de)compression : the header ends after 5 of 8 bytes"},
        {"no header at all", QByteArray(),
         "Lzrw1 (de)compression : the header ends after 0 of 8 bytes"},
        {"wrong identifier", "!HZX" + abc.mid(4),
         "Lzrw1 (de)compression : the stream does not begin with \"!HZL\""},
        {"size beyond any resource", withSize(abc, Tlzrw1::MaxSize + 1),
         "Lzrw1 (de)compression : the stated size of 67108865 bytes exceeds the limit of "
         "67108864 bytes"},
        {"size one more than encoded", withSize(abc, 4),
         "Lzrw1 (de)compression : compressed data ends after 3 of 4 bytes"},
        {"bit stream missing", abc.left(8),
         "Lzrw1 (de)compression : compressed data ends after 0 of 3 bytes"},
        {"last match runs past the size", withSize(abc3, 5),
         "Lzrw1 (de)compression : decoded 9 bytes instead of 5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorOf(c.stream), c.error) << c.name;

    // A stream cut anywhere in its bit stream is caught (the zero padding it then lacks
    // cannot pass for the rest of the data).
    for (const qsizetype cut : {qsizetype(1), qsizetype(2), qsizetype(100), text.size() / 2}) {
        const std::string error = errorOf(text.left(text.size() - cut));
        EXPECT_EQ(error.rfind("Lzrw1 (de)compression : compressed data ends after ", 0), 0u)
            << cut << ": " << error;
    }
}

TEST(Lzh, RawDecoderReadsMissingInputAsZeroBits)
{
    TLZH lzh;
    const QByteArray bits = hexBytes("F6FBBDE0");
    int next = 0;
    QByteArray out;
    const auto readByte = [&](quint8& byte) {
        if (next == bits.size())
            return false;
        byte = quint8(bits[next++]);
        return true;
    };
    const auto write = [&](quint8 byte) { out.append(char(byte)); };
    lzh.LZHUnpack(5, readByte, write);
    EXPECT_GE(out.size(), 5);
    EXPECT_TRUE(out.startsWith("abc"));
    EXPECT_TRUE(lzh.EndedShort());
    EXPECT_EQ(lzh.ProducedBeforeEnd(), 3);

    // The same bytes for exactly three: the prefetched byte past the end and the padding
    // do not count as running short.
    next = 0;
    out.clear();
    lzh.LZHUnpack(3, readByte, write);
    EXPECT_EQ(out, "abc");
    EXPECT_FALSE(lzh.EndedShort());
    EXPECT_EQ(lzh.BitsConsumed(), 27);
}

TEST(Lzh, UnusableStreamsAndBuffers)
{
    const QByteArray abc = hexBytes("21485A4C03000000F6FBBDE0");
    const std::string inputError = "Lzrw1 (de)compression : Failed to initialize input stream !";
    const std::string outputError = "Lzrw1 (de)compression : Failed to initialize output stream !";
    enum Kind
    {
        Null,
        Closed,
        Sequential
    };
    const struct
    {
        bool input;
        Kind kind;
    } cases[] = {{true, Null},  {true, Closed},  {true, Sequential},
                 {false, Null}, {false, Closed}, {false, Sequential}};
    for (const auto& c : cases) {
        ProbeBuffer good, bad;
        good.setData(abc);
        good.open(c.input ? QIODevice::WriteOnly : QIODevice::ReadOnly);
        bad.setData(abc);
        bad.sequential = c.kind == Sequential;
        if (c.kind != Closed)
            bad.open(c.input ? QIODevice::ReadOnly : QIODevice::WriteOnly);
        QIODevice* const chosen = c.kind == Null ? nullptr : &bad;
        Tlzrw1 decompressor;
        decompressor.InputStream = c.input ? chosen : &good;
        decompressor.OutputStream = c.input ? &good : chosen;
        EXPECT_EQ(errorOf(decompressor), c.input ? inputError : outputError)
            << c.input << " " << c.kind;
    }

    QBuffer in, out;
    in.setData(abc);
    in.open(QIODevice::ReadOnly);
    out.open(QIODevice::WriteOnly);
    Tlzrw1 decompressor;
    decompressor.InputStream = &in;
    decompressor.OutputStream = &out;
    g_refuseStagingBuffers = true;
    const std::string error = errorOf(decompressor);
    g_refuseStagingBuffers = false;
    EXPECT_EQ(error, "Lzrw1 (de)compression : Failed to get memory for I/O buffers !");
}

TEST(Lzh, FailingStreamsRaise)
{
    const QByteArray data = textLike(1000, 7);
    const QByteArray packed = lzhCompress(data);

    ProbeBuffer in;
    in.setData(packed);
    in.failReadsFrom = 8;
    in.open(QIODevice::ReadOnly);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    Tlzrw1 decompressor;
    decompressor.InputStream = &in;
    decompressor.OutputStream = &out;
    EXPECT_EQ(
        errorOf(decompressor).rfind("Lzrw1 (de)compression : Failed to read the input stream", 0),
        0u);

    QBuffer in2;
    in2.setData(packed);
    in2.open(QIODevice::ReadOnly);
    ProbeBuffer out2;
    out2.writeLimit = 100;
    out2.open(QIODevice::WriteOnly);
    decompressor.InputStream = &in2;
    decompressor.OutputStream = &out2;
    EXPECT_EQ(errorOf(decompressor),
              "Lzrw1 (de)compression : the output stream accepted 100 of 1000 bytes");
}

TEST(Lzh, StreamsPassThroughStagingBuffersAtTheirPositions)
{
    const QByteArray data = randomBytes(100000, 8);
    const QByteArray packed = lzhCompress(data);

    ProbeBuffer in;
    in.setData("junk" + packed + "trailing");
    in.open(QIODevice::ReadOnly);
    in.seek(4);
    ProbeBuffer out;
    out.setData("keep");
    out.open(QIODevice::ReadWrite);
    out.seek(4);
    Tlzrw1 decompressor;
    decompressor.InputStream = &in;
    decompressor.OutputStream = &out;
    EXPECT_EQ(decompressor.Decompress(), data.size());
    EXPECT_EQ(out.data(), "keep" + data);
    EXPECT_EQ(out.writes, (std::vector<qint64>{32768, 32768, 32768, 1696}));
    ASSERT_GE(in.reads.size(), 5u);
    EXPECT_EQ(in.reads[0], 8);
    for (std::size_t k = 1; k < in.reads.size(); ++k)
        EXPECT_EQ(in.reads[k], 32768) << k;
}

} // namespace
} // namespace vt
