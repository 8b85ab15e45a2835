#include "charsets/Lzh.h"

#include <QBuffer>
#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace vt {

namespace {

// Code lengths of the position prefix code, by the upper 6 bits u of the position.
constexpr std::array<quint8, 64> makePLen()
{
    std::array<quint8, 64> len{};
    for (int u = 0; u < 64; ++u)
        len[u] = u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
    return len;
}

// Canonical codes: each is the previous plus one, widened with 0 bits when the length grows.
constexpr std::array<quint8, 64> makePCode()
{
    constexpr std::array<quint8, 64> len = makePLen();
    std::array<quint8, 64> code{};
    for (int u = 1; u < 64; ++u)
        code[u] = quint8((code[u - 1] + 1) << (len[u] - len[u - 1]));
    return code;
}

// For every 8-bit look-ahead b, the u whose code is a prefix of b (or that code's length).
constexpr std::array<quint8, 256> makeDecodeTable(bool lengths)
{
    constexpr std::array<quint8, 64> len = makePLen();
    constexpr std::array<quint8, 64> code = makePCode();
    std::array<quint8, 256> table{};
    for (int u = 0; u < 64; ++u) {
        const int first = code[u] << (8 - len[u]);
        for (int b = first; b < first + (1 << (8 - len[u])); ++b)
            table[b] = lengths ? len[u] : quint8(u);
    }
    return table;
}

const std::string kPrefix = "Lzrw1 (de)compression : ";

[[noreturn]] void fail(const std::string& what)
{
    throw ELzrw1Exception(kPrefix + what);
}

// Position queries work only on open random-access devices.
bool reportsPosition(const QIODevice* device)
{
    return device && device->isOpen() && !device->isSequential();
}

[[noreturn]] void failRead(const QIODevice* in)
{
    fail("Failed to read the input stream (" + in->errorString().toStdString() + ")");
}

} // namespace

const std::array<quint8, 64> TLZH::p_len = makePLen();
const std::array<quint8, 64> TLZH::p_code = makePCode();
const std::array<quint8, 256> TLZH::d_code = makeDecodeTable(false);
const std::array<quint8, 256> TLZH::d_len = makeDecodeTable(true);

void TLZH::StartHuff()
{
    for (int i = 0; i < N_CHAR; ++i) {
        freq[i] = 1;
        son[i] = i + T;
        prnt[i + T] = i;
    }
    for (int i = 0, j = N_CHAR; j < T; i += 2, ++j) {
        freq[j] = quint16(freq[i] + freq[i + 1]);
        son[j] = i;
        prnt[i] = prnt[i + 1] = j;
    }
    freq[T] = 0xFFFF; // sentinel: stops the search for the exchange partner
    prnt[R] = 0;
}

void TLZH::reconst()
{
    // Leaves to the front in their current order, frequencies halved (rounded up, so none
    // becomes 0).
    int j = 0;
    for (int i = 0; i < T; ++i) {
        if (son[i] >= T) {
            freq[j] = quint16((freq[i] + 1) / 2);
            son[j] = son[i];
            ++j;
        }
    }
    // Pair them up again, each inner node inserted where its frequency keeps the order.
    for (int i = 0, jj = N_CHAR; jj < T; i += 2, ++jj) {
        const quint16 f = quint16(freq[i] + freq[i + 1]);
        freq[jj] = f;
        int k = jj - 1;
        while (f < freq[k])
            --k;
        ++k;
        const std::size_t moved = std::size_t(jj - k);
        std::memmove(&freq[k + 1], &freq[k], moved * sizeof(freq[0]));
        std::memmove(&son[k + 1], &son[k], moved * sizeof(son[0]));
        freq[k] = f;
        son[k] = i;
    }
    for (int i = 0; i < T; ++i) {
        const int k = son[i];
        prnt[k] = i;
        if (k < T)
            prnt[k + 1] = i;
    }
}

