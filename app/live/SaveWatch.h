#pragma once
// A FileWatch polled on a thread of its own every `pollMs`, so that a save is noticed a poll or
// two after it holds still however long a turn of the frame loop takes. What it notices is
// handed to the one set by whenNoticed() on this thread at once, or taken by poll().
#include "app/live/FileWatch.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace Nimbra {

class SaveWatch : public SaveNotices
{
public:
    explicit SaveWatch(uint32_t pollMs);
    ~SaveWatch() override;
    SaveWatch(const SaveWatch&) = delete;
    SaveWatch& operator=(const SaveWatch&) = delete;

    void watch(const std::string& path) override;
    // What the thread noticed since the last call, in the order it noticed it.
    std::vector<std::string> poll() override;
    void stop() override;
    void whenNoticed(std::function<void(uint64_t now)> act) override;

private:
    void run();

    uint32_t pollMs;
    std::mutex mutex;
    std::condition_variable wake;
    FileWatch files;                   // under the mutex
    std::vector<std::string> noticed;  // under the mutex
    bool stopping = false;
    std::function<void(uint64_t)> act;  // under the mutex
    std::thread thread;
};

}  // namespace Nimbra
