#include "tools/songgen/Score.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>

namespace Nimbra::SongGen {
namespace {

constexpr uint8_t kKeyOff = 97;

struct Phrase {
    std::vector<XmCell> rows;  // one cell per row
};

struct Reader {
    std::vector<InstrumentVoice> instruments;
    std::map<std::string, Phrase> phrases;
    std::map<std::string, size_t> patternIndex;
    std::vector<std::string> channels;
    XmModule module;
    std::string error;
    int line = 0;

    bool fail(const std::string& what)
    {
        error = "score line " + std::to_string(line) + ": " + what;
        return false;
    }

    int instrumentNumber(const std::string& name) const
    {
        for (size_t i = 0; i < instruments.size(); ++i)
            if (instruments[i].name == name)
                return int(i) + 1;
        return 0;
    }
};

std::vector<std::string> split(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        if (w != "|")
            words.push_back(w);
    return words;
}

// A comment starts at a '#' that begins a word ("G#4" is a note, not a comment).
std::string stripComment(const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '#' && (i == 0 || text[i - 1] == ' ' || text[i - 1] == '\t'))
            return text.substr(0, i);
    return text;
}

// Pitch class of a note letter with its accidental, or -1.
int pitchClass(char letter, char accidental)
{
    static const int natural[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (letter < 'A' || letter > 'G')
        return -1;
    int pc = natural[letter - 'A'];
    if (accidental == '#')
        pc += 1;
    else if (accidental == 'b')
        pc -= 1;
    return (pc + 12) % 12;
}

// "C-4", "C#4", "Bb3" at the start of `text`: the XM note (C-4 = 49) and the characters used.
bool parseNote(const std::string& text, uint8_t& note, size_t& used)
{
    if (text.size() < 3 || (text[1] != '-' && text[1] != '#' && text[1] != 'b') || text[2] < '0' || text[2] > '7')
        return false;
    const int pc = pitchClass(text[0], text[1]);
    if (pc < 0)
        return false;
    int octave = text[2] - '0';
    if (text[0] == 'B' && text[1] == '#')
        octave += 1;
    if (text[0] == 'C' && text[1] == 'b')
        octave -= 1;
    const int n = octave * 12 + pc + 1;
    if (n < 1 || n > 96)
        return false;
    note = uint8_t(n);
    used = 3;
    return true;
}

int hexValue(const std::string& text)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 16);
    return (end && *end == 0 && !text.empty()) ? int(v) : -1;
}

int effectCode(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return -1;
}

// Splits "TOKEN*N" into the token and the number of steps it holds.
std::string takeHold(const std::string& token, int& steps)
{
    steps = 1;
    const size_t star = token.find('*');
    if (star == std::string::npos || star == 0)
        return token;
    steps = std::max(1, std::atoi(token.c_str() + star + 1));
    return token.substr(0, star);
}

bool parseCell(Reader& r, const std::string& token, int instrument, uint8_t defaultNote, XmCell& cell)
{
    cell = {};
    if (token == ".")
        return true;
    size_t pos = 0;
    if (token[0] == '^') {
        cell.note = kKeyOff;
        pos = 1;
    } else if (token[0] == 'x') {
        cell.note = defaultNote;
        cell.instrument = uint8_t(instrument);
        pos = 1;
    } else {
        uint8_t note = 0;
        size_t used = 0;
        if (parseNote(token, note, used)) {
            cell.note = note;
            cell.instrument = uint8_t(instrument);
            pos = used;
        }
    }
    while (pos < token.size()) {
        const char kind = token[pos];
        if (kind == ':') {
            // The longest instrument name that follows, so names may contain 'v'.
            int number = 0;
            size_t length = 0;
            for (size_t k = 0; k < r.instruments.size(); ++k) {
                const std::string& name = r.instruments[k].name;
                if (name.size() > length && token.compare(pos + 1, name.size(), name) == 0) {
                    number = int(k) + 1;
                    length = name.size();
                }
            }
            if (!number)
                return r.fail("unknown instrument in " + token);
            cell.instrument = uint8_t(number);
            if (token[0] == 'x')
                cell.note = r.instruments[size_t(number - 1)].defaultNote;
            pos += 1 + length;
            continue;
        }
        size_t next = token.find_first_of(":v~", pos + 1);
        if (next == std::string::npos)
            next = token.size();
        const std::string value = token.substr(pos + 1, next - pos - 1);
        if (kind == 'v') {
            const int volume = hexValue(value);
            if (volume < 0 || volume > 0x40)
                return r.fail("bad volume in " + token);
            cell.volume = uint8_t(0x10 + volume);
        } else if (kind == '~') {
            const int code = value.empty() ? -1 : effectCode(value[0]);
            const int param = hexValue(value.substr(1));
            if (code < 0 || param < 0 || param > 255 || value.size() != 3)
                return r.fail("bad effect in " + token);
            cell.effect = uint8_t(code);
            cell.param = uint8_t(param);
        } else {
            return r.fail("cannot read token " + token);
        }
        pos = next;
    }
    return true;
}

