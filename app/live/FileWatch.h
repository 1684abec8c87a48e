#pragma once
// Notices saves by polling size and modification time: portable, and indifferent to how an editor saves. A change or
// deletion is reported once the file has held still a whole poll, so a save being written is not read half way.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Nimbra {

struct FileStamp {
    bool exists = false;
    uint64_t size = 0;
    int64_t modified = 0;  // in the file system's own ticks

    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && size == other.size && modified == other.modified;
    }
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

FileStamp stampOf(const std::string& path);

// What notices saved files: a FileWatch polled in the caller's turns, or a SaveWatch polling
// one on a thread of its own.
class SaveNotices
{
public:
    virtual ~SaveNotices() = default;
    // Watches `path` from its present state on: only later changes are reported. Watching a
    // path twice changes nothing.
    virtual void watch(const std::string& path) = 0;
    // The saved paths not reported before.
    virtual std::vector<std::string> poll() = 0;
    // Stops watching for good (a thread that watches ends).
    virtual void stop() {}
    // A watch with a thread of its own calls `act` there, with the steady clock's milliseconds,
    // each time it notices saves, so that they are acted on before the next turn. One that is
    // polled in the turns never calls it.
    virtual void whenNoticed(std::function<void(uint64_t now)> act) { (void)act; }
};

class FileWatch : public SaveNotices
{
public:
    void watch(const std::string& path) override;
    bool watching(const std::string& path) const;

    // The watched paths whose stamp differs from the one last reported and was the same at the
    // previous poll, in the order they were first watched.
    std::vector<std::string> poll() override;

private:
    struct Entry {
        std::string path;
        FileStamp reported;
        FileStamp seen;
    };
    std::vector<Entry> entries;
};

}  // namespace Nimbra
