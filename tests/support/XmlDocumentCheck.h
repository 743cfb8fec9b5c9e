#pragma once
#include <string>

// Whether a whole document (declaration, document type, root element) parses as well-formed
// XML. The document type's external DTD is not loaded.
bool IsWellFormedXmlDocument(const std::string& document);
