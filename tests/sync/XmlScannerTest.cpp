// What the editor-file tests do not reach: text handed out, the content model as the caller sets
// it element by element, and the nesting limit at its edge.
#include "sync/XmlScanner.h"

#include <gtest/gtest.h>

#include <string>

using namespace Nimbra::Sync;

namespace {

// Every token in one line, "!line:message" at a fault; elements named "only" hold elements only.
std::string scan(const std::string& text)
{
    XmlScanner xml(text.data(), text.size());
    XmlToken token;
    std::string out;
    while (xml.next(token)) {
        switch (token.kind) {
        case XmlTokenKind::StartTag:
            out += "<" + std::string(token.name);
            for (const XmlAttribute& attribute : token.attributes)
                out += " " + std::string(attribute.name) + "=" + attribute.value;
            out += token.empty ? "/> " : "> ";
            if (token.name == "only")
                xml.holdOnlyElements();
            break;
        case XmlTokenKind::EndTag: out += "</" + std::string(token.name) + "> "; break;
        case XmlTokenKind::Text:
            out += "[" + std::string(token.text) + "]@" + std::to_string(xml.lineOf(token.at)) + " ";
            break;
        case XmlTokenKind::End: return out + "end";
        }
    }
    return out + "!" + std::to_string(xml.error().line) + ":" + xml.error().message;
}

std::string nested(int depth)
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += "<only>\n";
    for (int i = 0; i < depth; ++i)
        text += "</only>";
    return text;
}

}  // namespace

TEST(XmlScanner, HandsOutTagsAndTextAsTheCallerLetsElementsHoldThem)
{
    struct Case {
        const char* text;
        const char* tokens;
    };
    const Case cases[] = {
        {"<?xml version='1.0'?>\n<a k='&lt;1&gt;'>x &amp; y<!-- no -->\n<b/><![CDATA[<raw>&]]></a>\n",
         "<a k=<1>> [x &amp; y]@2 [\n]@2 <b/> [<raw>&]@3 </a> end"},
        {"<a><only>\n <b>t</b> </only>u</a>", "<a> <only> <b> [t]@2 </b> </only> [u]@2 </a> end"},
        {"<a><only>\n<b/>t</only></a>", "<a> <only> <b/> !2:unexpected text where only elements belong"},
        {"<only/>t", "<only/> !1:unexpected text outside the elements"},
        {"<a><![CDATA[x]]", "<a> !1:the file ends inside a CDATA section"},
        {"<a><only/>t</a>", "<a> <only/> [t]@1 </a> end"},  // an empty element leaves its parent's model
    };
    for (const Case& c : cases)
        EXPECT_EQ(scan(c.text), c.tokens) << c.text;
}

TEST(XmlScanner, TakesElementsNestedToTheLimitAndNoDeeper)
{
    std::string opened, closed;
    for (size_t i = 0; i < XmlScanner::maxDepth; ++i) {
        opened += "<only> ";
        closed += "</only> ";
    }
    EXPECT_EQ(scan(nested(64)), opened + closed + "end");
    EXPECT_EQ(scan(nested(65)), opened + "!65:elements nested more than 64 deep");
}
