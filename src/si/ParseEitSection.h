#pragma once
#include <cstdint>

#include "si/SectionParser.h"

// Turns one EIT section (any table id 0x4E to 0x6F) into programme elements. Only services
// that the SDT registered as running television or radio services with a channel number are
// taken. Each event_id is handled once per service and run: it is recorded when first met,
// and its programme written only when its stop time lies from one day before now to fourteen
// days after it. Returns true when the section added at least one event_id.
//
// totalLength is the whole section, CRC included. An event whose descriptor loop runs past the
// event loop is dropped with the rest of the loop, and has no effect; a total length below 18
// yields false. Nothing is read outside the section.
bool ParseEitSection(SectionParser& parser, const uint8_t* section, int32_t totalLength);
