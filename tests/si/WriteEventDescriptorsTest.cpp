#include "si/WriteEventDescriptors.h"

#include <gtest/gtest.h>

#include <string>

#include "ParserFixture.h"
#include "sibuild/EventDescriptors.h"

using namespace sibuild;

namespace {

class EventDescriptors : public ParserFixture {
protected:
    std::string Write(const Bytes& loop) {
        const ExactBuffer buffer(loop);
        WriteEventDescriptors(parser, buffer.data(), buffer.size());
        return TakeOutput();
    }
};

const std::string NoDesc = "\t<desc lang=\"\"></desc>\r\n";

struct Case {
    const char* name;
    Bytes loop;
    std::string expected;
};

}  // namespace

TEST_F(EventDescriptors, EachKindWritesItsChildInLoopOrder) {
    const Case cases[] = {
        {"empty loop", {}, NoDesc},
        {"short event", ShortEventDescriptor("eng", "News & Weather", "Daily <live>"),
         "\t<title lang=\"en\">News &amp; Weather</title>\r\n"
         "\t<sub-title lang=\"en\">Daily &lt;live&gt;</sub-title>\r\n" +
             NoDesc},
        {"short event with empty texts", ShortEventDescriptor("eng", "", ""),
         "\t<title lang=\"en\"></title>\r\n\t<sub-title lang=\"en\"></sub-title>\r\n" + NoDesc},
        {"two short events keep their order and languages",
         Concat({ShortEventDescriptor("heb", "A", "B"), ShortEventDescriptor("ger", "C", "D")}),
         "\t<title lang=\"he\">A</title>\r\n\t<sub-title lang=\"he\">B</sub-title>\r\n"
         "\t<title lang=\"ge\">C</title>\r\n\t<sub-title lang=\"ge\">D</sub-title>\r\n" +
             NoDesc},
        {"extended events joined, last language wins, items left out",
         Concat({ExtendedEventDescriptor(0, 2, "eng", {{"Director", "Smith"}}, "A"),
                 ExtendedEventDescriptor(1, 2, "eng", {}, "B"),
                 ExtendedEventDescriptor(2, 2, "fre", {}, "C")}),
         "\t<desc lang=\"fr\">ABC</desc>\r\n"},
        {"video, stream_content_ext ignored", ComponentDescriptor(0x01, 0x03, "eng", 0x0F),
         "\t<video>\r\n\t\t<aspect>0x03</aspect>\r\n\t</video>\r\n" + NoDesc},
        {"video of stream_content 5", ComponentDescriptor(0x05, 0x0B, "eng"),
         "\t<video>\r\n\t\t<aspect>0x0B</aspect>\r\n\t</video>\r\n" + NoDesc},
        {"audio of stream_content 2, 4, 6, 7",
         Concat({ComponentDescriptor(0x02, 0x03, "eng"), ComponentDescriptor(0x04, 0x41, "eng"),
                 ComponentDescriptor(0x06, 0x01, "eng"), ComponentDescriptor(0x07, 0xFE, "eng")}),
         "\t<audio>\r\n\t\t<stereo>0x03</stereo>\r\n\t</audio>\r\n"
         "\t<audio>\r\n\t\t<stereo>0x41</stereo>\r\n\t</audio>\r\n"
         "\t<audio>\r\n\t\t<stereo>0x01</stereo>\r\n\t</audio>\r\n"
         "\t<audio>\r\n\t\t<stereo>0xFE</stereo>\r\n\t</audio>\r\n" +
             NoDesc},
        {"subtitles onscreen and teletext",
         Concat({ComponentDescriptor(0x03, 0x01, "heb"), ComponentDescriptor(0x03, 0x10, "eng"),
                 ComponentDescriptor(0x03, 0x20, "rus")}),
         "\t<subtitles type=\"onscreen\">\r\n\t\t<language lang=\"he\"/>\r\n\t</subtitles>\r\n"
         "\t<subtitles type=\"teletext\">\r\n\t\t<language lang=\"en\"/>\r\n\t</subtitles>\r\n"
         "\t<subtitles type=\"teletext\">\r\n\t\t<language lang=\"ru\"/>\r\n\t</subtitles>\r\n" +
             NoDesc},
        {"stream_content 0 and 8 to 15 write nothing",
         Concat({ComponentDescriptor(0x00, 0x01, "eng"), ComponentDescriptor(0x08, 0x01, "eng"),
                 ComponentDescriptor(0x0F, 0x01, "eng")}),
         NoDesc},
        {"content: user byte before genre, zero bytes skipped",
         ContentDescriptor({{0x20, 0x00}, {0x10, 0x05}, {0x00, 0x00}}),
         "\t<category>0x20</category>\r\n\t<category>0x05</category>\r\n"
         "\t<category>0x10</category>\r\n" +
             NoDesc},
        {"content of odd length reads whole entries only", Descriptor(0x54, {0xA1, 0x00, 0x33}),
         "\t<category>0xA1</category>\r\n" + NoDesc},
        {"url as hex digits", UrlDescriptor({0x41, 0x0A}), "\t<url>410A</url>\r\n" + NoDesc},
        {"empty url", UrlDescriptor({}), "\t<url></url>\r\n" + NoDesc},
        {"parental rating and unknown tags write nothing",
         Concat({ParentalRatingDescriptor({{"GBR", 0x09}}), Descriptor(0x4D + 0x80, {1, 2, 3}),
                 Descriptor(0x00, {})}),
         NoDesc},
        {"mixed kinds stand in loop order with desc last",
         Concat({ContentDescriptor({{0x10, 0x00}}),
                 ExtendedEventDescriptor(0, 0, "eng", {}, "Plot"),
                 ShortEventDescriptor("eng", "T", "S"), UrlDescriptor({0xFF}),
                 ComponentDescriptor(0x02, 0x03, "eng")}),
         "\t<category>0x10</category>\r\n"
         "\t<title lang=\"en\">T</title>\r\n\t<sub-title lang=\"en\">S</sub-title>\r\n"
         "\t<url>FF</url>\r\n"
         "\t<audio>\r\n\t\t<stereo>0x03</stereo>\r\n\t</audio>\r\n"
         "\t<desc lang=\"en\">Plot</desc>\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Write(c.loop), c.expected) << c.name;
}

TEST_F(EventDescriptors, TextsAreDecodedWithTheirOwnLanguage) {
    // 0xE0 is alef in ISO/IEC 8859-8 and a-grave in Windows-1252; 0xC0 is U+0420 in 8859-5.
    const Bytes loop = Concat({ShortEventDescriptor("heb", "\xE0", "\xE0"),
                               ShortEventDescriptor("eng", "\xE0", ""),
                               ExtendedEventDescriptor(0, 1, "eng", {}, "\xE0"),
                               ExtendedEventDescriptor(1, 1, "rus", {}, "\xC0")});
    EXPECT_EQ(
        Write(loop),
        "\t<title lang=\"he\">\xD7\x90</title>\r\n\t<sub-title lang=\"he\">\xD7\x90</sub-title>\r\n"
        "\t<title lang=\"en\">\xC3\xA0</title>\r\n\t<sub-title lang=\"en\"></sub-title>\r\n"
        "\t<desc lang=\"ru\">\xC3\xA0\xD0\xA0</desc>\r\n");
}

TEST_F(EventDescriptors, InnerLengthsAreBoundedByTheLoopNotTheDescriptor) {
    // A short event whose descriptor_length covers only its language and name length byte:
    // its name and text are still read from the bytes after it, as far as the loop reaches.
    // The walk then steps by descriptor_length and meets those bytes again as descriptors.
    const Bytes loop = {0x4D, 0x04, 'e', 'n', 'g', 0x02,  // descriptor_length 4
                        0xCE, 0x00,                       // name "\xCE\0" (dropped control byte),
                                                          // then an empty url descriptor
                        0x00, 0x00};                      // text_length 0; a tag-0 descriptor
    EXPECT_EQ(Write(loop),
              "\t<title lang=\"en\">\xC3\x8E</title>\r\n\t<sub-title lang=\"en\"></sub-title>\r\n"
              "\t<url></url>\r\n" +
                  NoDesc);
}

TEST_F(EventDescriptors, FaultyDescriptorDropsItselfAndTheRestButNotTheDesc) {
    const Bytes title = ShortEventDescriptor("eng", "Kept", "");
    const std::string kept =
        "\t<title lang=\"en\">Kept</title>\r\n\t<sub-title lang=\"en\"></sub-title>\r\n";
    const Bytes text = ExtendedEventDescriptor(0, 1, "eng", {}, "Before");
    const std::string keptDesc = "\t<desc lang=\"en\">Before</desc>\r\n";
    const Case cases[] = {
        {"a lone tag byte at the end", Concat({title, {0x4D}}), kept + NoDesc},
        {"descriptor_length past the loop", Concat({title, {0xCE, 0x05, 0x41, 0x42}}),
         kept + NoDesc},
        {"short event name past the loop", Concat({title, {0x4D, 0x05, 'e', 'n', 'g', 0x09, 'X'}}),
         kept + NoDesc},
        {"short event text length byte past the loop",
         Concat({title, {0x4D, 0x05, 'e', 'n', 'g', 0x01, 'X'}}), kept + NoDesc},
        {"extended event text past the loop keeps earlier texts",
         Concat({text, {0x4E, 0x06, 0x11, 'e', 'n', 'g', 0x00, 0x05, 'a'}}), keptDesc},
        {"extended event items past the loop",
         Concat({text, {0x4E, 0x05, 0x11, 'e', 'n', 'g', 0x40}}), keptDesc},
        {"subtitle language past the loop", Concat({title, {0x50, 0x02, 0x03, 0x10}}),
         kept + NoDesc},
        {"video component_type past the loop", Concat({title, {0x50, 0x01, 0x01}}), kept + NoDesc},
        {"component without stream_content", Concat({title, {0x50, 0x00}}), kept + NoDesc},
        {"a faulty descriptor drops sound ones after it", Concat({{0x4D, 0x00}, title}), NoDesc},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Write(c.loop), c.expected) << c.name;
}
