#pragma once
// The INI reader: a section "[Name]", lines "key = value", comments starting with ';' or
// '#'. Section and key names are case-insensitive; the first occurrence of a key counts.
// The file is read anew on every call, as the configuration is read once per key.

#include <istream>
#include <optional>
#include <string>

// The key's value read as blanks, an optional sign and decimal digits up to the first other
// character (no digit: 0), accumulated modulo 2^32; the default when the file, the section or
// the key is missing or the value is empty.
int GetPrivateProfileIntA(const char* appName, const char* keyName, int defaultValue,
                          const char* fileName);

// The key's value, blanks trimmed; nothing when the file, section or key is missing.
std::optional<std::string> GetPrivateProfileValue(const std::string& section,
                                                  const std::string& key,
                                                  const std::string& fileName);

// The same reading over text already in memory: the files above are read through these.
std::optional<std::string> FindProfileValue(std::istream& text, const std::string& section,
                                            const std::string& key);
// A value as GetPrivateProfileIntA reads it; the default for none or an empty value.
int ProfileValueAsInt(const std::optional<std::string>& value, int defaultValue);
