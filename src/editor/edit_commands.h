#pragma once
// The undo commands every editing topic builds on: the change of one value, the append of one
// record and the replacement of the whole level. Each changes the model through the document
// and announces what it touched after every do and undo.

#include <QUndoCommand>
#include <functional>
#include <utility>

#include "editor/level_document.h"

namespace qavel {

// Consecutive commands with the same id on the same target fold into one undo step (the
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

// What a command touched.
struct EditTarget {
  Change what;
  int room = -1;
  int index = -1;
  bool operator==(const EditTarget&) const = default;
};

// Replaces one value of the model (a record, a flag word) and can put the old one back. put
// writes the value through the model's own function for it, so paired forms stay in step.
template <class Value>
class ChangeValueCommand : public QUndoCommand {
 public:
  using Put = std::function<void(Ttrlevel&, const Value&)>;

  ChangeValueCommand(LevelDocument* document, const QString& name, EditTarget target, int merge,
                     Value before, Value after, Put put)
      : QUndoCommand(name),
        document_(document),
        target_(target),
        merge_(merge),
        before_(std::move(before)),
        after_(std::move(after)),
        put_(std::move(put)) {}

  void redo() override { Apply(after_); }
  void undo() override { Apply(before_); }
  int id() const override { return merge_; }
  bool mergeWith(const QUndoCommand* other) override {
    const auto* next = dynamic_cast<const ChangeValueCommand*>(other);
    if (next == nullptr || !(next->target_ == target_)) return false;
    after_ = next->after_;
    setObsolete(after_ == before_);
    return true;
  }

 private:
  void Apply(const Value& value) {
    put_(document_->mutable_level(), value);
    document_->Announce(target_.what, target_.room, target_.index);
  }

  LevelDocument* document_;
  EditTarget target_;
  int merge_;
  Value before_, after_;
  Put put_;
};

// Appends one record (through the model's append for it) and takes it away again on undo.
template <class Value>
class AppendRecordCommand : public QUndoCommand {
 public:
  using Push = std::function<void(Ttrlevel&, const Value&)>;
  using Pop = std::function<void(Ttrlevel&)>;

  AppendRecordCommand(LevelDocument* document, const QString& name, EditTarget target, Value value,
                      Push push, Pop pop)
      : QUndoCommand(name),
        document_(document),
        target_(target),
        value_(std::move(value)),
        push_(std::move(push)),
        pop_(std::move(pop)) {}

  void redo() override {
    push_(document_->mutable_level(), value_);
    document_->Announce(target_.what, target_.room, target_.index);
  }
  void undo() override {
    pop_(document_->mutable_level());
    document_->Announce(target_.what, target_.room, target_.index);
  }

 private:
  LevelDocument* document_;
  EditTarget target_;
  Value value_;
  Push push_;
  Pop pop_;
};

// Puts a whole level state in place: the before and after of an import. Holding both keeps
// undo exact whatever tables the import touched (texture pages are shared, not copied).
class ReplaceLevelCommand : public QUndoCommand {
 public:
  ReplaceLevelCommand(LevelDocument* document, const QString& name, Ttrlevel before, Ttrlevel after)
      : QUndoCommand(name),
        document_(document),
        before_(std::move(before)),
        after_(std::move(after)) {}

  void redo() override { document_->ReplaceLevel(after_); }
  void undo() override { document_->ReplaceLevel(before_); }

 private:
  LevelDocument* document_;
  Ttrlevel before_, after_;
};

// A refusal the user is told about.
inline Result Refused(std::string why) {
  return Result::Fail(Status::kRefused, std::move(why));
}
inline Result NoLevel() {
  return Result::Fail(Status::kNothingLoaded, "No level is open.");
}

}  // namespace qavel
