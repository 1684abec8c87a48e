#pragma once
// A program's command line read against the table of its options: flags, and options that take
// the next word as their value. One reading for demo-sync and demo-capture, so that both refuse
// alike, with one of "NAME needs a value", "WORD: unexpected argument", "unknown option NAME",
// "bad value for NAME: VALUE" or the option's own reason. Portable.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Nimbra {

struct CommandOption {
    const char* name;  // "--width"
    // A flag is set by its name alone; any other option takes a value. `take` returns false for
    // a value it cannot use, with a reason in `error` or none (then "bad value for ...").
    std::function<void()> set;
    std::function<bool(const char* value, std::string& error)> take;
};

// Reads argv[1..] in order; false, with the reason, at the first word it cannot use.
bool readCommandLine(int argc, const char* const* argv, const std::vector<CommandOption>& options, std::string& error);

// A whole decimal number in [low, high], and nothing after it.
bool readWholeNumber(const char* text, long low, long high, long& value);
// A finite decimal number, and nothing after it.
bool readDecimalNumber(const char* text, double& value);

// The options of the usual kinds: a flag that sets `target`; a non-empty text; a whole number
// in [low, high].
CommandOption flagOption(const char* name, bool& target, bool value = true);
CommandOption textOption(const char* name, std::string& target);
template <typename Whole>
CommandOption wholeOption(const char* name, long low, long high, Whole& target)
{
    return {name, nullptr, [low, high, &target](const char* value, std::string&) {
                long number = 0;
                if (!readWholeNumber(value, low, high, number))
                    return false;
                target = Whole(number);
                return true;
            }};
}

}  // namespace Nimbra
