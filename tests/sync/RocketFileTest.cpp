#include "sync/RocketFile.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

using namespace Nimbra;
using namespace Nimbra::Sync;

namespace {

struct Parsed {
    bool ok = false;
    RocketDocument document;
    RocketError error;
};

Parsed parse(const std::string& text)
{
    Parsed parsed;
    parsed.ok = parseRocketFile(text.data(), text.size(), parsed.document, parsed.error);
    return parsed;
}

std::string keysOf(const RocketTrack& track)
{
    std::string text;
    for (const Keyframe& key : track.keys) {
        char item[64];
        std::snprintf(item, sizeof item, "%u=%.9g/%d ", key.row, double(key.value), key.interpolation);
        text += item;
    }
    return text;
}

uint32_t bitsOf(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

} // namespace

TEST(RocketFileReader, ReadsTheQtEditorsLayout)
{
    // Attribute order is whatever the editor's DOM produced; empty tracks and bookmarks included.
    const Parsed parsed = parse("<sync rows=\"10000\">\n"
                                "\t<tracks>\n"
                                "\t\t<track name=\"camera:rot.y\">\n"
                                "\t\t\t<key value=\"1.5\" row=\"0\" interpolation=\"1\"/>\n"
                                "\t\t\t<key interpolation=\"3\" row=\"16\" value=\"-3\"/>\n"
                                "\t\t</track>\n"
                                "\t\t<track name=\"empty\"/>\n"
                                "\t</tracks>\n"
                                "\t<bookmarks>\n"
                                "\t\t<bookmark row=\"32\"/>\n"
                                "\t</bookmarks>\n"
                                "</sync>\n");
    ASSERT_TRUE(parsed.ok) << parsed.error.line << ": " << parsed.error.message;
    EXPECT_EQ(parsed.document.rows, 10000u);
    ASSERT_EQ(parsed.document.tracks.size(), 2u);
    EXPECT_EQ(parsed.document.tracks[0].name, "camera:rot.y");
    EXPECT_EQ(parsed.document.tracks[0].line, 3u);
    EXPECT_EQ(keysOf(parsed.document.tracks[0]), "0=1.5/1 16=-3/3 ");
    EXPECT_EQ(parsed.document.tracks[1].name, "empty");
    EXPECT_EQ(parsed.document.tracks[1].line, 7u);
    EXPECT_TRUE(parsed.document.tracks[1].keys.empty());
}

TEST(RocketFileReader, ReadsTheOpenGlEditorsLayout)
{
    const Parsed parsed = parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<rootElement>\n"
                                "\t<bookmark row=\"8\" />\n"
                                "\t<group name=\"camera\" />\n"
                                "\t<tracks rows=\"10000\" startRow=\"0\" endRow=\"10000\" rowsPerBeat=\"8\">\n"
                                "\t\t<track name=\"camera:x\" folded=\"1\" muteKeyCount=\"0\" color=\"ffb27474\">\n"
                                "\t\t\t<key row=\"0\" value=\"0.000000\" interpolation=\"0\" />\n"
                                "\t\t\t<key row=\"12\" value=\"11.600000\" interpolation=\"4\" />\n"
                                "\t\t</track>\n"
                                "\t</tracks>\n"
                                "</rootElement>\n");
    ASSERT_TRUE(parsed.ok) << parsed.error.line << ": " << parsed.error.message;
    EXPECT_EQ(parsed.document.rows, 10000u);
    ASSERT_EQ(parsed.document.tracks.size(), 1u);
    EXPECT_EQ(parsed.document.tracks[0].line, 6u);
    EXPECT_EQ(keysOf(parsed.document.tracks[0]), "0=0/0 12=11.6000004/4 ");
}

TEST(RocketFileReader, ReadsTracksAsTheRootWithWindowsLineEndsAndCommentsAndABom)
{
    const Parsed parsed = parse("\xEF\xBB\xBF<!-- saved by hand -->\r\n"
                                "<!DOCTYPE tracks>\r\n"
                                "<tracks rows='128'>\r\n"
                                "  <track name='a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos; &#65;&#x42;&#xe9;'>\r\n"
                                "    <!-- a comment between keys -->\r\n"
                                "    <key row = '5' value = '+2.5e-1' interpolation = '2' ></key>\r\n"
                                "  </track >\r\n"
                                "</tracks>\r\n"
                                "<?trailing instruction?>\r\n");
    ASSERT_TRUE(parsed.ok) << parsed.error.line << ": " << parsed.error.message;
    EXPECT_EQ(parsed.document.rows, 128u);
    ASSERT_EQ(parsed.document.tracks.size(), 1u);
    EXPECT_EQ(parsed.document.tracks[0].name, "a & b <c> \"d\" 'e' AB\xC3\xA9");
    EXPECT_EQ(parsed.document.tracks[0].line, 4u);
    EXPECT_EQ(keysOf(parsed.document.tracks[0]), "5=0.25/2 ");
}

