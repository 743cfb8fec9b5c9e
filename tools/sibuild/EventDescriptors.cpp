#include "sibuild/EventDescriptors.h"

#include <stdexcept>

namespace sibuild {

Bytes ShortEventDescriptor(std::string_view language, std::string_view name,
                           std::string_view text) {
    ByteWriter w;
    w.Append(language).Text8(name).Text8(text);
    return Descriptor(0x4D, w.Take());
}

Bytes ExtendedEventDescriptor(uint8_t number, uint8_t lastNumber, std::string_view language,
                              const std::vector<ExtendedEventItem>& items, std::string_view text) {
    ByteWriter itemBytes;
    for (const ExtendedEventItem& item : items)
        itemBytes.Text8(item.description).Text8(item.item);
    if (itemBytes.Data().size() > 255)
        throw std::length_error("extended event items too long");
    ByteWriter w;
    w.U8(static_cast<uint8_t>((number & 0x0F) << 4 | (lastNumber & 0x0F))).Append(language);
    w.U8(static_cast<uint8_t>(itemBytes.Data().size())).Append(itemBytes.Data()).Text8(text);
    return Descriptor(0x4E, w.Take());
}

Bytes ComponentDescriptor(uint8_t streamContent, uint8_t componentType, std::string_view language,
                          uint8_t streamContentExt, uint8_t componentTag, std::string_view text) {
    ByteWriter w;
    w.U8(static_cast<uint8_t>((streamContentExt & 0x0F) << 4 | (streamContent & 0x0F)));
    w.U8(componentType).U8(componentTag).Append(language).Append(text);
    return Descriptor(0x50, w.Take());
}

Bytes ContentDescriptor(const std::vector<ContentEntry>& entries) {
    ByteWriter w;
    for (const ContentEntry& entry : entries)
        w.U8(entry.nibbles).U8(entry.userByte);
    return Descriptor(0x54, w.Take());
}

Bytes UrlDescriptor(const Bytes& payload) {
    return Descriptor(0xCE, payload);
}

Bytes ParentalRatingDescriptor(const std::vector<std::pair<std::string, uint8_t>>& ratings) {
    ByteWriter w;
    for (const auto& [country, rating] : ratings)
        w.Append(country).U8(rating);
    return Descriptor(0x55, w.Take());
}

}  // namespace sibuild
