#pragma once
#include <string>
#include <string_view>

// Text for double-quoted XML attribute values, from bytes that nobody vouches for.

// The lang attribute of a language code from the broadcast: its first two bytes, fewer when
// a zero byte or the end of `code` comes first. Printable ASCII stays as it is (with `"`,
// `&`, `<` and `>` as entities); any other byte becomes U+FFFD. Normal codes come out
// unchanged.
std::string LanguageAttribute(std::string_view code);

// Bytes that are meant to be UTF-8, such as a file path: `&`, `<`, `>` and `"` as entities;
// bytes 0x00-0x1F and every byte that is not part of a well-formed UTF-8 sequence as one
// U+FFFD each; U+FFFE and U+FFFF, which XML does not allow, as one U+FFFD; everything else
// unchanged.
std::string EscapeAttributeText(std::string_view bytes);
