// What every fuzz target shares: a bounded reader over the fuzzer's bytes and
// the check that turns a broken promise of the code under test into a
// finding.
//
// FuzzBytes never reads past its input: once the bytes run out every read
// answers zeros or empty texts, so a decoder built on it is total. It does
// not own the bytes; they must outlive it. One thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

class FuzzBytes {
public:
    FuzzBytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    size_t Remaining() const { return m_size - m_at; }
    bool Exhausted() const { return m_at == m_size; }

    uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    bool Bit() { return (Byte() & 1) != 0; }
    uint16_t Word() {
        const uint16_t low = Byte();
        return static_cast<uint16_t>(low | Byte() << 8);
    }
    uint32_t Dword() {
        const uint32_t low = Word();
        return low | uint32_t{Word()} << 16;
    }

    // Up to `count` bytes, fewer when the input ends first.
    std::string Take(size_t count) {
        const size_t n = count < Remaining() ? count : Remaining();
        std::string bytes(reinterpret_cast<const char*>(m_data + m_at), n);
        m_at += n;
        return bytes;
    }

    // The bytes up to the next NUL, which is consumed and not returned, or
    // up to the end; at most `limit` bytes (the rest of the piece is then
    // left for the next read).
    std::string Piece(size_t limit = SIZE_MAX) {
        std::string piece;
        while (m_at < m_size && piece.size() < limit) {
            const char byte = static_cast<char>(m_data[m_at++]);
            if (byte == '\0') return piece;
            piece += byte;
        }
        return piece;
    }

    // A length byte (255: a 16-bit length follows), then that many bytes.
    std::string Block() {
        const uint8_t length = Byte();
        return Take(length == kLongBlock ? Word() : length);
    }

    std::string Rest() { return Take(Remaining()); }

    static const uint8_t kLongBlock = 255;

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// A small signed number from one byte: mostly -20 to 179, the rest the
// boundary values that index arguments are checked against.
inline int SmallNumber(uint8_t byte) {
    static const int kEdges[] = {INT32_MIN, INT32_MIN + 1, -1000, -2, -1, 0, 1, 38, 39, 40, 41,
                                 98, 99, 100, 101, 255, 256, 0x3011, 0x4000, 65535, 65536, INT32_MAX - 1,
                                 INT32_MAX};
    const size_t kEdgeCount = sizeof kEdges / sizeof kEdges[0];
    if (byte < 200) return byte - 20;
    return kEdges[(byte - 200) % kEdgeCount];
}

// A promise of the code under test did not hold: report and stop, so that
// libFuzzer keeps the input.
inline void Require(bool holds, const char* promise) {
    if (holds) return;
    std::fprintf(stderr, "fuzz finding: %s\n", promise);
    std::abort();
}

}  // namespace fuzz