void TLZH::update(int c)
{
    if (freq[R] == MAX_FREQ)
        reconst();
    c = prnt[c + T];
    do {
        const quint16 k = ++freq[c];
        // A node that outgrows its right neighbour trades places with the last node of
        // lower frequency, so that positions stay in frequency order.
        if (k > freq[c + 1]) {
            // l: the last position after c whose frequency is below k. Positions after c are
            // in order and end at the sentinel, so gallop ahead, then halve the gap; long runs
            // of equal frequencies are common once the data is varied.
            int l = c + 1; // freq[l] < k
            int step = 1;
            while (l + step < T && freq[l + step] < k) {
                l += step;
                step *= 2;
            }
            int beyond = std::min(l + step, int(T)); // freq[beyond] >= k
            while (beyond - l > 1) {
                const int mid = (l + beyond) / 2;
                if (freq[mid] < k)
                    l = mid;
                else
                    beyond = mid;
            }
            freq[c] = freq[l];
            freq[l] = k;

            const int i = son[c];
            prnt[i] = l;
            if (i < T)
                prnt[i + 1] = l;

            const int j = son[l];
            son[l] = i;
            prnt[j] = c;
            if (j < T)
                prnt[j + 1] = c;
            son[c] = j;

            c = l;
        }
        c = prnt[c];
    } while (c != 0);
}

inline void TLZH::FillBuf(const GetBytesFn& GetBytes)
{
    while (getlen <= 8) {
        quint8 byte = 0;
        if (GetBytes(byte)) {
            ++m_realBytes;
        } else {
            byte = 0;
            ++m_missingBytes;
        }
        getbuf = quint16(getbuf | (byte << (8 - getlen)));
        getlen = quint8(getlen + 8);
    }
}

inline int TLZH::GetBit(const GetBytesFn& GetBytes)
{
    FillBuf(GetBytes);
    const int bit = getbuf >> 15;
    getbuf = quint16(getbuf << 1);
    --getlen;
    return bit;
}

inline int TLZH::GetByte(const GetBytesFn& GetBytes)
{
    FillBuf(GetBytes);
    const int value = getbuf >> 8;
    getbuf = quint16(getbuf << 8);
    getlen = quint8(getlen - 8);
    return value;
}

int TLZH::DecodePosition(const GetBytesFn& GetBytes)
{
    int b = GetByte(GetBytes);
    const int u = d_code[b];
    for (int n = d_len[b] - 2; n > 0; --n)
        b = 2 * b + GetBit(GetBytes);
    return 64 * u + (b & 63);
}

void TLZH::LZHUnpack(qint32 TextSize, const GetBytesFn& GetBytes, const PutBytesFn& PutBytes)
{
    StartHuff();
    std::fill(text_buf.begin(), text_buf.begin() + FIRST_POS, quint8(0x20));
    std::fill(text_buf.begin() + FIRST_POS, text_buf.end(), quint8(0));
    int r = FIRST_POS;
    getbuf = 0;
    getlen = 0;
    m_realBytes = 0;
    m_missingBytes = 0;
    m_shortAt = -1;

    qint64 count = 0;
    while (count < TextSize) {
        const qint64 before = count;
        int c = son[R];
        while (c < T)
            c = son[c + GetBit(GetBytes)];
        c -= T;
        update(c);
        if (c < 256) {
            PutBytes(quint8(c));
            text_buf[r] = quint8(c);
            r = (r + 1) & (N - 1);
            ++count;
        } else {
            const int start = (r - DecodePosition(GetBytes) - 1) & (N - 1);
            const int length = c - 253;
            // Byte by byte: a copy may overlap the bytes it is writing.
            for (int k = 0; k < length; ++k) {
                const quint8 byte = text_buf[(start + k) & (N - 1)];
                PutBytes(byte);
                text_buf[r] = byte;
                r = (r + 1) & (N - 1);
            }
            count += length;
        }
        // Zero bytes stand in for missing input; only bits actually taken from them count.
        if (m_shortAt < 0 && 8 * m_missingBytes > getlen) {
            m_shortAt = before;
            if (StopAtInputEnd)
                break;
        }
    }
}

