#include "app/FilePaths.h"

// The command line, apart from the paths: reading it wide needs shell32, which only the programs
// that take arguments should import.
#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace Nimbra {

#ifdef _WIN32

bool argumentsFromCommandLine(const wchar_t* commandLine, std::vector<std::string>& arguments)
{
    arguments.clear();
    int count = 0;
    wchar_t** words = CommandLineToArgvW(commandLine, &count);
    if (!words)
        return false;
    bool ok = true;
    for (int i = 0; ok && i < count; ++i) {
        arguments.emplace_back();
        ok = utf8FromWide(words[i], arguments.back());
    }
    LocalFree(words);
    if (!ok)
        arguments.clear();
    return ok;
}

bool commandLineArguments(int, char**, std::vector<std::string>& arguments)
{
    return argumentsFromCommandLine(GetCommandLineW(), arguments);
}

#else

bool commandLineArguments(int argc, char** argv, std::vector<std::string>& arguments)
{
    arguments.assign(argv, argv + argc);
    return true;
}
#endif

std::vector<const char*> argumentWords(const std::vector<std::string>& arguments)
{
    std::vector<const char*> words;
    for (const std::string& argument : arguments)
        words.push_back(argument.c_str());
    return words;
}

}  // namespace Nimbra