struct Chord {
    int root = 0;            // pitch class
    std::vector<int> tones;  // semitones above the root, ascending
};

bool parseChord(const std::string& symbol, Chord& chord)
{
    if (symbol.empty())
        return false;
    const char accidental = symbol.size() > 1 && (symbol[1] == '#' || symbol[1] == 'b') ? symbol[1] : 0;
    chord.root = pitchClass(symbol[0], accidental);
    if (chord.root < 0)
        return false;
    static const std::map<std::string, std::vector<int>> qualities = {
        {"", {0, 4, 7}},         {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}},      {"maj7", {0, 4, 7, 11}},
        {"m7", {0, 3, 7, 10}},   {"sus2", {0, 2, 7}},      {"sus4", {0, 5, 7}},       {"dim", {0, 3, 6}},
        {"add9", {0, 4, 7, 14}}, {"madd9", {0, 3, 7, 14}}, {"m9", {0, 3, 7, 10, 14}}, {"6", {0, 4, 7, 9}},
    };
    const auto found = qualities.find(symbol.substr(accidental ? 2 : 1));
    if (found == qualities.end())
        return false;
    chord.tones = found->second;
    return true;
}

// Three pad voices between G-3 and F#4: the colour tones when the chord has four or more.
std::vector<uint8_t> voiceChord(const Chord& chord)
{
    std::vector<int> picked(chord.tones.begin(), chord.tones.end());
    if (picked.size() > 3)
        picked.assign(chord.tones.begin() + 1, chord.tones.begin() + 4);
    std::vector<uint8_t> notes;
    const int low = 44;  // G-3
    for (int interval : picked) {
        int n = 1 + (chord.root + interval) % 12;
        while (n < low)
            n += 12;
        notes.push_back(uint8_t(n));
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

// Reads the indented lines that follow a header into tokens.
std::vector<std::string> bodyTokens(const std::vector<std::string>& lines, size_t& i, int& lineNumber)
{
    std::vector<std::string> tokens;
    while (i + 1 < lines.size() && !lines[i + 1].empty() && (lines[i + 1][0] == ' ' || lines[i + 1][0] == '\t')) {
        ++i;
        ++lineNumber;
        for (const std::string& w : split(stripComment(lines[i])))
            tokens.push_back(w);
    }
    return tokens;
}

bool readOption(const std::vector<std::string>& words, const std::string& key, int& value)
{
    for (size_t i = 0; i + 1 < words.size(); ++i)
        if (words[i] == key) {
            value = std::atoi(words[i + 1].c_str());
            return true;
        }
    return false;
}

bool readPhrase(Reader& r, const std::vector<std::string>& words, const std::vector<std::string>& tokens)
{
    if (words.size() < 3)
        return r.fail("phrase needs a name and an instrument");
    const int instrument = r.instrumentNumber(words[2]);
    if (!instrument)
        return r.fail("unknown instrument " + words[2]);
    int step = 2;
    readOption(words, "step", step);
    Phrase phrase;
    for (const std::string& raw : tokens) {
        int hold = 1;
        const std::string token = takeHold(raw, hold);
        XmCell cell;
        if (!parseCell(r, token, instrument, r.instruments[size_t(instrument - 1)].defaultNote, cell))
            return false;
        phrase.rows.push_back(cell);
        // A held token keeps its effect running on every row it covers (vibrato, slides,
        // arpeggio); without a hold an effect lasts for its own row, as in any tracker.
        const bool held = raw.find('*') != std::string::npos && raw[0] != '*';
        XmCell continued;
        if (held) {
            continued.effect = cell.effect;
            continued.param = cell.param;
        }
        phrase.rows.resize(phrase.rows.size() + size_t(step * hold - 1), continued);
    }
    r.phrases[words[1]] = phrase;
    return true;
}

bool readChords(Reader& r, const std::vector<std::string>& words, const std::vector<std::string>& tokens)
{
    if (words.size() < 3)
        return r.fail("chords need a name and an instrument");
    const int instrument = r.instrumentNumber(words[2]);
    if (!instrument)
        return r.fail("unknown instrument " + words[2]);
    int step = 2;
    readOption(words, "step", step);
    Phrase voices[3];
    for (const std::string& raw : tokens) {
        int hold = 1;
        const std::string token = takeHold(raw, hold);
        XmCell cells[3] = {};
        if (token == "-" || token == "^") {
            for (XmCell& c : cells)
                c.note = kKeyOff;
        } else if (token != ".") {
            Chord chord;
            if (!parseChord(token, chord))
                return r.fail("unknown chord " + token);
            const std::vector<uint8_t> notes = voiceChord(chord);
            for (int v = 0; v < 3; ++v) {
                cells[v].note = notes[size_t(v)];
                cells[v].instrument = uint8_t(instrument);
            }
        }
        for (int v = 0; v < 3; ++v) {
            voices[v].rows.push_back(cells[v]);
            voices[v].rows.resize(voices[v].rows.size() + size_t(step * hold - 1));
        }
    }
    for (int v = 0; v < 3; ++v)
        r.phrases[words[1] + "." + std::to_string(v + 1)] = voices[v];
    return true;
}

bool readArp(Reader& r, const std::vector<std::string>& words, const std::vector<std::string>& tokens)
{
    if (words.size() < 3)
        return r.fail("arp needs a name and an instrument");
    const int instrument = r.instrumentNumber(words[2]);
    if (!instrument)
        return r.fail("unknown instrument " + words[2]);
    int step = 2, octave = 4;
    readOption(words, "step", step);
    readOption(words, "octave", octave);
    std::vector<int> shape;
    const auto shapeAt = std::find(words.begin(), words.end(), "shape");
    for (auto it = shapeAt == words.end() ? words.end() : shapeAt + 1; it != words.end(); ++it)
        shape.push_back(std::atoi(it->c_str()));
    if (shape.empty())
        return r.fail("arp needs a shape");
    Phrase phrase;
    Chord chord;
    bool playing = false;
    size_t index = 0;
    for (const std::string& raw : tokens) {
        int hold = 1;
        const std::string token = takeHold(raw, hold);
        if (token == "-" || token == "^") {
            playing = false;
        } else if (token != ".") {
            if (!parseChord(token, chord))
                return r.fail("unknown chord " + token);
            playing = true;
        }
        for (int s = 0; s < hold; ++s) {
            XmCell cell;
            if (playing) {
                const int k = shape[index % shape.size()];
                const int n = int(chord.tones.size());
                const int note = 1 + octave * 12 + chord.root + chord.tones[size_t(k % n)] + 12 * (k / n);
                cell.note = uint8_t(std::clamp(note, 1, 96));
                cell.instrument = uint8_t(instrument);
            } else if (token == "^" && s == 0) {
                cell.note = kKeyOff;
            }
            ++index;
            phrase.rows.push_back(cell);
            phrase.rows.resize(phrase.rows.size() + size_t(step - 1));
        }
    }
    r.phrases[words[1]] = phrase;
    return true;
}

bool isEmpty(const XmCell& c)
{
    return !c.note && !c.instrument && !c.volume && !c.effect && !c.param;
}

bool placePhrase(Reader& r, XmPattern& pattern, const std::vector<std::string>& words)
{
    const auto channel = std::find(r.channels.begin(), r.channels.end(), words[0]);
    if (channel == r.channels.end())
        return r.fail("unknown channel " + words[0]);
    const auto found = r.phrases.find(words[1]);
    if (found == r.phrases.end())
        return r.fail("unknown phrase " + words[1]);
    const int ch = int(channel - r.channels.begin());
    int at = 0, transpose = 0, volume = 100, count = 1;
    for (size_t i = 2; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w[0] == '@')
            at = std::atoi(w.c_str() + 1);
        else if (w[0] == '+' || w[0] == '-')
            transpose = std::atoi(w.c_str());
        else if (w[0] == '%')
            volume = std::atoi(w.c_str() + 1);
        else if (w[0] == 'x')
            count = std::atoi(w.c_str() + 1);
        else
            return r.fail("cannot read " + w);
    }
    const std::vector<XmCell>& rows = found->second.rows;
    for (int k = 0; k < count; ++k) {
        for (size_t i = 0; i < rows.size(); ++i) {
            const int row = at + k * int(rows.size()) + int(i);
            if (row >= pattern.rowCount)
                break;
            if (row < 0)
                continue;
            XmCell cell = rows[i];
            if (isEmpty(cell))
                continue;
            if (cell.note >= 1 && cell.note <= 96)
                cell.note = uint8_t(std::clamp(cell.note + transpose, 1, 96));
            if (volume != 100 && cell.note >= 1 && cell.note <= 96) {
                const int base = cell.volume ? cell.volume - 0x10 : 64;
                cell.volume = uint8_t(0x10 + std::clamp(base * volume / 100, 0, 64));
            }
            pattern.at(row, ch, int(r.channels.size())) = cell;
        }
    }
    return true;
}

}  // namespace