qint64 Tlzrw1::Decompress()
{
    if (m_running)
        fail("the decompressor is already running");
    if (!UseStream)
        fail("only stream mode is supported");

    std::unique_ptr<quint8[]> inBuf(new (std::nothrow) quint8[BufferSize]);
    std::unique_ptr<quint8[]> outBuf(new (std::nothrow) quint8[BufferSize]);
    if (!inBuf || !outBuf)
        fail("Failed to get memory for I/O buffers !");
    if (!reportsPosition(InputStream))
        fail("Failed to initialize input stream !");
    if (!reportsPosition(OutputStream))
        fail("Failed to initialize output stream !");

    m_running = true;
    struct Running
    {
        bool& flag;
        ~Running() { flag = false; }
    } running{m_running};

    QIODevice* const in = InputStream;
    QIODevice* const out = OutputStream;

    char header[8];
    qint64 got = 0;
    while (got < 8) {
        const qint64 n = in->read(header + got, 8 - got);
        if (n < 0)
            failRead(in);
        if (n == 0)
            break;
        got += n;
    }
    if (got < 8)
        fail("the header ends after " + std::to_string(got) + " of 8 bytes");
    if (std::memcmp(header, "!HZL", 4) != 0)
        fail("the stream does not begin with \"!HZL\"");
    const qint32 size = qint32(qFromLittleEndian<quint32>(header + 4));
    if (size > MaxSize)
        fail("the stated size of " + std::to_string(size) + " bytes exceeds the limit of " +
             std::to_string(MaxSize) + " bytes");
    if (size <= 0)
        return 0;

    qint64 inLen = 0;
    qint64 inPos = 0;
    bool inEnd = false;
    const auto getBytes = [&](quint8& byte) {
        if (inPos == inLen) {
            if (inEnd)
                return false;
            const qint64 n = in->read(reinterpret_cast<char*>(inBuf.get()), PieceSize);
            if (n < 0)
                failRead(in);
            if (n == 0) {
                inEnd = true;
                return false;
            }
            inLen = n;
            inPos = 0;
        }
        byte = inBuf[inPos++];
        return true;
    };

    qint64 outLen = 0;
    qint64 written = 0;
    const auto flush = [&] {
        if (outLen == 0)
            return;
        const qint64 n = out->write(reinterpret_cast<const char*>(outBuf.get()), outLen);
        if (n != outLen)
            fail("the output stream accepted " + std::to_string(std::max<qint64>(n, 0)) + " of " +
                 std::to_string(outLen) + " bytes");
        written += n;
        outLen = 0;
    };
    const auto putBytes = [&](quint8 byte) {
        outBuf[outLen++] = byte;
        if (outLen == PieceSize)
            flush();
    };

    auto lzh = std::make_unique<TLZH>();
    lzh->StopAtInputEnd = true;
    lzh->LZHUnpack(size, getBytes, putBytes);
    if (lzh->EndedShort())
        fail("compressed data ends after " + std::to_string(lzh->ProducedBeforeEnd()) + " of " +
             std::to_string(size) + " bytes");
    flush();
    if (written != size)
        fail("decoded " + std::to_string(written) + " bytes instead of " + std::to_string(size));
    return written;
}

namespace {

// Bits go out most significant first; the last byte is filled up with 0 bits.
class BitWriter
{
public:
    explicit BitWriter(QByteArray& out) : m_out(out) {}

    void put(quint32 bits, int count) // count <= 16
    {
        m_acc = (m_acc << count) | bits;
        m_count += count;
        while (m_count >= 8) {
            m_count -= 8;
            m_out.append(char(m_acc >> m_count));
        }
        m_acc &= (1u << m_count) - 1;
    }

