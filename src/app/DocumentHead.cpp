#include "app/DocumentHead.h"

#include <string>

#include "text/XmlEscape.h"

void WriteDocumentHead(FILE* stream, const char* configPath) {
    const std::string name = EscapeAttributeText(configPath);
    fprintf(stream, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
    fprintf(stream, "<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\r\n");
    fprintf(stream,
            "<tv source-info-name=\"DVB Broadcast %s\" generator-info-name=\"DVB EPG Generator "
            "for %s\">\r\n",
            name.c_str(), name.c_str());
}
