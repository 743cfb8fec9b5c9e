#include "support/XmlDocumentCheck.h"

#include <libxml/parser.h>

bool IsWellFormedXmlDocument(const std::string& document) {
    xmlDocPtr doc =
        xmlReadMemory(document.data(), static_cast<int>(document.size()), "document.xml", nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr)
        return false;
    xmlFreeDoc(doc);
    return true;
}