    void finish()
    {
        if (m_count > 0)
            m_out.append(char(m_acc << (8 - m_count)));
        m_acc = 0;
        m_count = 0;
    }

private:
    QByteArray& m_out;
    quint32 m_acc = 0;
    int m_count = 0;
};

// A symbol's code is its path from the root, 0 for the first child and 1 for the second;
// children sit at an even position and the odd one after it.
void putSymbol(TLZH& tree, BitWriter& bits, int symbol)
{
    std::array<quint8, TLZH::T> path;
    int depth = 0;
    for (int k = tree.prnt[symbol + TLZH::T]; k != TLZH::R; k = tree.prnt[k])
        path[depth++] = quint8(k & 1);
    while (depth > 0)
        bits.put(path[--depth], 1);
    tree.update(symbol);
}

constexpr int kHashBits = 15;
constexpr int kMaxChain = 256; // candidates tried per position

inline quint32 hash3(const quint8* p)
{
    const quint32 key = quint32(p[0]) << 16 | quint32(p[1]) << 8 | p[2];
    return (key * 2654435761u) >> (32 - kHashBits);
}

} // namespace

QByteArray lzhCompress(const QByteArray& data)
{
    if (data.size() > Tlzrw1::MaxSize)
        fail("data of " + std::to_string(data.size()) + " bytes is too large to compress");
    const qint32 size = qint32(data.size());

    QByteArray stream;
    stream.reserve(16 + size / 2);
    stream.append("!HZL", 4);
    for (int shift = 0; shift < 32; shift += 8)
        stream.append(char(quint32(size) >> shift));

    // The history as the decoder sees it: the spaces of the initial window, then the data.
    // Index x lies at window position x mod 4096, so a match source must be at most 4096
    // back and never before index 0 (window positions not yet written).
    constexpr int pre = TLZH::FIRST_POS;
    std::vector<quint8> v(std::size_t(pre) + std::size_t(size), quint8(0x20));
    std::copy(data.cbegin(), data.cend(), v.begin() + pre);
    const int end = int(v.size());

    std::vector<qint32> head(std::size_t(1) << kHashBits, -1);
    std::vector<qint32> prev(v.size(), -1);
    const auto insert = [&](int pos) {
        if (pos + 2 >= end)
            return;
        const quint32 h = hash3(&v[pos]);
        prev[pos] = head[h];
        head[h] = pos;
    };
    for (int pos = 0; pos < pre; ++pos)
        insert(pos);

    auto tree = std::make_unique<TLZH>();
    tree->StartHuff();
    BitWriter bits(stream);

    int i = pre;
    while (i < end) {
        const int maxLen = std::min(TLZH::F, end - i);
        int bestLen = 0;
        int bestDist = 0;
        if (maxLen > TLZH::THRESHOLD) {
            int tries = 0;
            for (int cand = head[hash3(&v[i])]; cand >= 0 && i - cand <= TLZH::N;
                 cand = prev[cand]) {
                if (v[cand + bestLen] == v[i + bestLen]) {
                    int len = 0;
                    while (len < maxLen && v[cand + len] == v[i + len])
                        ++len;
                    if (len > bestLen) {
                        bestLen = len;
                        bestDist = i - cand;
                        if (len == maxLen)
                            break;
                    }
                }
                if (++tries == kMaxChain)
                    break;
            }
        }
        if (bestLen > TLZH::THRESHOLD) {
            putSymbol(*tree, bits, bestLen + 253);
            const int p = bestDist - 1;
            bits.put(TLZH::p_code[p >> 6], TLZH::p_len[p >> 6]);
            bits.put(quint32(p & 63), 6);
            for (int k = 0; k < bestLen; ++k)
                insert(i + k);
            i += bestLen;
        } else {
            putSymbol(*tree, bits, v[i]);
            insert(i);
            ++i;
        }
    }
    bits.finish();
    return stream;
}

QByteArray lzhDecompress(const QByteArray& stream)
{
    QBuffer in;
    in.setData(stream);
    in.open(QIODevice::ReadOnly);
    QByteArray result;
    QBuffer out(&result);
    out.open(QIODevice::WriteOnly);
    Tlzrw1 decompressor;
    decompressor.InputStream = &in;
    decompressor.OutputStream = &out;
    decompressor.Decompress();
    out.close();
    return result;
}

} // namespace vt
