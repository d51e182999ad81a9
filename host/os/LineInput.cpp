#include "LineInput.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace host {

namespace {

constexpr qsizetype BlockSize = 64 * 1024;

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; undefined codes map to themselves.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> Cp1252 = [] {
    std::array<char16_t, 256> table{};
    for (unsigned code = 0; code < table.size(); ++code)
        table[code] = code >= 0x80 && code <= 0x9F ? Cp1252High[code - 0x80] : char16_t(code);
    return table;
}();

// The first CR or LF. Two library searches beat one byte loop over a long file: the LF
// bounds the search for a CR, so each byte is looked at twice at most.
const char* findLineEnd(const char* from, const char* to)
{
    const auto* lf = static_cast<const char*>(std::memchr(from, '\n', size_t(to - from)));
    const char* searchEnd = lf ? lf : to;
    const auto* cr = static_cast<const char*>(std::memchr(from, '\r', size_t(searchEnd - from)));
    return cr ? cr : lf;
}

// Whether any byte lies in 0x80..0x9F, the only codes where Windows-1252 is not Latin-1;
// eight bytes at a time, since almost every catalogue line has none.
bool hasC1Codes(QByteArrayView bytes)
{
    constexpr std::uint64_t Ones = 0x0101010101010101u;
    constexpr std::uint64_t Highs = 0x8080808080808080u;
    qsizetype at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, sizeof word);
        // A byte of 0x80..0x9F has its top three bits 100: that byte of x is then zero.
        const std::uint64_t x = (word & (Highs | Highs >> 1 | Highs >> 2)) ^ Highs;
        if ((x - Ones) & ~x & Highs)
            return true;
    }
    for (; at < bytes.size(); ++at)
        if ((static_cast<unsigned char>(bytes[at]) & 0xE0) == 0x80)
            return true;
    return false;
}

} // namespace

QString DecodeAnsi(QByteArrayView bytes)
{
    // A catalogue decodes a hundred thousand of these at start: Qt's vectorised Latin-1
    // widening does the bulk, and only the rare line with a C1 code is mended afterwards.
    QString text = QString::fromLatin1(bytes);
    if (!hasC1Codes(bytes))
        return text;
    QChar* out = text.data();
    for (const char byte : bytes) {
        *out = QChar(Cp1252[static_cast<unsigned char>(byte)]);
        ++out;
    }
    return text;
}

LineInput::LineInput(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        m_eof = true;
}

bool LineInput::fill()
{
    if (m_eof)
        return false;
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    const qsizetype old = m_buffer.size();
    m_buffer.resize(old + BlockSize);
    const qint64 got = m_file.read(m_buffer.data() + old, BlockSize);
    if (got <= 0) {
        m_buffer.resize(old);
        m_eof = true;
        m_failed = got < 0;
        return false;
    }
    m_buffer.resize(old + got);
    return true;
}

bool LineInput::ReadLine(QByteArrayView& line)
{
    qsizetype scanned = 0; // bytes of this line already searched for its end
    for (;;) {
        if (m_skipLeadingLf && m_pos < m_buffer.size()) {
            if (m_buffer[m_pos] == '\n')
                ++m_pos;
            m_skipLeadingLf = false;
        }
        const char* begin = m_buffer.constData() + m_pos;
        const char* end = m_buffer.constData() + m_buffer.size();
        if (const char* lineEnd = findLineEnd(begin + scanned, end)) {
            line = QByteArrayView(begin, lineEnd - begin);
            m_pos = (lineEnd - m_buffer.constData()) + 1;
            m_skipLeadingLf = *lineEnd == '\r';
            return true;
        }
        scanned = end - begin;
        if (!fill()) {
            if (m_failed || m_pos >= m_buffer.size())
                return false;
            line = QByteArrayView(m_buffer).sliced(m_pos);
            m_pos = m_buffer.size();
            return true;
        }
    }
}

} // namespace host
