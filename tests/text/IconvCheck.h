#pragma once
// glibc's iconv as an independent judge of our character tables and of the well-formedness
// of what we write into the document.

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string>
#include <string_view>

// `bytes` converted from `fromCharset` to `toCharset`; nullopt when iconv rejects any of it.
inline std::optional<std::string> IconvConvert(const char* toCharset, const char* fromCharset,
                                               std::string_view bytes) {
    iconv_t cd = iconv_open(toCharset, fromCharset);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv has no conversion " << fromCharset << " -> " << toCharset;
        return std::nullopt;
    }
    std::string in(bytes);
    std::string out(bytes.size() * 8 + 8, '\0');
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t converted = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    // Flush: a stateful decoder may still hold an unfinished sequence.
    const size_t flushed = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    iconv_close(cd);
    if (converted == static_cast<size_t>(-1) || flushed == static_cast<size_t>(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// The code points of well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF);
// nullopt otherwise.
inline std::optional<std::u32string> DecodeUtf8WithIconv(std::string_view bytes) {
    const std::optional<std::string> utf32 = IconvConvert("UTF-32LE", "UTF-8", bytes);
    if (!utf32)
        return std::nullopt;
    std::u32string codePoints;
    for (size_t i = 0; i + 4 <= utf32->size(); i += 4) {
        const auto b = [&](size_t k) {
            return static_cast<char32_t>(static_cast<unsigned char>((*utf32)[i + k]));
        };
        codePoints += b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
    }
    return codePoints;
}

// True when `bytes` can stand as it is inside a double-quoted attribute value
// of a UTF-8 XML document: well-formed UTF-8, XML characters only (tab, CR and LF excluded
// too, as we never write them from input), no raw `<`, `>` or `"`, and `&` only in front of
// one of the four entities we write.
inline ::testing::AssertionResult IsSafeAttributeValue(std::string_view bytes) {
    const std::optional<std::u32string> codePoints = DecodeUtf8WithIconv(bytes);
    if (!codePoints)
        return ::testing::AssertionFailure() << "ill-formed UTF-8";
    for (size_t i = 0; i < codePoints->size(); ++i) {
        const char32_t c = (*codePoints)[i];
        if (c < 0x20 || c == 0xFFFE || c == 0xFFFF)
            return ::testing::AssertionFailure()
                   << "no XML character: U+" << std::hex << static_cast<uint32_t>(c);
        if (c == '<' || c == '>' || c == '"')
            return ::testing::AssertionFailure() << "raw markup character at " << i;
        if (c == '&') {
            const std::u32string_view rest = std::u32string_view(*codePoints).substr(i);
            if (!rest.starts_with(U"&amp;") && !rest.starts_with(U"&lt;") &&
                !rest.starts_with(U"&gt;") && !rest.starts_with(U"&quot;"))
                return ::testing::AssertionFailure() << "bare ampersand at " << i;
        }
    }
    return ::testing::AssertionSuccess();
}
