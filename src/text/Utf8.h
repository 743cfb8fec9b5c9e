#pragma once
#include <cstddef>
#include <string_view>

// UTF-8 form of a Unicode scalar value (no surrogates, at most U+10FFFF) into `out`, which
// must hold 4 bytes; returns the number of bytes written.
constexpr size_t EncodeUtf8(char32_t codePoint, char* out) {
    if (codePoint < 0x80) {
        out[0] = static_cast<char>(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        out[0] = static_cast<char>(0xC0 | codePoint >> 6);
        out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        out[0] = static_cast<char>(0xE0 | codePoint >> 12);
        out[1] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | codePoint >> 18);
    out[1] = static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
    out[2] = static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
    out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 4;
}

// U+FFFD, the stand-in for a byte or character that cannot be written as it is.
inline constexpr char kUtf8Replacement[] = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence that starts at bytes[pos], or 0 when none does:
// no overlong forms, no surrogates (U+D800-U+DFFF), nothing above U+10FFFF, no truncation.
constexpr size_t ValidUtf8SequenceLength(std::string_view bytes, size_t pos) {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[pos + i]); };
    const auto continuation = [&](size_t i) { return (at(i) & 0xC0) == 0x80; };
    const size_t available = bytes.size() - pos;
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    // Bounds of the second byte narrow for the leads that could start an overlong form, a
    // surrogate or a code point beyond U+10FFFF.
    size_t length = 0;
    unsigned char secondLow = 0x80, secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondLow = 0xA0;
        if (lead == 0xED)
            secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondLow = 0x90;
        if (lead == 0xF4)
            secondHigh = 0x8F;
    } else {
        return 0;  // a continuation byte, C0, C1 or F5-FF
    }
    if (available < length || at(1) < secondLow || at(1) > secondHigh)
        return 0;
    for (size_t i = 2; i < length; ++i) {
        if (!continuation(i))
            return 0;
    }
    return length;
}
