#pragma once
// Installs programs made ahead: the compile thread checks a compiled program against its passes
// and makes its device objects (prepare), so that the frame thread's install() of those bytes
// only swaps them in. Anything not made ahead is made in install() as before.
#include "app/live/ShaderReload.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Nimbra {

class ProgramMaker
{
public:
    struct Made {
        virtual ~Made() = default;
    };
    virtual ~ProgramMaker() = default;
    // Any thread, while nothing is swapped in: null, with the reason, when it does not fit.
    virtual std::unique_ptr<Made> make(const std::string& program, const std::vector<uint8_t>& bytecode,
                                       std::string& why) = 0;
    // The frame thread, between frames.
    virtual void swapIn(Made& made) = 0;
};

class InstallAhead : public ProgramInstaller
{
public:
    explicit InstallAhead(ProgramMaker& maker) : maker(maker) {}

    void prepare(const std::string& program, const std::vector<uint8_t>& bytecode) override;
    bool install(const std::string& program, const std::vector<uint8_t>& bytecode, std::string& why) override;

private:
    ProgramMaker& maker;
    std::mutex mutex;  // a prepare() and an install() never overlap in the maker
    // Under the mutex: the one program made ahead, or the reason it does not fit.
    struct Ahead {
        std::string program;
        std::vector<uint8_t> bytecode;
        std::unique_ptr<ProgramMaker::Made> made;
        std::string why;
    };
    std::unique_ptr<Ahead> ahead;
};

}  // namespace Nimbra
