#pragma once
// A full transponder for the benchmarks: one packet in twenty taken in turn from an SI
// carousel, the rest audio and video filler on other PIDs.

#include <cstddef>

#include "sibuild/SectionBuilder.h"

sibuild::Bytes TransponderAround(const sibuild::Bytes& siCarousel, size_t streamBytes);
