#include "app/live/ShaderReload.h"

#include "app/live/CompilerMessages.h"
#include "app/live/ShaderSources.h"

#include <algorithm>

namespace Nimbra {

ShaderReload::ShaderReload(std::string folder, std::vector<std::string> programNames, CompileJobs& jobs,
                           ProgramMaker& maker, SaveNotices& notices, LiveLog log, uint32_t jobLimitMs)
    : folder(std::move(folder)), jobs(jobs), maker(maker), log(std::move(log)), jobLimitMs(jobLimitMs), watch(notices)
{
    for (std::string& name : programNames)
        programs.push_back({std::move(name), {}});
}

void ShaderReload::watchFilesOf(Program& program)
{
    program.files = programFiles(folder, program.name);
    for (const std::string& file : program.files)
        watch.watch(file);
}

ShaderReload::~ShaderReload()
{
    watch.stop();  // its thread calls back into this
}

void ShaderReload::start(uint64_t now)
{
    std::lock_guard<std::mutex> lock(mutex);
    for (Program& program : programs)
        watchFilesOf(program);
    latest = now;
    watch.whenNoticed([this](uint64_t at) { noticed(at); });
}

void ShaderReload::tend(uint64_t now)
{
    std::lock_guard<std::mutex> lock(mutex);
    now = std::max(now, latest);  // the turn read the clock before the notices' thread last did
    noticeChanges(now);
    startJobs(now, true);
    tellWhatWasTold();
}

void ShaderReload::noticed(uint64_t now)
{
    std::lock_guard<std::mutex> lock(mutex);
    latest = std::max(now, latest);
    noticeChanges(latest);
    startJobs(latest, false);
}

void ShaderReload::startJobs(uint64_t now, bool finishing)
{
    // Saved again while it compiles: the newest save wins, at once.
    if (!current.empty() && queued(current))
        startNext(now, current);
    if (finishing && !current.empty()) {
        tellWhatWasTold();
        finishCurrent(now);
    }
    if (current.empty() && !queue.empty())
        startNext(now, queue.front().program);
}

void ShaderReload::stop()
{
    watch.stop();  // unlocked: its thread may wait for the mutex
    std::lock_guard<std::mutex> lock(mutex);
    jobs.stop();
    current.clear();
    queue.clear();
    tellWhatWasTold();
}

bool ShaderReload::idle() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return queue.empty() && current.empty();
}

void ShaderReload::tell(LiveEvent event)
{
    told.push_back(std::move(event));
}

// The log is the frame thread's: what the notices' thread found is told in a turn.
void ShaderReload::tellWhatWasTold()
{
    for (const LiveEvent& event : told)
        log(event);
    told.clear();
}

bool ShaderReload::queued(const std::string& program) const
{
    return std::any_of(queue.begin(), queue.end(), [&](const Queued& q) { return q.program == program; });
}

void ShaderReload::noticeChanges(uint64_t now)
{
    for (const std::string& file : watch.poll())
        for (const Program& program : programs)
            if (!queued(program.name) &&
                std::find(program.files.begin(), program.files.end(), file) != program.files.end())
                queue.push_back({program.name, now});
}

void ShaderReload::startNext(uint64_t now, std::string name)
{
    const auto next = std::find_if(queue.begin(), queue.end(), [&](const Queued& q) { return q.program == name; });
    noticedAt = next->noticedAt;
    queue.erase(next);
    if (current == name) {
        jobs.giveUp();
        current.clear();
    }
    Program& program =
        *std::find_if(programs.begin(), programs.end(), [&](const Program& p) { return p.name == name; });
    // What the program includes may have changed with this save: the new files are watched too.
    watchFilesOf(program);

    CompileRequest request;
    request.program = name;
    request.sourcePath = program.files.front();
    std::string why;
    if (!programStage(name, request.stage)) {
        tell(shaderEvent(LiveEventKind::ShaderNameWithoutStage, name));
        return;
    }
    if (!readShaderSource(request.sourcePath, request.source, why)) {
        tell(shaderEvent(LiveEventKind::ShaderSourceUnusable, name, why, request.sourcePath));
        return;
    }
    jobs.start(request);
    current = name;
    startedAt = now;
}

void ShaderReload::finishCurrent(uint64_t now)
{
    CompileResult result;
    if (!jobs.finished(result)) {
        if (now - startedAt > jobLimitMs) {
            log(shaderEvent(LiveEventKind::ShaderCompilerFailed, current,
                            "the compiler did not finish in " + std::to_string(jobLimitMs / 1000) + " s"));
            jobs.giveUp();
            current.clear();
        }
        return;
    }
    const std::string name = current;
    current.clear();
    if (!result.failure.empty()) {
        log(shaderEvent(LiveEventKind::ShaderCompilerFailed, name, result.failure));
        return;
    }
    for (CompilerMessage& message : compilerMessages(result.messages)) {
        const LiveEventKind kind = message.file.empty() ? LiveEventKind::CompilerNote : LiveEventKind::CompilerMessage;
        LiveEvent event = shaderEvent(kind, name, std::move(message.text), std::move(message.file));
        event.line = message.line;
        log(event);
    }
    if (!result.ok) {
        log(shaderEvent(LiveEventKind::ShaderFailed, name));
        return;
    }
    if (!result.prepared) {
        log(shaderEvent(LiveEventKind::ShaderRefused, name, result.refusal));
        return;
    }
    maker.swapIn(*result.prepared);
    LiveEvent reloaded = numberEvent(LiveEventKind::ShaderReloaded, now - noticedAt, result.compileMs);
    reloaded.source = name;
    log(reloaded);
}

}  // namespace Nimbra
