#include "si/WriteEventDescriptors.h"

#include <string>
#include <string_view>

#include "si/ByteReader.h"
#include "text/DecodeDvbString.h"
#include "text/XmlEscape.h"

namespace {

constexpr uint8_t ShortEventTag = 0x4D;
constexpr uint8_t ExtendedEventTag = 0x4E;
constexpr uint8_t ComponentTag = 0x50;
constexpr uint8_t ContentTag = 0x54;
constexpr uint8_t UrlTag = 0xCE;

void AppendHexByte(std::string& out, uint8_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out += "0x";
    out += digits[value >> 4];
    out += digits[value & 0x0F];
}

void AppendCategory(std::string& out, uint8_t value) {
    out += "\t<category>";
    AppendHexByte(out, value);
    out += "</category>\r\n";
}

// Title and sub-title. Returns false when the descriptor needs bytes past the loop.
bool WriteShortEvent(std::string& out, std::string& decoded, ByteReader fields) {
    const std::string_view language = fields.Text(3);
    const std::string_view name = fields.Text(fields.U8());
    const std::string_view text = fields.Text(fields.U8());
    if (!fields.Ok())
        return false;

    const std::string lang = LanguageAttribute(language);
    DecodeDvbString(language, name, decoded);
    out.append("\t<title lang=\"")
        .append(lang)
        .append("\">")
        .append(decoded)
        .append("</title>\r\n");
    DecodeDvbString(language, text, decoded);
    out.append("\t<sub-title lang=\"")
        .append(lang)
        .append("\">")
        .append(decoded)
        .append("</sub-title>\r\n");
    return true;
}

bool WriteComponent(std::string& out, ByteReader fields) {
    const uint8_t streamContent = fields.U8() & 0x0F;
    if (!fields.Ok())
        return false;
    switch (streamContent) {
        case 1:
        case 5: {
            const uint8_t componentType = fields.U8();
            if (!fields.Ok())
                return false;
            out += "\t<video>\r\n\t\t<aspect>";
            AppendHexByte(out, componentType);
            out += "</aspect>\r\n\t</video>\r\n";
            break;
        }
        case 2:
        case 4:
        case 6:
        case 7: {
            const uint8_t componentType = fields.U8();
            if (!fields.Ok())
                return false;
            out += "\t<audio>\r\n\t\t<stereo>";
            AppendHexByte(out, componentType);
            out += "</stereo>\r\n\t</audio>\r\n";
            break;
        }
        case 3: {
            const uint8_t componentType = fields.U8();
            fields.Skip(1);  // component_tag
            const std::string_view language = fields.Text(3);
            if (!fields.Ok())
                return false;
            out += "\t<subtitles type=\"";
            out += componentType >= 0x10 ? "teletext" : "onscreen";
            out.append("\">\r\n\t\t<language lang=\"")
                .append(LanguageAttribute(language))
                .append("\"/>\r\n\t</subtitles>\r\n");
            break;
        }
        default:
            break;
    }
    return true;
}

void WriteContent(std::string& out, ByteReader payload) {
    for (size_t entries = payload.Remaining() / 2; entries > 0; --entries) {
        const uint8_t genre = payload.U8();
        const uint8_t user = payload.U8();
        // The user byte of an entry comes before its genre byte.
        if (user != 0)
            AppendCategory(out, user);
        if (genre != 0)
            AppendCategory(out, genre);
    }
}

void WriteUrl(std::string& out, ByteReader payload) {
    static constexpr char digits[] = "0123456789ABCDEF";
    out += "\t<url>";
    while (payload.Remaining() > 0) {
        const uint8_t b = payload.U8();
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    out += "</url>\r\n";
}

}  // namespace

void WriteEventDescriptors(SectionParser& parser, const uint8_t* descriptors, int32_t length) {
    // The element's children are gathered and written at once; the buffers are kept for the
    // next event, as the streaming thread writes programme after programme.
    thread_local std::string out;
    thread_local std::string description;
    thread_local std::string decoded;
    out.clear();
    description.clear();
    std::string_view descriptionLanguage;

    ByteReader loop(descriptors, length > 0 ? static_cast<size_t>(length) : 0);
    while (loop.Remaining() > 0) {
        const uint8_t tag = loop.U8();
        const uint8_t descriptorLength = loop.U8();
        // Fields are read from the payload onward up to the loop's end; the payload itself
        // must lie inside the loop.
        const ByteReader fields = loop.Rest();
        const ByteReader payload = loop.Scope(descriptorLength);
        if (!loop.Ok())
            break;

        bool sound = true;
        switch (tag) {
            case ShortEventTag:
                sound = WriteShortEvent(out, decoded, fields);
                break;
            case ExtendedEventTag: {
                ByteReader r = fields;
                r.Skip(1);  // descriptor_number, last_descriptor_number
                const std::string_view language = r.Text(3);
                r.Skip(r.U8());  // the items never reach the output
                const std::string_view text = r.Text(r.U8());
                sound = r.Ok();
                if (sound) {
                    DecodeDvbString(language, text, decoded);
                    description += decoded;
                    descriptionLanguage = language;
                }
                break;
            }
            case ComponentTag:
                sound = WriteComponent(out, fields);
                break;
            case ContentTag:
                WriteContent(out, payload);
                break;
            case UrlTag:
                WriteUrl(out, payload);
                break;
            default:
                break;
        }
        if (!sound)
            break;
    }

    out.append("\t<desc lang=\"")
        .append(LanguageAttribute(descriptionLanguage))
        .append("\">")
        .append(description)
        .append("</desc>\r\n");
    fwrite(out.data(), 1, out.size(), parser.outputStream);
}
