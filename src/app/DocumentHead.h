#pragma once
#include <cstdio>

// The XML declaration, the document type and the root element's start tag, whose two
// attributes name the configuration file (escaped, so that any path keeps the document
// well-formed).
void WriteDocumentHead(FILE* stream, const char* configPath);
