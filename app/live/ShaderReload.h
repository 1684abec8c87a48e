#pragma once
// demo-sync's live shaders: a saved source or include recompiles every program that reads it, off the frame thread,
// where it is also made for its passes; a turn swaps it in if it fits. A newer save gives up the older job; a failure
// keeps the running program. Nothing here waits: each turn looks at the job once.
#include "app/live/CompileJobs.h"
#include "app/live/FileWatch.h"
#include "app/live/LiveEvent.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace Nimbra {

class ShaderReload
{
public:
    // The saves come from `notices` (a SaveWatch, whose thread starts their jobs at once); what a
    // job compiled goes to `maker`'s passes. A job still running after `jobLimitMs` is given up.
    // The events, the compiler's messages among them, go to `log` in the turns.
    ShaderReload(std::string folder, std::vector<std::string> programs, CompileJobs& jobs, ProgramMaker& maker,
                 SaveNotices& notices, LiveLog log, uint32_t jobLimitMs = 60000);

    ~ShaderReload();
    ShaderReload(const ShaderReload&) = delete;
    ShaderReload& operator=(const ShaderReload&) = delete;

    // Watches every program's files as they are now. The notices' thread starts a save's job
    // there at once (the turns' `now` is its clock, the steady clock's milliseconds); the turns
    // only take finished jobs and tell what happened.
    void start(uint64_t now);
    void tend(uint64_t now);
    // Stops watching, gives up the job that runs and removes the compiler's files (at the end of
    // the run).
    void stop();

    bool idle() const;

private:
    struct Program {
        std::string name;
        std::vector<std::string> files;  // the source, then what it includes
    };

    void watchFilesOf(Program& program);
    void noticed(uint64_t now);
    void noticeChanges(uint64_t now);
    void startJobs(uint64_t now, bool finishing);
    void tell(LiveEvent event);
    void tellWhatWasTold();
    bool queued(const std::string& program) const;
    void startNext(uint64_t now, std::string name);
    void finishCurrent(uint64_t now);

    std::string folder;
    std::vector<Program> programs;
    CompileJobs& jobs;
    ProgramMaker& maker;
    LiveLog log;
    uint32_t jobLimitMs;

    // Under the mutex: everything below; the notices' thread starts jobs as the turns do.
    mutable std::mutex mutex;
    std::vector<LiveEvent> told;  // events from the notices' thread, told in a turn
    SaveNotices& watch;
    uint64_t latest = 0;  // the latest time the notices' thread gave
    struct Queued {
        std::string program;
        uint64_t noticedAt;  // when the change that queued it was noticed
    };
    std::vector<Queued> queue;  // programs to compile, oldest first
    uint64_t noticedAt = 0;     // that of the current job
    std::string current;        // the program being compiled
    uint64_t startedAt = 0;
};

}  // namespace Nimbra