bool buildSongFromScore(const std::string& scoreText, std::vector<InstrumentVoice> instruments, XmModule& module,
                        std::string& error)
{
    Reader r;
    r.instruments = std::move(instruments);
    std::vector<std::string> lines;
    {
        std::istringstream in(scoreText);
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
    }
    XmPattern* pattern = nullptr;
    bool ok = true;
    for (size_t i = 0; ok && i < lines.size(); ++i) {
        r.line = int(i) + 1;
        const std::string& text = lines[i];
        const std::vector<std::string> words = split(stripComment(text));
        if (words.empty())
            continue;
        const bool indented = text[0] == ' ' || text[0] == '\t';
        if (indented) {
            ok = pattern ? placePhrase(r, *pattern, words) : r.fail("indented line outside a pattern");
            continue;
        }
        pattern = nullptr;
        const std::string& key = words[0];
        int lineNumber = r.line;
        if (key == "name") {
            r.module.name = text.substr(text.find("name") + 5);
        } else if (key == "channels") {
            r.channels.assign(words.begin() + 1, words.end());
            r.module.channelCount = uint16_t(r.channels.size());
        } else if (key == "speed" && words.size() == 2) {
            r.module.speed = uint16_t(std::atoi(words[1].c_str()));
        } else if (key == "tempo" && words.size() == 2) {
            r.module.tempo = uint16_t(std::atoi(words[1].c_str()));
        } else if (key == "restart" && words.size() == 2) {
            r.module.restartPosition = uint16_t(std::atoi(words[1].c_str()));
        } else if (key == "phrase" || key == "chords" || key == "arp") {
            const std::vector<std::string> tokens = bodyTokens(lines, i, lineNumber);
            ok = key == "phrase"   ? readPhrase(r, words, tokens)
                 : key == "chords" ? readChords(r, words, tokens)
                                   : readArp(r, words, tokens);
        } else if (key == "pattern" && words.size() == 3) {
            if (r.channels.empty())
                ok = r.fail("channels must come before the patterns");
            const int rows = std::atoi(words[2].c_str());
            if (rows < 1 || rows > 256)
                ok = r.fail("a pattern has 1 to 256 rows");
            if (ok) {
                r.patternIndex[words[1]] = r.module.patterns.size();
                r.module.patterns.emplace_back();
                pattern = &r.module.patterns.back();
                pattern->resize(uint16_t(rows), r.module.channelCount);
            }
        } else if (key == "order") {
            for (size_t w = 1; ok && w < words.size(); ++w) {
                const auto found = r.patternIndex.find(words[w]);
                ok = found != r.patternIndex.end() ? true : r.fail("unknown pattern " + words[w]);
                if (ok)
                    r.module.orders.push_back(uint8_t(found->second));
            }
        } else {
            ok = r.fail("cannot read " + key);
        }
    }
    if (!ok) {
        error = r.error;
        return false;
    }
    r.module.linearFrequencies = true;
    for (InstrumentVoice& v : r.instruments)
        r.module.instruments.push_back(std::move(v.instrument));
    module = std::move(r.module);
    return true;
}

}  // namespace Nimbra::SongGen
