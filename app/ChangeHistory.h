// The changes of this run, for going back to a picture: the change on show,
// the ones before it and, after stepping back, the ones ahead of it.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

// One picture of a change and where the set list held it when it was chosen
// (a hint only: places move as pictures are removed).
struct ShownPicture {
    std::string path;
    int set = -1;
    int position = -1;
};

// The pictures of one change, the primary monitor's first; never empty.
using ShownChange = std::vector<ShownPicture>;

class ChangeHistory {
public:
    // How many changes before the one on show are kept.
    static constexpr size_t kDepth = 50;

    // The change on show: the one the tooltip names. Null before the first.
    const ShownChange* OnShow() const;

    // A change of new pictures: it goes on show, and the changes ahead of a
    // step back are dropped.
    void AddNew(ShownChange change);
    // Drops the changes ahead of a step back (a new set list came).
    void DropAhead();

    // The nearest change behind, or ahead of, the one on show whose
    // pictures are all still there, put on show; the ones passed over
    // because a picture has gone are dropped. Null when there is none.
    const ShownChange* StepBack();
    const ShownChange* StepForward();
    bool CanStepBack() const;

    // Forgets every change whose primary picture is `path` (any letter
    // case), the one on show too: it is not to be shown again.
    void Forget(const std::string& path);

private:
    // The change on show goes behind, and the oldest beyond the depth goes.
    void MoveOnShowBehind();

    std::deque<ShownChange> behind_;  // the oldest first
    std::optional<ShownChange> onShow_;
    std::vector<ShownChange> ahead_;  // the nearest last
};