TEST(RocketFileReader, SortsKeysWrittenOutOfOrder)
{
    const Parsed parsed = parse("<tracks><track name=\"t\">"
                                "<key row=\"9\" value=\"3\" interpolation=\"0\"/>"
                                "<key row=\"1\" value=\"1\" interpolation=\"0\"/>"
                                "<key row=\"4\" value=\"2\" interpolation=\"0\"/>"
                                "</track></tracks>");
    ASSERT_TRUE(parsed.ok) << parsed.error.message;
    EXPECT_EQ(keysOf(parsed.document.tracks[0]), "1=1/0 4=2/0 9=3/0 ");
}

TEST(RocketFileReader, RefusesWhatItCannotReadWithTheLine)
{
    struct Case {
        const char* text;
        uint32_t line;
        const char* says;
    };
    const std::string head = "<sync rows=\"8\">\n<tracks>\n<track name=\"t\">\n";  // key lines start at 4
    const Case cases[] = {
        {"<key row=\"1\" value=\"1\"/>", 4, "without an interpolation"},
        {"<key value=\"1\" interpolation=\"0\"/>", 4, "without a row"},
        {"<key row=\"-1\" value=\"1\" interpolation=\"0\"/>", 4, "row \"-1\""},
        {"<key row=\"16777217\" value=\"1\" interpolation=\"0\"/>", 4, "row \"16777217\""},
        {"<key row=\"1.5\" value=\"1\" interpolation=\"0\"/>", 4, "row \"1.5\""},
        {"<key row=\"\" value=\"1\" interpolation=\"0\"/>", 4, "row \"\""},
        {"<key row=\"1\" value=\"nan\" interpolation=\"0\"/>", 4, "value \"nan\""},
        {"<key row=\"1\" value=\"inf\" interpolation=\"0\"/>", 4, "value \"inf\""},
        {"<key row=\"1\" value=\"1e39\" interpolation=\"0\"/>", 4, "value \"1e39\""},
        {"<key row=\"1\" value=\"1,5\" interpolation=\"0\"/>", 4, "value \"1,5\""},
        {"<key row=\"1\" value=\"0x10\" interpolation=\"0\"/>", 4, "value \"0x10\""},
        {"<key row=\"1\" value=\"\" interpolation=\"0\"/>", 4, "value \"\""},
        {"<key row=\"1\" value=\"1\" interpolation=\"5\"/>", 4, "interpolation \"5\""},
        {"<key row=\"1\" value=\"1\" interpolation=\"-1\"/>", 4, "interpolation \"-1\""},
        {"\n<key row=\"1\" value=\"1\" interpolation=\"0\"/>\n<key row=\"1\" value=\"2\" interpolation=\"0\"/>", 6,
         "two keys on row 1"},
        {"<key row=\"3\" value=\"1\" interpolation=\"0\"/>\n<key row=\"1\" value=\"2\" interpolation=\"0\"/>\n"
         "<key row=\"3\" value=\"2\" interpolation=\"0\"/>",
         6, "two keys on row 3"},
        {"<key row=\"1\" value=\"1\" value=\"2\" interpolation=\"0\"/>", 4, "appears twice"},
        {"<key row=\"1\" value=\"1\" interpolation=\"0\"><x/></key>", 4, "inside <key>"},
        {"<value/>", 4, "only <key>"},
        {"some text", 4, "unexpected text"},
        {"<key row=\"1\" value=\"1\" interpolation=\"0\">", 5, "</track> where </key>"},
        {"<key row=\"1&x;\" value=\"1\" interpolation=\"0\"/>", 4, "unknown entity"},
        {"<key row=\"1&#0;\" value=\"1\" interpolation=\"0\"/>", 4, "not a character"},
        {"<key row=\"1 & 2\" value=\"1\" interpolation=\"0\"/>", 4, "does not start an entity"},
        {"<key row=\"<\" value=\"1\" interpolation=\"0\"/>", 4, "'<' inside"},
        {"<key row=1 value=\"1\" interpolation=\"0\"/>", 4, "quoted value"},
        {"<key row=\"1\"value=\"1\" interpolation=\"0\"/>", 4, "space before"},
        {"<![CDATA[x]]>", 4, "CDATA"},
        {"<", 4, "name after '<'"},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(head + c.text + "\n</track>\n</tracks>\n</sync>\n");
        EXPECT_FALSE(parsed.ok) << c.text;
        EXPECT_EQ(parsed.error.line, c.line) << c.text << " -> " << parsed.error.message;
        EXPECT_NE(parsed.error.message.find(c.says), std::string::npos) << c.text << " -> " << parsed.error.message;
    }
}

