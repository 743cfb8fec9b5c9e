#pragma once
// The one way broadcast bytes are read. Every read is bounds-checked: the first read past
// the end puts the reader in a failed state in which every later read yields 0 and moves
// nothing, so a parser reads a whole structure and checks Ok() once where it matters.
// Scope(n) narrows reading to a declared length (a loop, a descriptor body) while the
// parent steps past it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

class ByteReader {
public:
    ByteReader() = default;
    ByteReader(const uint8_t* data, size_t size) : pos(data), end(data + size) {}
    explicit ByteReader(std::span<const uint8_t> bytes)
        : ByteReader(bytes.data(), bytes.size()) {}

    bool Ok() const { return !failed; }
    size_t Remaining() const { return static_cast<size_t>(end - pos); }
    // Ok and every byte consumed: a loop walked to exactly its declared length.
    bool AtEnd() const { return !failed && pos == end; }
    const uint8_t* Position() const { return pos; }

    uint8_t U8() { return Need(1) ? *pos++ : 0; }
    uint16_t U16() {
        if (!Need(2)) return 0;
        uint16_t v = static_cast<uint16_t>(pos[0] << 8 | pos[1]);
        pos += 2;
        return v;
    }
    uint32_t U24() {
        if (!Need(3)) return 0;
        uint32_t v = uint32_t{pos[0]} << 16 | uint32_t{pos[1]} << 8 | pos[2];
        pos += 3;
        return v;
    }
    uint32_t U32() {
        if (!Need(4)) return 0;
        uint32_t v = uint32_t{pos[0]} << 24 | uint32_t{pos[1]} << 16 | uint32_t{pos[2]} << 8 |
                     pos[3];
        pos += 4;
        return v;
    }
    // The low 12 bits of a 16-bit field: the length fields of DVB SI.
    uint16_t Length12() { return U16() & 0x0FFF; }

    // n bytes as they stand; empty (and failed) when fewer remain.
    std::span<const uint8_t> Bytes(size_t n) {
        if (!Need(n)) return {};
        std::span<const uint8_t> out(pos, n);
        pos += n;
        return out;
    }
    std::string_view Text(size_t n) {
        auto b = Bytes(n);
        return {reinterpret_cast<const char*>(b.data()), b.size()};
    }
    void Skip(size_t n) {
        if (Need(n)) pos += n;
    }

    // The next n bytes as a reader of their own; this reader moves past them. When fewer than
    // n remain, both readers fail: the item that declared the length is faulty.
    ByteReader Scope(size_t n) {
        if (!Need(n)) return Failed();
        ByteReader inner(pos, n);
        pos += n;
        return inner;
    }
    // A reader over what is left, leaving this one where it is (to read ahead).
    ByteReader Rest() const { return failed ? Failed() : ByteReader(pos, Remaining()); }

private:
    static ByteReader Failed() {
        ByteReader r;
        r.failed = true;
        return r;
    }
    bool Need(size_t n) {
        if (failed || n > Remaining()) {
            failed = true;
            pos = end;
            return false;
        }
        return true;
    }

    const uint8_t* pos = nullptr;
    const uint8_t* end = nullptr;
    bool failed = false;
};
