#include "inspect/level_edit.h"

namespace qavel {

int RoomOf(const EditTarget& target) {
  return std::visit(
      [](const auto& t) {
        if constexpr (requires { t.room; })
          return t.room;
        else
          return -1;
      },
      target);
}

bool TouchesItems(const EditTarget& target) {
  return std::holds_alternative<ItemEntryTarget>(target) ||
         std::holds_alternative<ItemListTarget>(target);
}

bool TouchesStatics(const EditTarget& target) {
  return std::holds_alternative<StaticTarget>(target) ||
         std::holds_alternative<StaticListTarget>(target);
}

struct LevelEdit::StepChange : Body {
  StepChange(Step a, Step r) : apply(std::move(a)), revert(std::move(r)) {}
  void Apply(Ttrlevel& level) const override { apply(level); }
  void Revert(Ttrlevel& level) const override { revert(level); }
  Step apply, revert;
};

LevelEdit LevelEdit::Steps(std::string name, EditTarget target, Step apply, Step revert) {
  return LevelEdit(std::move(name), target, kNoMerge,
                   std::make_unique<StepChange>(std::move(apply), std::move(revert)));
}

bool LevelEdit::Absorb(const LevelEdit& next) {
  if (merge_ == kNoMerge || next.merge_ != merge_ || !(next.target_ == target_)) return false;
  return change_->Absorb(*next.change_);
}

}  // namespace qavel
