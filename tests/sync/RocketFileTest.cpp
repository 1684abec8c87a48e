#include "sync/RocketFile.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

using namespace Nimbra;
using namespace Nimbra::Sync;

namespace {

struct Parsed {
    bool ok = false;
    RocketDocument document;
    FileError error;
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

}  // namespace

// The document in one line: rows, the editor's grid (value@line), then each track with its
// line, whether it is muted, and its keys.
std::string describe(const RocketDocument& document)
{
    char head[96];
    std::snprintf(head, sizeof head, "rows=%u bpm=%u@%u rpb=%u@%u", document.rows, document.beatsPerMin.value,
                  document.beatsPerMin.line, document.rowsPerBeat.value, document.rowsPerBeat.line);
    std::string text = head;
    for (const RocketTrack& track : document.tracks)
        text +=
            " | " + track.name + "@" + std::to_string(track.line) + (track.muted ? " muted: " : ": ") + keysOf(track);
    return text;
}

TEST(RocketFileReader, ReadsTheShapesEveryEditorSaves)
{
    // Written by hand after each editor's file writer (tests/support/editor-files).
    struct Case {
        const char* file;
        const char* document;
    };
    const Case cases[] = {
        // GNU Rocket: <sync> holds <tracks> and <bookmarks>; attributes in any order.
        {"gnu-rocket.rocket", "rows=2176 bpm=0@0 rpb=0@0 | CameraFOV@3: 0=60/0 128=75.5/3  | POST@7: "},
        // The emoon editor: <rootElement>; its writer wraps long tags, so beatsPerMin is on line 7.
        {"emoon.rocket", "rows=10000 bpm=125@7 rpb=8@6 | CameraPosX@8: 0=11.6000004/0 256=11.6000004/0  | "
                         "CameraDirZ@12 muted: 0=25/0 129=5/0 256=25/0  | FRAME@18: 0=0/1 640=80/4 "},
        // Its older files: <bookmark>, <group> and <tracks> side by side at the top level.
        {"emoon-2013.rocket", "rows=10000 bpm=0@0 rpb=0@0 | L1_X_OFFSET@5: 0=0/2 24=1.5/0  | L1_Y_OFFSET@9: "},
    };
    for (const Case& c : cases) {
        std::ifstream in(std::string(NIMBRA_EDITOR_FILES) + "/" + c.file, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(text.empty()) << c.file;
        const Parsed parsed = parse(text);
        ASSERT_TRUE(parsed.ok) << c.file << ":" << parsed.error.line << ": " << parsed.error.message;
        EXPECT_EQ(describe(parsed.document), c.document) << c.file;
    }
}

TEST(RocketFileReader, ReadsTracksAsTheRootWithWindowsLineEndsAndCommentsAndABom)
{
    const Parsed parsed =
        parse("\xEF\xBB\xBF<!-- saved by hand -->\r\n"
              "<!DOCTYPE tracks>\r\n"
              "<tracks rows='128'>\r\n"
              "  <track name='a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos; &#65;&#x42;&#xe9;'>\r\n"
              "    <!-- a comment between keys --><!--<key row='7' value='1' interpolation='0'/>-->\r\n"
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
        {"<key row=\"0\" value=\"1\" interpolation=\"0\"/>\n<key row=\"2\" value=\"1\" interpolation=\"0\"/>\n</track>\n"
         "<track name=\"u\">\n<key row=\"2\" value=\"1\" interpolation=\"0\"/>\n<key row=\"2\" value=\"2\" interpolation=\"0\"/>",
         9, "track \"u\" has two keys on row 2"},
        {"<key row=\"1\" value=\"1\" value=\"2\" interpolation=\"0\"/>", 4, "appears twice"},
        {"<key row=\"1\" value=\"1\" interpolation=\"0\"><x/></key>", 4, "inside <key>"},
        {"<value/>", 4, "only <key>"},
        {"some text", 4, "unexpected text"},
        {"<key row=\"1\" value=\"1\" interpolation=\"0\">", 5, "</track> where </key>"},
        {"<key row=\"1&x;\" value=\"1\" interpolation=\"0\"/>", 4, "unknown entity"},
        {"<key row=\"1&#0;\" value=\"1\" interpolation=\"0\"/>", 4, "not a character"},
        {"<key row=\"1&#xD800;\" value=\"1\" interpolation=\"0\"/>", 4, "&#xD800; is not a character"},
        {"<key row=\"1&#57343;\" value=\"1\" interpolation=\"0\"/>", 4, "&#57343; is not a character"},
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
        {"<sync>\n<tracks/>\n</sync>\n<tracks/>", 4, "a second <tracks> element (the first is on line 2)"},
        {"<tracks rowsPerBeat=\"eight\"/>", 1, "rowsPerBeat \"eight\" is not a whole number"},
        {"<tracks\nbeatsPerMin=\"4294967296\"/>", 2, "beatsPerMin \"4294967296\""},
        {"<tracks>\n<track name=\"a\"\nmuteKeyCount=\"-1\"/>\n</tracks>", 3, "muteKeyCount \"-1\""},
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
    EXPECT_EQ(out, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                   "<sync rows=\"2176\">\n"
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
    const float values[] = {0.0f,      -0.0f,       0.1f,         1.0f / 3.0f, 11.6f,       -5000.0f,    147.3f,
                            FLT_MAX,   -FLT_MAX,    FLT_MIN,      1.4e-45f,    -1.4e-45f,   16777217.0f, 0.0001f,
                            728000.0f, 3.40282e38f, 1.17549e-38f, 2.5e-05f,    123456789.0f};
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
    FileError readError;
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
