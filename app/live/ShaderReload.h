#pragma once
// demo-sync's live shaders: a saved source or include recompiles every program that reads it, off the frame thread,
// and the installer swaps it in if it fits. A newer save gives up the older job; a failure keeps the running program.
// Nothing here waits: each turn looks at the files and the job once.
#include "app/live/CompileJobs.h"
#include "app/live/FileWatch.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace Nimbra {

class ProgramInstaller
{
public:
    virtual ~ProgramInstaller() = default;
    // Puts new bytecode into every pass that runs `program`; false, with the reason, when it
    // does not fit them (the passes then keep what they run).
    virtual bool install(const std::string& program, const std::vector<uint8_t>& bytecode, std::string& why) = 0;
    // On the compile thread, once `program` compiled to `bytecode`: may do ahead what install()
    // of those bytes will do.
    virtual void prepare(const std::string& program, const std::vector<uint8_t>& bytecode)
    {
        (void)program;
        (void)bytecode;
    }
};

// Events, one line each:
//   shader NAME reloaded (MS ms after the save was noticed, compiled in MS ms)
//   shader NAME: failed to compile, it keeps its program  (after the compiler's messages)
//   shader NAME refused: WHY
//   shader NAME: FILE WHY, it keeps its program           (missing, empty, too large, binary)
//   shader NAME: WHY                                      (the compiler could not start or finish)
using ReloadLog = std::function<void(const std::string& line)>;

class ShaderReload
{
public:
    // The files are looked at every `pollMs` in tend(), or by `notices` when given (a SaveWatch),
    // whose saves are then taken every turn. A job still running after `jobLimitMs` is given up.
    // `messages` gets the compiler's messages as "file:line: message" lines.
    ShaderReload(std::string folder, std::vector<std::string> programs, CompileJobs& jobs, ProgramInstaller& installer,
                 ReloadLog log, ReloadLog messages, uint32_t pollMs = 100, uint32_t jobLimitMs = 60000,
                 SaveNotices* notices = nullptr);

    ~ShaderReload();
    ShaderReload(const ShaderReload&) = delete;
    ShaderReload& operator=(const ShaderReload&) = delete;

    // Watches every program's files as they are now. Notices with a thread of their own start a
    // save's job there at once (the turns' `now` is then their clock, the steady clock's
    // milliseconds); the turns only take finished jobs and tell what happened.
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
    void tell(const std::string& line);
    void tellWhatWasTold();
    bool queued(const std::string& program) const;
    void startNext(uint64_t now, std::string name);
    void finishCurrent(uint64_t now);

    std::string folder;
    std::vector<Program> programs;
    CompileJobs& jobs;
    ProgramInstaller& installer;
    ReloadLog log;
    ReloadLog messages;
    uint32_t pollMs;
    uint32_t jobLimitMs;

    // Under the mutex: everything below; the notices' thread starts jobs as the turns do.
    mutable std::mutex mutex;
    std::vector<std::string> told;  // lines for the log from the notices' thread, told in a turn
    FileWatch ownWatch;
    SaveNotices& watch;  // ownWatch, or the notices given
    uint64_t lastPoll = 0;
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
