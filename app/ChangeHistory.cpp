#include "app/ChangeHistory.h"

#include "framework/LongPath.h"

#include <algorithm>
#include <utility>

#include <windows.h>

namespace {

// Every picture of the change is still there.
bool IsThere(const ShownChange& change) {
    return std::all_of(change.begin(), change.end(),
                       [](const ShownPicture& picture) { return PathExists(picture.path.c_str()); });
}

bool IsOf(const ShownChange& change, const std::string& path) {
    return lstrcmpiA(change.front().path.c_str(), path.c_str()) == 0;
}

// Takes the nearest change that is still there off the end of `changes`;
// the ones passed over go.
template <class Changes>
std::optional<ShownChange> TakeNearestThere(Changes& changes) {
    while (!changes.empty()) {
        ShownChange change = std::move(changes.back());
        changes.pop_back();
        if (IsThere(change)) return change;
    }
    return std::nullopt;
}

}  // namespace

const ShownChange* ChangeHistory::OnShow() const {
    return onShow_ ? &*onShow_ : nullptr;
}

void ChangeHistory::MoveOnShowBehind() {
    if (!onShow_) return;
    behind_.push_back(std::move(*onShow_));
    onShow_.reset();
    if (behind_.size() > kDepth) behind_.pop_front();
}

void ChangeHistory::AddNew(ShownChange change) {
    if (change.empty()) return;
    ahead_.clear();
    MoveOnShowBehind();
    onShow_ = std::move(change);
}

void ChangeHistory::DropAhead() {
    ahead_.clear();
}

const ShownChange* ChangeHistory::StepBack() {
    std::optional<ShownChange> back = TakeNearestThere(behind_);
    if (!back) return nullptr;
    if (onShow_) ahead_.push_back(std::move(*onShow_));
    onShow_ = std::move(back);
    return &*onShow_;
}

const ShownChange* ChangeHistory::StepForward() {
    std::optional<ShownChange> forward = TakeNearestThere(ahead_);
    if (!forward) return nullptr;
    MoveOnShowBehind();
    onShow_ = std::move(forward);
    return &*onShow_;
}

bool ChangeHistory::CanStepBack() const {
    return std::any_of(behind_.begin(), behind_.end(), IsThere);
}

void ChangeHistory::Forget(const std::string& path) {
    auto of = [&](const ShownChange& change) { return IsOf(change, path); };
    behind_.erase(std::remove_if(behind_.begin(), behind_.end(), of), behind_.end());
    ahead_.erase(std::remove_if(ahead_.begin(), ahead_.end(), of), ahead_.end());
    if (onShow_ && of(*onShow_)) onShow_.reset();
}
