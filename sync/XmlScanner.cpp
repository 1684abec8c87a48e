// Scans XML from untrusted hands. Every read is bounded by the end of the buffer (no terminating
// NUL is assumed), entity references are at most 10 characters long, nesting is limited to
// maxDepth, and the first thing that is not well-formed ends the scan with its line and a reason.
#include "sync/XmlScanner.h"

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Nimbra::Sync {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u == ':' || u >= 0x80;
}

bool isNameChar(char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

void appendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xC0 | (code >> 6));
        out += char(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += char(0xE0 | (code >> 12));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    } else {
        out += char(0xF0 | (code >> 18));
        out += char(0x80 | ((code >> 12) & 0x3F));
        out += char(0x80 | ((code >> 6) & 0x3F));
        out += char(0x80 | (code & 0x3F));
    }
}

}  // namespace

const XmlAttribute* findAttribute(const std::vector<XmlAttribute>& attributes, std::string_view name)
{
    for (const XmlAttribute& attribute : attributes) {
        if (attribute.name == name)
            return &attribute;
    }
    return nullptr;
}

bool XmlScanner::fail(const char* where, const char* format, ...)
{
    char message[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    error_.line = where ? lineOf(where) : 0;
    error_.message = message;
    failed_ = true;
    return false;
}

uint32_t XmlScanner::lineOf(const char* where)
{
    // Places are asked for in file order, so counting goes on from the last one.
    if (!lineAt_ || where < lineAt_) {
        lineAt_ = begin_;
        line_ = 1;
    }
    for (; lineAt_ < where && lineAt_ < end_; ++lineAt_) {
        if (*lineAt_ == '\n')
            ++line_;
    }
    return line_;
}

bool XmlScanner::startsWith(const char* literal) const
{
    const size_t n = std::strlen(literal);
    return size_t(end_ - at_) >= n && std::memcmp(at_, literal, n) == 0;
}

void XmlScanner::skipSpace()
{
    while (at_ < end_ && isSpace(*at_))
        ++at_;
}

bool XmlScanner::skipPast(const char* terminator, const char* what)
{
    const char* start = at_;
    const size_t n = std::strlen(terminator);
    for (; size_t(end_ - at_) >= n; ++at_) {
        if (std::memcmp(at_, terminator, n) == 0) {
            at_ += n;
            return true;
        }
    }
    return fail(start, "the file ends inside %s", what);
}

void XmlScanner::holdOnlyElements()
{
    if (justOpened_)
        open_.back().onlyElements = true;
}

bool XmlScanner::readStart()
{
    started_ = true;
    if (end_ - at_ >= 2 && ((at_[0] == '\xFE' && at_[1] == '\xFF') || (at_[0] == '\xFF' && at_[1] == '\xFE')))
        return fail(at_, "the file is UTF-16; save it as UTF-8");
    if (startsWith("\xEF\xBB\xBF"))
        at_ += 3;
    if (const void* nul = std::memchr(at_, '\0', size_t(end_ - at_)))
        return fail(static_cast<const char*>(nul), "a NUL byte: this is not a text file");
    return true;
}

bool XmlScanner::next(XmlToken& token)
{
    if (failed_ || (!started_ && !readStart()))
        return false;
    justOpened_ = false;
    bool produced = false;
    while (!produced) {
        if (at_ >= end_) {
            if (!open_.empty())
                return fail(end_, "the file ends inside <%.*s>", int(open_.back().name.size()),
                            open_.back().name.data());
            token.kind = XmlTokenKind::End;
            token.at = end_;
            return true;
        }
        if (!(*at_ == '<' ? readMarkup(token, produced) : readText(token, produced)))
            return false;
    }
    return true;
}

bool XmlScanner::readText(XmlToken& token, bool& produced)
{
    const char* start = at_;
    const char* stop = static_cast<const char*>(std::memchr(at_, '<', size_t(end_ - at_)));
    if (!stop)
        stop = end_;
    at_ = stop;
    if (!open_.empty() && !open_.back().onlyElements) {
        token.kind = XmlTokenKind::Text;
        token.at = start;
        token.text = std::string_view(start, size_t(stop - start));
        produced = true;
        return true;
    }
    for (const char* c = start; c < stop; ++c) {
        if (!isSpace(*c)) {
            const char* where = open_.empty() ? "outside the elements" : "where only elements belong";
            return fail(c, "unexpected text %s", where);
        }
    }
    return true;
}

bool XmlScanner::readMarkup(XmlToken& token, bool& produced)
{
    if (startsWith("<?")) {
        at_ += 2;
        return skipPast("?>", "a <?...?> instruction");
    }
    if (startsWith("<!--")) {
        at_ += 4;
        return skipPast("-->", "a comment");
    }
    if (startsWith("<![CDATA["))
        return readCdata(token, produced);
    if (startsWith("<!DOCTYPE"))
        return readDoctype();
    produced = true;
    if (startsWith("</"))
        return readEndTag(token);
    return readStartTag(token);
}

bool XmlScanner::readCdata(XmlToken& token, bool& produced)
{
    if (open_.empty() || open_.back().onlyElements)
        return fail(at_, "unexpected CDATA section where only elements belong");
    const char* tag = at_;
    at_ += 9;
    const char* start = at_;
    if (!skipPast("]]>", "a CDATA section"))
        return false;
    token.kind = XmlTokenKind::Text;
    token.at = tag;
    token.text = std::string_view(start, size_t(at_ - 3 - start));
    produced = true;
    return true;
}

bool XmlScanner::readDoctype()
{
    const char* start = at_;
    if (rootSeen_)
        return fail(start, "a <!DOCTYPE> after the root element");
    for (; at_ < end_; ++at_) {
        if (*at_ == '[')
            return fail(start, "a <!DOCTYPE> with its own declarations cannot be read");
        if (*at_ == '>') {
            ++at_;
            return true;
        }
    }
    return fail(start, "the file ends inside <!DOCTYPE>");
}

bool XmlScanner::readName(std::string_view& name)
{
    const char* start = at_;
    if (at_ >= end_ || !isNameStart(*at_))
        return fail(start, "expected a name after '<'");
    while (at_ < end_ && isNameChar(*at_))
        ++at_;
    name = std::string_view(start, size_t(at_ - start));
    return true;
}

bool XmlScanner::decode(const char* from, const char* to, std::string& out)
{
    out.clear();
    for (const char* c = from; c < to; ++c) {
        if (*c == '<')
            return fail(c, "'<' inside an attribute value");
        if (*c == '\t' || *c == '\n' || *c == '\r') {
            out += ' ';  // attribute values turn line breaks and tabs into spaces
            continue;
        }
        if (*c != '&') {
            out += *c;
            continue;
        }
        const char* semicolon = c + 1;
        while (semicolon < to && semicolon - c <= 10 && *semicolon != ';')
            ++semicolon;
        if (semicolon >= to || *semicolon != ';')
            return fail(c, "an '&' that does not start an entity such as &amp;");
        const std::string_view entity(c + 1, size_t(semicolon - c - 1));
        if (entity == "lt") {
            out += '<';
        } else if (entity == "gt") {
            out += '>';
        } else if (entity == "amp") {
            out += '&';
        } else if (entity == "quot") {
            out += '"';
        } else if (entity == "apos") {
            out += '\'';
        } else if (entity.size() >= 2 && entity[0] == '#') {
            const bool hex = entity[1] == 'x';
            const char* digits = entity.data() + (hex ? 2 : 1);
            const char* digitsEnd = entity.data() + entity.size();
            uint32_t code = 0;
            const auto parsed = std::from_chars(digits, digitsEnd, code, hex ? 16 : 10);
            const bool valid = digits < digitsEnd && parsed.ec == std::errc() && parsed.ptr == digitsEnd &&
                               (code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
                                (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF));
            if (!valid)
                return fail(c, "the character reference &%.*s; is not a character", int(entity.size()), entity.data());
            appendUtf8(out, code);
        } else {
            return fail(c, "unknown entity &%.*s;", int(entity.size()), entity.data());
        }
        c = semicolon;
    }
    return true;
}

bool XmlScanner::readAttributes(std::vector<XmlAttribute>& attributes, bool& empty)
{
    attributes.clear();
    for (;;) {
        const char* before = at_;
        skipSpace();
        if (at_ >= end_)
            return fail(at_, "the file ends inside a tag");
        if (*at_ == '>') {
            ++at_;
            empty = false;
            return true;
        }
        if (*at_ == '/') {
            if (end_ - at_ < 2 || at_[1] != '>')
                return fail(at_, "expected '/>'");
            at_ += 2;
            empty = true;
            return true;
        }
        if (at_ == before)
            return fail(at_, "expected a space before the attribute");
        XmlAttribute attribute;
        attribute.at = at_;
        if (!readName(attribute.name))
            return false;
        skipSpace();
        if (at_ >= end_ || *at_ != '=')
            return fail(at_, "expected '=' after the attribute %.*s", int(attribute.name.size()),
                        attribute.name.data());
        ++at_;
        skipSpace();
        if (at_ >= end_ || (*at_ != '"' && *at_ != '\''))
            return fail(at_, "expected a quoted value for the attribute %.*s", int(attribute.name.size()),
                        attribute.name.data());
        const char quote = *at_++;
        const char* valueStart = at_;
        const char* valueEnd = static_cast<const char*>(std::memchr(at_, quote, size_t(end_ - at_)));
        if (!valueEnd)
            return fail(valueStart, "the file ends inside the value of %.*s", int(attribute.name.size()),
                        attribute.name.data());
        if (!decode(valueStart, valueEnd, attribute.value))
            return false;
        at_ = valueEnd + 1;
        if (findAttribute(attributes, attribute.name))
            return fail(valueStart, "the attribute %.*s appears twice", int(attribute.name.size()),
                        attribute.name.data());
        attributes.push_back(std::move(attribute));
    }
}

bool XmlScanner::readStartTag(XmlToken& token)
{
    token.kind = XmlTokenKind::StartTag;
    token.at = at_;
    ++at_;
    if (!readName(token.name) || !readAttributes(token.attributes, token.empty))
        return false;
    if (open_.size() >= maxDepth)
        return fail(token.at, "elements nested more than %zu deep", maxDepth);
    rootSeen_ = true;
    if (!token.empty) {
        open_.push_back(Open{token.name, false});
        justOpened_ = true;
    }
    return true;
}

bool XmlScanner::readEndTag(XmlToken& token)
{
    token.kind = XmlTokenKind::EndTag;
    token.at = at_;
    at_ += 2;
    if (!readName(token.name))
        return false;
    const std::string_view name = token.name;
    skipSpace();
    if (at_ >= end_ || *at_ != '>')
        return fail(token.at, "expected '>' to end </%.*s>", int(name.size()), name.data());
    ++at_;
    if (open_.empty())
        return fail(token.at, "</%.*s> closes nothing", int(name.size()), name.data());
    if (open_.back().name != name)
        return fail(token.at, "</%.*s> where </%.*s> belongs", int(name.size()), name.data(),
                    int(open_.back().name.size()), open_.back().name.data());
    open_.pop_back();
    return true;
}

}  // namespace Nimbra::Sync
