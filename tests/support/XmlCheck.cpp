#include "support/XmlCheck.h"

#include <libxml/parser.h>

namespace {

// libxml2 reports some faults through its generic handler whatever the parse options say; a
// check (and a fuzz run) wants only the verdict.
void IgnoreXmlError(void*, const char*, ...) {}

}  // namespace

bool IsWellFormedXml(const std::string& fragment) {
    static const bool initialised = [] {
        xmlInitParser();
        xmlSetGenericErrorFunc(nullptr, IgnoreXmlError);
        return true;
    }();
    (void)initialised;
    const std::string document = "<root>" + fragment + "</root>";
    xmlDocPtr doc =
        xmlReadMemory(document.data(), static_cast<int>(document.size()), "fragment.xml", "UTF-8",
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr)
        return false;
    xmlFreeDoc(doc);
    return true;
}
