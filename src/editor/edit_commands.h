#pragma once
// Undo commands of the editor: the change of one value and the append of one record.

#include <QUndoCommand>
#include <functional>
#include <utility>

#include "editor/editor_session.h"

namespace qavel {

// Consecutive commands with the same id on the same target fold into one undo step (the
// automatic position spins send one change per step of the spin box).
enum MergeId : int {
  kNoMerge = -1,
  kMergeItemX = 1,
  kMergeItemY,
  kMergeItemZ,
  kMergeStaticX,
  kMergeStaticY,
  kMergeStaticZ,
  kMergeStaticLights,
  kMergeTrcValue,
};

// What a command touched: announced after every do and undo, so the window shows it.
struct EditTarget {
  Change what;
  int room = -1;
  int index = -1;
  bool operator==(const EditTarget&) const = default;
};

// Replaces one value of the model (a record pair, a flag word) and can put the old one back.
template <class Value>
class ChangeValueCommand : public QUndoCommand {
 public:
  using Put = std::function<void(Ttrlevel&, const Value&)>;

  ChangeValueCommand(EditorSession* session, const QString& name, EditTarget target, int merge,
                     Value before, Value after, Put put)
      : QUndoCommand(name),
        session_(session),
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
    put_(session_->mutable_level(), value);
    session_->Announce(target_.what, target_.room, target_.index);
  }

  EditorSession* session_;
  EditTarget target_;
  int merge_;
  Value before_, after_;
  Put put_;
};

// Appends one record (kept in every form the model holds) and removes it again on undo.
template <class Value>
class AppendRecordCommand : public QUndoCommand {
 public:
  using Push = std::function<void(Ttrlevel&, const Value&)>;
  using Pop = std::function<void(Ttrlevel&)>;

  AppendRecordCommand(EditorSession* session, const QString& name, EditTarget target, Value value,
                      Push push, Pop pop)
      : QUndoCommand(name),
        session_(session),
        target_(target),
        value_(std::move(value)),
        push_(std::move(push)),
        pop_(std::move(pop)) {}

  void redo() override {
    push_(session_->mutable_level(), value_);
    session_->Announce(target_.what, target_.room, target_.index);
  }
  void undo() override {
    pop_(session_->mutable_level());
    session_->Announce(target_.what, target_.room, target_.index);
  }

 private:
  EditorSession* session_;
  EditTarget target_;
  Value value_;
  Push push_;
  Pop pop_;
};

// Puts a whole level state in place: the before and after of an import. Holding both keeps
// undo exact whatever tables the import touched (texture pages are shared, not copied).
class ReplaceLevelCommand : public QUndoCommand {
 public:
  ReplaceLevelCommand(EditorSession* session, const QString& name, Ttrlevel before, Ttrlevel after)
      : QUndoCommand(name),
        session_(session),
        before_(std::move(before)),
        after_(std::move(after)) {}

  void redo() override { session_->ReplaceLevel(after_); }
  void undo() override { session_->ReplaceLevel(before_); }

 private:
  EditorSession* session_;
  Ttrlevel before_, after_;
};

// Both forms of an item, both forms of a static instance.
struct ItemPair {
  titem1 form1;
  titem2 form2;
  bool operator==(const ItemPair&) const = default;
};
struct StaticPair {
  tstatic1 form1;
  tstatic2 form2;
  bool operator==(const StaticPair&) const = default;
};

}  // namespace qavel
