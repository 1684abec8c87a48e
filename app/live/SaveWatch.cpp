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

void SaveWatch::whenNoticed(std::function<void(uint64_t now)> given)
{
    std::lock_guard<std::mutex> lock(mutex);
    act = std::move(given);
}

void SaveWatch::run()
{
    using namespace std::chrono;
    std::unique_lock<std::mutex> lock(mutex);
    while (!wake.wait_for(lock, milliseconds(pollMs), [this] { return stopping; })) {
        for (std::string& path : files.poll())
            if (std::find(noticed.begin(), noticed.end(), path) == noticed.end())
                noticed.push_back(std::move(path));
        if (noticed.empty() || !act)
            continue;
        // Unlocked: the one acting calls poll() and watch() back. stop() joins this thread, so
        // `act` outlives the call.
        const std::function<void(uint64_t)> acting = act;
        lock.unlock();
        acting(uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count()));
        lock.lock();
    }
}

}  // namespace Nimbra
