// exit-with CODE [ARGUMENTS...]: prints each argument on a line of its own, in UTF-8, and ends
// with exit code CODE; the program scripts/wine-run.sh's test runs.
#include "app/FilePaths.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments;
    if (!Nimbra::commandLineArguments(argc, argv, arguments) || arguments.size() < 2)
        return 2;
    _setmode(_fileno(stdout), _O_BINARY);  // lines end in \n alone, as the test compares them
    for (size_t i = 2; i < arguments.size(); ++i)
        std::printf("%s\n", arguments[i].c_str());
    return int(std::strtoul(arguments[1].c_str(), nullptr, 10));
}
