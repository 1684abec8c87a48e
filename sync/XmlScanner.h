#pragma once
// A small XML scanner for files from other programs: tokens one at a time, checked for well-formedness and one
// nesting limit. A format's schema sits on top and fails through scanner.fail() so every fault carries its line.
// Comments, <?...?>, a <!DOCTYPE> without declarations and a byte-order mark are skipped; UTF-16 and NUL refused.

#include "sync/FileError.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Nimbra::Sync {

struct XmlAttribute {
    std::string_view name;
    const char* at = nullptr;  // where the name is written, for the line of a fault
    std::string value;         // entities decoded; tabs and line breaks read as spaces
};

enum class XmlTokenKind {
    StartTag,  // name, attributes, empty
    EndTag,    // name; always the end of the element opened last
    Text,      // text: inside an element that may hold text (see holdOnlyElements)
    End,       // the end of the file, every element closed
};

struct XmlToken {
    XmlTokenKind kind = XmlTokenKind::End;
    const char* at = nullptr;  // the tag's '<', the text's first character
    std::string_view name;
    std::vector<XmlAttribute> attributes;  // in the order written, names distinct
    bool empty = false;                    // <name/>: no end tag follows
    std::string_view text;                 // as written (entities not decoded); a CDATA section's content
};

const XmlAttribute* findAttribute(const std::vector<XmlAttribute>& attributes, std::string_view name);

class XmlScanner
{
public:
    static constexpr size_t maxDepth = 64;  // elements open at once

    // The text is not copied and must outlive the scanner.
    XmlScanner(const char* text, size_t size) : begin_(text), at_(text), end_(text + size) {}

    // The next token. False once the text is not well-formed, with error() filled in; the
    // scanner then hands out nothing more.
    bool next(XmlToken& token);

    // Declares the element whose start tag next() has just handed out to hold elements only:
    // text other than white space, and CDATA, inside it are then faults. Other elements hand
    // out their text as Text tokens.
    void holdOnlyElements();

    // Records a fault at `where` (nullptr: nowhere in the file) and returns false.
    bool fail(const char* where, const char* format, ...);
    // The line of `where`, counted from 1. Cheapest when asked in file order.
    uint32_t lineOf(const char* where);
    const FileError& error() const { return error_; }

private:
    struct Open {
        std::string_view name;
        bool onlyElements;
    };

    bool startsWith(const char* literal) const;
    void skipSpace();
    bool skipPast(const char* terminator, const char* what);
    bool readStart();
    bool readMarkup(XmlToken& token, bool& produced);
    bool readText(XmlToken& token, bool& produced);
    bool readCdata(XmlToken& token, bool& produced);
    bool readDoctype();
    bool readName(std::string_view& name);
    bool readAttributes(std::vector<XmlAttribute>& attributes, bool& empty);
    bool decode(const char* from, const char* to, std::string& out);
    bool readStartTag(XmlToken& token);
    bool readEndTag(XmlToken& token);

    const char* begin_;
    const char* at_;
    const char* end_;
    FileError error_;
    std::vector<Open> open_;
    bool started_ = false;
    bool failed_ = false;
    bool rootSeen_ = false;
    bool justOpened_ = false;       // the last token opened an element that is still open
    const char* lineAt_ = nullptr;  // lineOf() counts on from here
    uint32_t line_ = 1;
};

}  // namespace Nimbra::Sync
