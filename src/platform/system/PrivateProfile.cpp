#include "platform/system/PrivateProfile.h"

#include <cstdint>
#include <fstream>
#include <string_view>

namespace {

constexpr std::string_view blanks = " \t\r\n\f\v";

std::string_view Trim(std::string_view s) {
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    size_t last = s.find_last_not_of(blanks);
    return s.substr(first, last - first + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> GetPrivateProfileValue(const std::string& section,
                                                  const std::string& key,
                                                  const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        return std::nullopt;
    return FindProfileValue(file, section, key);
}

std::optional<std::string> FindProfileValue(std::istream& file, const std::string& section,
                                            const std::string& key) {
    std::string line;
    bool inSection = false;
    bool firstLine = true;
    while (std::getline(file, line)) {
        std::string_view text = line;
        if (firstLine && text.starts_with("\xEF\xBB\xBF"))
            text.remove_prefix(3);  // UTF-8 BOM
        firstLine = false;
        text = Trim(text);
        if (text.empty() || text.front() == ';' || text.front() == '#')
            continue;
        if (text.front() == '[') {
            size_t close = text.find(']');
            inSection = close != std::string_view::npos &&
                        EqualNoCase(Trim(text.substr(1, close - 1)), section);
            continue;
        }
        if (!inSection)
            continue;
        size_t equals = text.find('=');
        if (equals == std::string_view::npos)
            continue;
        if (EqualNoCase(Trim(text.substr(0, equals)), key))
            return std::string(Trim(text.substr(equals + 1)));
    }
    return std::nullopt;
}

int GetPrivateProfileIntA(const char* appName, const char* keyName, int defaultValue,
                          const char* fileName) {
    if (!appName || !keyName || !fileName)
        return defaultValue;
    return ProfileValueAsInt(GetPrivateProfileValue(appName, keyName, fileName), defaultValue);
}

int ProfileValueAsInt(const std::optional<std::string>& value, int defaultValue) {
    if (!value || value->empty())
        return defaultValue;
    std::string_view v = *value;
    bool negative = false;
    if (v.front() == '+' || v.front() == '-') {
        negative = v.front() == '-';
        v.remove_prefix(1);
    }
    uint32_t accumulated = 0;  // wraps modulo 2^32 by design
    for (char c : v) {
        if (c < '0' || c > '9')
            break;
        accumulated = accumulated * 10u + static_cast<uint32_t>(c - '0');
    }
    if (negative)
        accumulated = 0u - accumulated;
    return static_cast<int>(static_cast<int32_t>(accumulated));
}
