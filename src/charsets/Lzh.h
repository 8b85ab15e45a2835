// The compressed resource stream: "!HZL", the decompressed size S (signed 32-bit,
// little-endian) and an LZH bit stream (LZSS over a 4 KB window, literals and match lengths
// coded by one adaptive Huffman tree, the upper bits of match positions by a fixed prefix code).
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <array>
#include <functional>
#include <stdexcept>

class QIODevice;

namespace vt {

// Raised by the decompressor when a stream cannot be read or does not decode to its size.
class ELzrw1Exception : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The LZH coder state: window, adaptive Huffman tree and bit reader. The encoder drives the
// same tree through StartHuff and update, so that both sides stay in step symbol by symbol.
class TLZH
{
public:
    static constexpr int N = 4096;      // window size
    static constexpr int F = 60;        // longest match
    static constexpr int THRESHOLD = 2; // runs of this length or shorter go as literals
    static constexpr int N_CHAR = 256 - THRESHOLD + F; // 314 symbols
    static constexpr int T = N_CHAR * 2 - 1;           // 627 tree positions
    static constexpr int R = T - 1;                    // the root
    static constexpr int MAX_FREQ = 0x8000;            // root frequency that forces a rebuild
    static constexpr int FIRST_POS = N - F;            // 4036: where writing starts

    // Delivers the next input byte into its argument, or gives false once the input is spent.
    using GetBytesFn = std::function<bool(quint8&)>;
    using PutBytesFn = std::function<void(quint8)>;

    // Decodes symbols until TextSize bytes have been produced (nothing when TextSize <= 0).
    // Input missing at the end reads as 0 bits; EndedShort() tells whether that happened.
    void LZHUnpack(qint32 TextSize, const GetBytesFn& GetBytes, const PutBytesFn& PutBytes);

    // Stop at the first symbol that needed bits beyond the end of the input instead of
    // decoding zero bits up to TextSize.
    bool StopAtInputEnd = false;

    // Whether the last LZHUnpack consumed bits beyond the real input (bits prefetched into
    // the buffer but never used do not count, nor does the 0 padding of the last byte).
    bool EndedShort() const { return m_shortAt >= 0; }
    // Bytes produced by the symbols read wholly from real input (meaningful when EndedShort).
    qint64 ProducedBeforeEnd() const { return m_shortAt; }
    // Bits taken from the input by the last LZHUnpack.
    qint64 BitsConsumed() const { return 8 * (m_realBytes + m_missingBytes) - getlen; }

    // The initial tree: 314 leaves of frequency 1 paired up into 313 inner nodes.
    void StartHuff();
    // Counts one more occurrence of symbol c, rebuilding first when the root is full.
    void update(int c);
    // Halves all leaf frequencies and rebuilds the inner nodes.
    void reconst();

    // Position prefix code for the upper 6 bits u of a 12-bit position: p_code[u] in the
    // low p_len[u] bits. d_code/d_len decode it from the next 8 bits of the stream.
    static const std::array<quint8, 64> p_len;
    static const std::array<quint8, 64> p_code;
    static const std::array<quint8, 256> d_code;
    static const std::array<quint8, 256> d_len;

    // Coder state.
    std::array<quint8, N + F - 1> text_buf{};
    std::array<quint16, T + 1> freq{};
    std::array<qint32, T> son{};
    std::array<qint32, T + N_CHAR> prnt{};
    quint16 getbuf = 0;
    quint8 getlen = 0;

private:
    int GetBit(const GetBytesFn& GetBytes);
    int GetByte(const GetBytesFn& GetBytes);
    void FillBuf(const GetBytesFn& GetBytes);
    int DecodePosition(const GetBytesFn& GetBytes);

    qint64 m_realBytes = 0;    // bytes the input delivered
    qint64 m_missingBytes = 0; // zero bytes put into the bit buffer after the input ran out
    qint64 m_shortAt = -1;
};

// The decompressor component. The caller sets the streams before each call; both must be
// open random-access devices. Decompress reads from the input's current position and writes
// at the output's current position.
class Tlzrw1
{
public:
    // Largest decompressed size accepted: no resource comes near it, and a corrupt header
    // must not make us allocate or decode without end.
    static constexpr qint32 MaxSize = 64 * 1024 * 1024;
    static constexpr int BufferSize = 32784; // staging buffers
    static constexpr int PieceSize = 32768;  // read and written in pieces of this size

    bool UseStream = true; // streams are the only mode
    QIODevice* InputStream = nullptr;
    QIODevice* OutputStream = nullptr;

    // Decodes one "!HZL" stream and gives the number of bytes written. Throws
    // ELzrw1Exception when the streams are unusable, the header is short or wrong, S is out
    // of range, the input fails or ends before S bytes are decoded, the output refuses bytes,
    // or the decoded total is not S.
    qint64 Decompress();

private:
    bool m_running = false;
};

// A "!HZL" stream of the data (greedy longest matches over the 4 KB window).
QByteArray lzhCompress(const QByteArray& data);

// The data of a "!HZL" stream, decoded by Tlzrw1 between memory buffers (throws as it does).
QByteArray lzhDecompress(const QByteArray& stream);

} // namespace vt
