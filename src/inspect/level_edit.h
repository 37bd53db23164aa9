#pragma once
// LevelEdit: one checked change of the level, ready to be made and unmade. The edits by topic
// (item_edits.h, static_edits.h, room_edits.h, face_edits.h) build them from the level and what
// the user chose; the editor keeps them on its undo stack. EditTarget says what an edit touched,
// so that the tables derived from the level, and the panels, refresh only what they must.

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "level/room_faces.h"
#include "level/ttrlevel.h"

namespace qavel {

// One entry of the item list changed (an item, or a TR4/TR5 aux record).
struct ItemEntryTarget {
  int entry = -1;
  bool operator==(const ItemEntryTarget&) const = default;
};
// The item list grew or shrank; entry is the one to show.
struct ItemListTarget {
  int entry = -1;
  bool operator==(const ItemListTarget&) const = default;
};
// One static instance of a room changed.
struct StaticTarget {
  int room = -1, instance = -1;
  bool operator==(const StaticTarget&) const = default;
};
// A room's static list grew or shrank; instance is the one to show.
struct StaticListTarget {
  int room = -1, instance = -1;
  bool operator==(const StaticListTarget&) const = default;
};
// A value of a room: its flags, its TR5 header values.
struct RoomTarget {
  int room = -1;
  bool operator==(const RoomTarget&) const = default;
};
// A face of a room: its texture or its corner order.
struct FaceTarget {
  int room = -1;
  FaceKind kind = FaceKind::kRectangle;
  int face = -1;
  bool operator==(const FaceTarget&) const = default;
};
// The level's weather value.
struct WeatherTarget {
  bool operator==(const WeatherTarget&) const = default;
};
// Whole tables replaced (an import, or its undo); which derived tables must be made again.
struct LevelTarget {
  bool floor_data = false;  // the floor data or the rooms' sector grids differ
  bool movables = false;    // the movables differ, so the names may
  bool operator==(const LevelTarget&) const = default;
};

using EditTarget = std::variant<ItemEntryTarget, ItemListTarget, StaticTarget, StaticListTarget,
                                RoomTarget, FaceTarget, WeatherTarget, LevelTarget>;

// The room an edit lies in; -1 for the item list, the weather and whole-level edits.
int RoomOf(const EditTarget& target);
// Whether the edit touched the item list (an entry or the list's length).
bool TouchesItems(const EditTarget& target);
// Whether the edit touched a room's statics (an instance or the list's length).
bool TouchesStatics(const EditTarget& target);
// Whole-level edits; the pointer is null for any other target.
inline const LevelTarget* AsLevel(const EditTarget& target) {
  return std::get_if<LevelTarget>(&target);
}

// Consecutive edits with the same id on the same target fold into one undo step (the
// automatic position spins send one change per step of the spin box; the arrow keys one per
// press).
enum MergeId : int {
  kNoMerge = -1,
  kMergeItemX = 1,
  kMergeItemY,
  kMergeItemZ,
  kMergeItemMove,
  kMergeStaticX,
  kMergeStaticY,
  kMergeStaticZ,
  kMergeStaticLights,
};

class LevelEdit {
 public:
  template <class Value>
  using Put = std::function<void(Ttrlevel&, const Value&)>;
  using Step = std::function<void(Ttrlevel&)>;

  // Replaces one value (a record, a flag word, whole tables). put writes the value through the
  // model's own function for it, so paired record forms stay in step.
  template <class Value>
  static LevelEdit Change(std::string name, EditTarget target, MergeId merge, Value before,
                          Value after, Put<Value> put) {
    return LevelEdit(
        std::move(name), target, merge,
        std::make_unique<ValueChange<Value>>(std::move(before), std::move(after), std::move(put)));
  }
  // A step and the step that takes it back (an append and its removal, a turn and the turn
  // back).
  static LevelEdit Steps(std::string name, EditTarget target, Step apply, Step revert);

  const std::string& name() const { return name_; }
  const EditTarget& target() const { return target_; }
  MergeId merge() const { return merge_; }

  void Apply(Ttrlevel& level) const { change_->Apply(level); }
  void Revert(Ttrlevel& level) const { change_->Revert(level); }
  // A value set to what it already was.
  bool ChangesNothing() const { return change_->ChangesNothing(); }
  // Takes on next's new value when next changes the same value of the same target under the
  // same merge id; false (and nothing changed) otherwise.
  bool Absorb(const LevelEdit& next);

 private:
  struct Body {
    virtual ~Body() = default;
    virtual void Apply(Ttrlevel& level) const = 0;
    virtual void Revert(Ttrlevel& level) const = 0;
    virtual bool ChangesNothing() const { return false; }
    virtual bool Absorb(const Body&) { return false; }
  };
  template <class Value>
  struct ValueChange : Body {
    ValueChange(Value b, Value a, Put<Value> p)
        : before(std::move(b)), after(std::move(a)), put(std::move(p)) {}
    void Apply(Ttrlevel& level) const override { put(level, after); }
    void Revert(Ttrlevel& level) const override { put(level, before); }
    bool ChangesNothing() const override { return before == after; }
    bool Absorb(const Body& next) override {
      const auto* same = dynamic_cast<const ValueChange*>(&next);
      if (same == nullptr) return false;
      after = same->after;
      return true;
    }
    Value before, after;
    Put<Value> put;
  };
  struct StepChange;

  LevelEdit(std::string name, EditTarget target, MergeId merge, std::unique_ptr<Body> change)
      : name_(std::move(name)), target_(target), merge_(merge), change_(std::move(change)) {}

  std::string name_;
  EditTarget target_;
  MergeId merge_ = kNoMerge;
  std::unique_ptr<Body> change_;
};

}  // namespace qavel
