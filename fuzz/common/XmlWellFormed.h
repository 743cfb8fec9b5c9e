#pragma once
// The fuzz targets' judge of the output: libxml2, as a reader of the guide would parse it.

#include <string_view>

// Whether `fragment` (elements and text as the parsers write them) parses as well-formed UTF-8
// XML inside a root element, as it stands in the real document.
bool IsWellFormedFragment(std::string_view fragment);