TEST(RocketFileReader, RefusesFilesOfTheWrongShape)
{
    struct Case {
        std::string text;
        uint32_t line;
        const char* says;
    };
    const Case cases[] = {
        {"", 0, "no elements"},
        {"   \n  ", 0, "no elements"},
        {"<sync rows=\"8\"><bookmarks/></sync>", 0, "no <tracks>"},
        {"<sync><track name=\"t\"/></sync>", 0, "no <tracks>"},  // a track outside <tracks>
        {"<tracks>\n<track/>\n</tracks>", 2, "without a name"},
        {"<tracks>\n<track name=\"\"/>\n</tracks>", 2, "without a name"},
        {"<tracks>\n<track name=\"a\"/>\n<track name=\"a\"/>\n</tracks>", 3, "appears twice (first on line 2)"},
        {"<tracks>\n<key row=\"1\" value=\"1\" interpolation=\"0\"/>\n</tracks>", 2, "only <track>"},
        {"<tracks>\n<track name=\"a\">\n", 3, "ends inside <track>"},
        {"<tracks></sync>", 1, "</sync> where </tracks>"},
        {"<tracks/>\n<tracks/>", 2, "second root"},
        {"<tracks/>\ntext", 2, "unexpected text"},
        {"</tracks>", 1, "closes nothing"},
        {"<tracks><!-- open", 1, "ends inside a comment"},
        {"<tracks name=\"a", 1, "ends inside the value"},
        {"<tracks\n", 2, "ends inside a tag"},
        {"<tracks/>\n<!DOCTYPE x>", 2, "after the root"},
        {"<!DOCTYPE x [ <!ENTITY e \"v\"> ]>\n<tracks/>", 1, "own declarations"},
        {std::string("<tracks>\0</tracks>", 18), 1, "NUL"},
        {"\xFF\xFE<\0t\0", 1, "UTF-16"},
    };
    for (const Case& c : cases) {
        const Parsed parsed = parse(c.text);
        EXPECT_FALSE(parsed.ok) << c.text;
        EXPECT_EQ(parsed.error.line, c.line) << c.text << " -> " << parsed.error.message;
        EXPECT_NE(parsed.error.message.find(c.says), std::string::npos) << c.text << " -> " << parsed.error.message;
    }
}

TEST(RocketFileReader, LimitsNestingAndKeysPerTrack)
{
    std::string deep;
    for (int i = 0; i < 100; ++i)
        deep += "<a>";
    const Parsed nested = parse(deep);
    EXPECT_FALSE(nested.ok);
    EXPECT_NE(nested.error.message.find("nested"), std::string::npos) << nested.error.message;

    std::string many = "<tracks><track name=\"t\">\n";
    for (uint32_t row = 0; row <= 65536; ++row)
        many += "<key row=\"" + std::to_string(row) + "\" value=\"0\" interpolation=\"0\"/>\n";
    const Parsed full = parse(many + "</track></tracks>");
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.error.line, 65538u);
    EXPECT_NE(full.error.message.find("more than 65536 keys"), std::string::npos) << full.error.message;
}

TEST(RocketFileWriter, WritesTheEditorsLayout)
{
    Timeline timeline;
    timeline.curves.resize(3);
    timeline.curves.at(0)->keys.push(Keyframe{0, 11.6f, 0});
    timeline.curves.at(0)->keys.push(Keyframe{256, -0.5f, 4});
    timeline.curves.at(2)->keys.push(Keyframe{7, 1e-7f, 1});
    const char* const names[] = {"CameraPosX", "KRNSIZE", "a&b"};
    std::string out, error;
    ASSERT_TRUE(writeRocketFile(timeline, names, 3, 2176, out, error)) << error;
    EXPECT_EQ(out, "<sync rows=\"2176\">\n"
                   "\t<tracks>\n"
                   "\t\t<track name=\"CameraPosX\">\n"
                   "\t\t\t<key row=\"0\" value=\"11.6000004\" interpolation=\"0\"/>\n"
                   "\t\t\t<key row=\"256\" value=\"-0.5\" interpolation=\"4\"/>\n"
                   "\t\t</track>\n"
                   "\t\t<track name=\"KRNSIZE\"/>\n"
                   "\t\t<track name=\"a&amp;b\">\n"
                   "\t\t\t<key row=\"7\" value=\"1.00000001e-07\" interpolation=\"1\"/>\n"
                   "\t\t</track>\n"
                   "\t</tracks>\n"
                   "</sync>\n");
}

