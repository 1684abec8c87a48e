#include "app/live/edit/EditHistory.h"

namespace Nimbra::Edit {

void EditHistory::push(EditStep step)
{
    if (saved_ > int64_t(done_))
        saved_ = -1;  // the saved keys lay among the undone steps, which go now
    steps_.resize(done_);
    steps_.push_back(std::move(step));
    ++done_;
    if (steps_.size() > limit_) {
        steps_.pop_front();
        --done_;
        saved_ = saved_ > 0 ? saved_ - 1 : -1;
    }
}

const EditStep* EditHistory::undo()
{
    if (!canUndo())
        return nullptr;
    return &steps_[--done_];
}

const EditStep* EditHistory::redo()
{
    if (!canRedo())
        return nullptr;
    return &steps_[done_++];
}

void EditHistory::forget()
{
    steps_.clear();
    done_ = 0;
    saved_ = -1;
}

}  // namespace Nimbra::Edit
