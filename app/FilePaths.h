#pragma once
// Paths are UTF-8 inside the programs. Windows gives narrow arguments in the ANSI code page, which cannot name every
// file, so there the command line is read wide and files are opened by wide names; elsewhere a name is its bytes.
// Nothing throws; a name with no form on the other side is refused.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace Nimbra {

// fopen of a UTF-8 path; null when the file cannot be opened or the path is not UTF-8.
std::FILE* openFile(const char* utf8Path, const char* mode);

// Makes `bytes` the whole file at `utf8Path`, or leaves the file as it was: they are written beside it (its name
// with ".part" added) and flushed to the disk, then that file takes the path's place in one step (rename; on
// Windows MoveFileExW replacing an existing file). A reader sees the old file or the new one, never a part. False,
// with the reason, when a step fails; the partial file is then removed.
bool writeWholeFile(const std::string& utf8Path, const std::string& bytes, std::string& error);

// The path for std::filesystem (always with an error_code): an empty path, which names no file,
// when `utf8Path` is not UTF-8.
std::filesystem::path pathFromUtf8(const std::string& utf8Path);

// The path as UTF-8; empty when it has none (a Windows name holding a lone surrogate).
std::string utf8FromPath(const std::filesystem::path& path);

// The program's arguments as UTF-8, the program's name first: on Windows from the wide command
// line (argc and argv are left alone there), elsewhere argv. False when an argument has no UTF-8
// form.
bool commandLineArguments(int argc, char** argv, std::vector<std::string>& arguments);
// The arguments as the argv-shaped list an option parser takes; valid while `arguments` lives.
std::vector<const char*> argumentWords(const std::vector<std::string>& arguments);

// Writes UTF-8 `text` to `stream` as it is, except to a Windows console, which gets it wide so
// that it reads as written whatever the console's code page.
void writeText(std::FILE* stream, const std::string& text);

#ifdef _WIN32
// The conversions at Windows' edge; false (and nothing) for text that is not UTF-8 or UTF-16.
bool wideFromUtf8(const std::string& text, std::wstring& wide);
bool utf8FromWide(const std::wstring& wide, std::string& text);
// A command line split by the Windows rules, each argument as UTF-8.
bool argumentsFromCommandLine(const wchar_t* commandLine, std::vector<std::string>& arguments);
#endif

}  // namespace Nimbra
