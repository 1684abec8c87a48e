// exit-with CODE [ARGUMENTS...]: prints each argument on a line of its own, in UTF-8, and ends
// with exit code CODE; the program scripts/wine-run.sh's test runs.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int main()
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments || count < 2)
        return 2;
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in \n alone, as the test compares them
    for (int i = 2; i < count; ++i) {
        std::string text(WideCharToMultiByte(CP_UTF8, 0, arguments[i], -1, nullptr, 0, nullptr, nullptr), '\0');
        WideCharToMultiByte(CP_UTF8, 0, arguments[i], -1, &text[0], int(text.size()), nullptr, nullptr);
        std::printf("%s\n", text.c_str());
    }
    return int(std::wcstoul(arguments[1], nullptr, 10));
}
