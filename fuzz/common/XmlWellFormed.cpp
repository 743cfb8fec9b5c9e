#include "common/XmlWellFormed.h"

#include <libxml/parser.h>

#include <string>

namespace {

// libxml2 prints its complaints through this handler; a fuzz run wants silence.
void IgnoreXmlError(void*, const char*, ...) {}

}  // namespace

bool IsWellFormedFragment(std::string_view fragment) {
    static const bool initialised = [] {
        xmlInitParser();
        xmlSetGenericErrorFunc(nullptr, IgnoreXmlError);
        return true;
    }();
    (void)initialised;
    std::string document = "<tv>";
    document.append(fragment);
    document += "</tv>\r\n";
    xmlDocPtr doc =
        xmlReadMemory(document.data(), static_cast<int>(document.size()), "fragment.xml", "UTF-8",
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (doc == nullptr)
        return false;
    xmlFreeDoc(doc);
    return true;
}
