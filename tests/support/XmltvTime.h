#pragma once
// The XMLTV start/stop text of a UTC time, made independently of the program's formatter so
// that end-to-end expectations do not lean on the code they check.

#include <cstdint>
#include <string>

// "YYYYMMDDhhmmss"
std::string XmltvTimeDigits(int64_t utcSeconds);
