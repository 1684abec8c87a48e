// A stand-in for a compiler that a compile command starts and that would outlive it: it writes
// its process id and then the arguments it got, one a line, to the file its first argument
// names, and waits for ever.
#include "app/FilePaths.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments;
    if (!Nimbra::commandLineArguments(argc, argv, arguments) || arguments.size() < 2)
        return 2;
    const std::string report = arguments[1];
    std::FILE* out = Nimbra::openFile((report + ".part").c_str(), "wb");
    if (!out)
        return 3;
    std::fprintf(out, "%lu\n", GetCurrentProcessId());
    for (size_t i = 2; i < arguments.size(); ++i)
        std::fprintf(out, "%s\n", arguments[i].c_str());
    std::fclose(out);
    std::wstring from, to;
    if (!Nimbra::wideFromUtf8(report + ".part", from) || !Nimbra::wideFromUtf8(report, to) ||
        !MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING))
        return 4;
    Sleep(INFINITE);
    return 0;
}
