#include "text/XmlEscape.h"

#include "text/Utf8.h"

namespace {

// Appends the entity of a byte that XML reserves inside a double-quoted attribute; false for
// any other byte.
bool AppendEntity(char c, std::string& out) {
    switch (c) {
        case '&':
            out += "&amp;";
            return true;
        case '<':
            out += "&lt;";
            return true;
        case '>':
            out += "&gt;";
            return true;
        case '"':
            out += "&quot;";
            return true;
        default:
            return false;
    }
}

// Well-formed UTF-8 that XML still does not accept as a character.
bool IsXmlNonCharacter(std::string_view sequence) {
    return sequence == "\xEF\xBF\xBE" || sequence == "\xEF\xBF\xBF";
}

}  // namespace

std::string LanguageAttribute(std::string_view code) {
    std::string out;
    for (size_t i = 0; i < code.size() && i < 2 && code[i] != '\0'; ++i) {
        const auto byte = static_cast<unsigned char>(code[i]);
        if (byte < 0x20 || byte > 0x7E) {
            out += kUtf8Replacement;
        } else if (!AppendEntity(code[i], out)) {
            out += code[i];
        }
    }
    return out;
}

std::string EscapeAttributeText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    size_t pos = 0;
    while (pos < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        if (byte < 0x20) {
            out += kUtf8Replacement;
            ++pos;
            continue;
        }
        if (byte < 0x80) {
            if (!AppendEntity(bytes[pos], out))
                out += bytes[pos];
            ++pos;
            continue;
        }
        const size_t length = ValidUtf8SequenceLength(bytes, pos);
        if (length == 0) {
            out += kUtf8Replacement;
            ++pos;
            continue;
        }
        const std::string_view sequence = bytes.substr(pos, length);
        if (IsXmlNonCharacter(sequence)) {
            out += kUtf8Replacement;
        } else {
            out += sequence;
        }
        pos += length;
    }
    return out;
}
