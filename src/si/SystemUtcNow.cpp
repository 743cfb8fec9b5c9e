#include <chrono>

#include "si/SectionParser.h"

int64_t SystemUtcNow() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}
