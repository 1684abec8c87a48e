#include "app/CommandOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace Nimbra {

bool readCommandLine(int argc, const char* const* argv, const std::vector<CommandOption>& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const char* name = argv[i];
        const CommandOption* option = nullptr;
        for (const CommandOption& known : options)
            if (std::strcmp(known.name, name) == 0)
                option = &known;
        if (option && option->set) {
            option->set();
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string(name) + (name[0] == '-' ? " needs a value" : ": unexpected argument");
            return false;
        }
        const char* value = argv[++i];
        if (!option) {
            error = std::string("unknown option ") + name;
            return false;
        }
        error.clear();
        if (!option->take(value, error)) {
            if (error.empty())
                error = std::string("bad value for ") + name + ": " + value;
            return false;
        }
    }
    return true;
}

bool readWholeNumber(const char* text, long low, long high, long& value)
{
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

bool readDecimalNumber(const char* text, double& value)
{
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

CommandOption flagOption(const char* name, bool& target, bool value)
{
    return {name, [&target, value] { target = value; }, nullptr};
}

CommandOption textOption(const char* name, std::string& target)
{
    return {name, nullptr, [&target](const char* value, std::string&) {
                target = value;
                return value[0] != '\0';
            }};
}

}  // namespace Nimbra
