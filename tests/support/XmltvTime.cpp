#include "support/XmltvTime.h"

#include <ctime>

std::string XmltvTimeDigits(int64_t utcSeconds) {
    const time_t t = static_cast<time_t>(utcSeconds);
    tm parts{};
    gmtime_r(&t, &parts);
    char text[32];
    strftime(text, sizeof text, "%Y%m%d%H%M%S", &parts);
    return text;
}
