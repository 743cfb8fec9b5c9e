#pragma once
// Walks the sections of one media sample in order, verifies each one's CRC and hands every
// valid section of a parsed table to its parser.

#include <cstdint>

#include "si/SectionParser.h"

// `buffer` holds `length` bytes of sections back to back. Returns true when any parser
// reported new data. A partial header or a section running past the end ends the walk;
// sections too short for a CRC, with a wrong CRC or of other tables are skipped.
bool DispatchSections(const uint8_t* buffer, int32_t length, SectionParser& parser);
