#pragma once
// Service description table (table ids 0x42 and 0x46): registers services not met before and,
// unless the bouquet numbers the channels, writes their channel elements.

#include <cstdint>

#include "si/SectionParser.h"

// `section` points at the table_id of one whole section of `totalLength` bytes (CRC
// included), already verified. Returns true when at least one service_id not yet known was
// added to parser.services. Nothing is read outside the section, whatever its lengths say.
bool ParseSdtSection(SectionParser& parser, const uint8_t* section, int32_t totalLength);