TEST(RocketFileWriter, EveryFloatAndNameReadsBackExactly)
{
    const float values[] = {0.0f,       -0.0f,    0.1f,          1.0f / 3.0f,   11.6f,     -5000.0f,  147.3f,
                            FLT_MAX,    -FLT_MAX, FLT_MIN,       1.4e-45f,      -1.4e-45f, 16777217.0f,
                            0.0001f,    728000.0f, 3.40282e38f,  1.17549e-38f,  2.5e-05f,  123456789.0f};
    const char* const names[] = {"plain", "a&b<c>\"d\"'e'", "tab\there\nline\rreturn", "caf\xC3\xA9:group"};
    Timeline timeline;
    timeline.curves.resize(4);
    uint32_t row = 0;
    for (uint32_t curve = 0; curve < 4; ++curve) {
        for (float value : values) {
            timeline.curves.at(curve)->keys.push(Keyframe{row, value, int32_t(row % 5)});
            row += 3;
        }
    }
    timeline.curves.at(3)->keys.push(Keyframe{1u << 24, 1.0f, 4});
    std::string out, error;
    ASSERT_TRUE(writeRocketFile(timeline, names, 4, 0, out, error)) << error;

    RocketDocument document;
    RocketError readError;
    ASSERT_TRUE(parseRocketFile(out.data(), out.size(), document, readError)) << readError.message;
    ASSERT_EQ(document.tracks.size(), 4u);
    for (uint32_t curve = 0; curve < 4; ++curve) {
        const RocketTrack& track = document.tracks[curve];
        EXPECT_EQ(track.name, names[curve]);
        const GrowArray<Keyframe>& keys = timeline.curves.at(curve)->keys;
        ASSERT_EQ(track.keys.size(), keys.count);
        for (uint32_t i = 0; i < keys.count; ++i) {
            EXPECT_EQ(track.keys[i].row, keys[i].row);
            EXPECT_EQ(bitsOf(track.keys[i].value), bitsOf(keys[i].value)) << keys[i].value;
            EXPECT_EQ(track.keys[i].interpolation, keys[i].interpolation);
        }
    }
}

TEST(RocketFileWriter, RefusesWhatWouldNotReadBack)
{
    struct Case {
        Keyframe first, second;
        const char* name;
    };
    const Case cases[] = {
        {{0, 1.0f, 0}, {(1u << 24) + 1, 1.0f, 0}, "ok"},
        {{0, 1.0f, 0}, {1, NAN, 0}, "ok"},
        {{0, 1.0f, 0}, {1, INFINITY, 0}, "ok"},
        {{0, 1.0f, 0}, {1, 1.0f, 5}, "ok"},
        {{0, 1.0f, 0}, {1, 1.0f, -1}, "ok"},
        {{5, 1.0f, 0}, {5, 1.0f, 0}, "ok"},  // two keys on a row
        {{5, 1.0f, 0}, {4, 1.0f, 0}, "ok"},  // out of order
        {{0, 1.0f, 0}, {1, 1.0f, 0}, "bell\x07"},
        {{0, 1.0f, 0}, {1, 1.0f, 0}, ""},
    };
    for (const Case& c : cases) {
        Timeline timeline;
        timeline.curves.resize(1);
        timeline.curves.at(0)->keys.push(c.first);
        timeline.curves.at(0)->keys.push(c.second);
        const char* const names[] = {c.name};
        std::string out, error;
        EXPECT_FALSE(writeRocketFile(timeline, names, 1, 0, out, error)) << c.second.row << " " << c.name;
        EXPECT_FALSE(error.empty());
    }
    Timeline short_;
    short_.curves.resize(1);
    const char* const two[] = {"a", "b"};
    std::string out, error;
    EXPECT_FALSE(writeRocketFile(short_, two, 2, 0, out, error));
}

TEST(RocketFileWriter, RowsCoverEveryKeyInWholeBars)
{
    Timeline timeline;
    timeline.rowsPerBeat = 8;
    timeline.curves.resize(2);
    EXPECT_EQ(rowsCovering(timeline), 0u);
    timeline.curves.at(0)->keys.push(Keyframe{0, 1.0f, 0});
    EXPECT_EQ(rowsCovering(timeline), 32u);  // row 0 needs one row: a bar of 4 x 8
    timeline.curves.at(1)->keys.push(Keyframe{2175, 1.0f, 0});
    EXPECT_EQ(rowsCovering(timeline), 2176u);
    timeline.curves.at(0)->keys.push(Keyframe{2176, 1.0f, 0});
    EXPECT_EQ(rowsCovering(timeline), 2208u);
    timeline.rowsPerBeat = 0;
    EXPECT_EQ(rowsCovering(timeline), 2177u);
}

TEST(RocketFileReader, AttributeValuesTurnTabsAndLineBreaksIntoSpaces)
{
    const Parsed parsed = parse("<tracks><track name=\"a\tb\nc\r\nd\"/></tracks>");
    ASSERT_TRUE(parsed.ok) << parsed.error.message;
    EXPECT_EQ(parsed.document.tracks[0].name, "a b c  d");
}
