#include "app/live/FileWatch.h"

#include "app/FilePaths.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace Nimbra {

#ifdef _WIN32
// The file's own attributes by its wide name: FILETIME counts 100 ns (NTFS keeps them all; FAT
// two seconds), where std::filesystem's write time here has whole seconds, and two quick saves
// of the same size would look the same.
FileStamp stampOf(const std::string& path)
{
    FileStamp stamp;
    std::wstring wide;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!wideFromUtf8(path, wide) || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    stamp.modified = int64_t(uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32 | data.ftLastWriteTime.dwLowDateTime);
    return stamp;
}
#else
FileStamp stampOf(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    FileStamp stamp;
    const fs::path file = pathFromUtf8(path);
    if (!fs::is_regular_file(file, error))
        return stamp;
    const uintmax_t size = fs::file_size(file, error);
    if (error)
        return stamp;
    const fs::file_time_type modified = fs::last_write_time(file, error);
    if (error)
        return stamp;
    stamp.exists = true;
    stamp.size = uint64_t(size);
    stamp.modified = int64_t(modified.time_since_epoch().count());
    return stamp;
}
#endif

void FileWatch::watch(const std::string& path)
{
    if (watching(path))
        return;
    const FileStamp now = stampOf(path);
    entries.push_back({path, now, now});
}

bool FileWatch::watching(const std::string& path) const
{
    for (const Entry& entry : entries)
        if (entry.path == path)
            return true;
    return false;
}

std::vector<std::string> FileWatch::poll()
{
    std::vector<std::string> changed;
    for (Entry& entry : entries) {
        const FileStamp now = stampOf(entry.path);
        if (now != entry.reported && now == entry.seen) {
            entry.reported = now;
            changed.push_back(entry.path);
        }
        entry.seen = now;
    }
    return changed;
}

}  // namespace Nimbra
