#include "support/XmlCheck.h"

#include <libxml/parser.h>

bool IsWellFormedXml(const std::string& fragment) {
    const std::string document = "<root>" + fragment + "</root>";
    xmlDocPtr doc =
        xmlReadMemory(document.data(), static_cast<int>(document.size()), "fragment.xml", "UTF-8",
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr)
        return false;
    xmlFreeDoc(doc);
    return true;
}
