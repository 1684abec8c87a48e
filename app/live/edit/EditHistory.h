#pragma once
// The editor's undo and redo: each step is one user action, kept as the key cells it changed, each with its key
// before and after. A new step drops the steps undone before it; beyond the limit the oldest step goes. The history
// also knows whether the keys are the ones last saved: undo or redo back to them counts as saved.
#include "core/Curve.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace Nimbra::Edit {

// What one step did to the cell (track, row): whether it held a key before and after, and which.
struct KeyChange {
    uint32_t track = 0;
    uint32_t row = 0;
    bool hadKey = false;
    Keyframe before = {};
    bool hasKey = false;
    Keyframe after = {};
};

using EditStep = std::vector<KeyChange>;

class EditHistory
{
public:
    explicit EditHistory(uint32_t limit) : limit_(limit > 0 ? limit : 1) {}

    // A new step, done: the undone steps after it are dropped.
    void push(EditStep step);
    // The step to take back (its cells go to `before`), or null when there is none; the history moves back one.
    const EditStep* undo();
    // The step to do again (its cells go to `after`), or null; the history moves on one.
    const EditStep* redo();

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    size_t undoCount() const { return done_; }

    // True when the keys differ from those last saved (or, before any save, from those the history started on).
    bool unsaved() const { return saved_ != int64_t(done_); }
    void markSaved() { saved_ = int64_t(done_); }
    // Something else changed the keys: no step applies to them any more, and they are not the saved ones.
    void forget();

private:
    std::deque<EditStep> steps_;
    size_t done_ = 0;    // steps_[0 .. done_) are done, the rest undone
    int64_t saved_ = 0;  // the value of done_ when the keys were saved; -1 when no step leads back there
    uint32_t limit_;
};

}  // namespace Nimbra::Edit
