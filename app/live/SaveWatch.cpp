#include "app/live/SaveWatch.h"

#include <algorithm>
#include <chrono>

namespace Nimbra {

SaveWatch::SaveWatch(uint32_t pollMs) : pollMs(pollMs), thread(&SaveWatch::run, this) {}

SaveWatch::~SaveWatch()
{
    stop();
}

void SaveWatch::watch(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex);
    files.watch(path);
}

std::vector<std::string> SaveWatch::poll()
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<std::string> taken;
    taken.swap(noticed);
    return taken;
}

void SaveWatch::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
        wake.notify_one();
    }
    if (thread.joinable())
        thread.join();
}

void SaveWatch::run()
{
    std::unique_lock<std::mutex> lock(mutex);
    while (!wake.wait_for(lock, std::chrono::milliseconds(pollMs), [this] { return stopping; }))
        for (std::string& path : files.poll())
            if (std::find(noticed.begin(), noticed.end(), path) == noticed.end())
                noticed.push_back(std::move(path));
}

}  // namespace Nimbra
