#pragma once
#include <string>

// Whether a fragment of the output document (elements, text, CR LF line ends) parses as
// well-formed UTF-8 XML once wrapped in a root element.
bool IsWellFormedXml(const std::string& fragment);
