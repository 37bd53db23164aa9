#include "level/level_failure.h"

#include <new>

namespace qavel {

Result CatchLevelFailures(const std::function<void()>& work, const std::string& out_of_memory) {
  try {
    work();
  } catch (const LevelFormatError& e) {
    return Result::Fail(e.status(), e.what());
  } catch (const std::bad_alloc&) {
    return Result::Fail(Status::kDamaged, out_of_memory);
  }
  return Result::Ok();
}

}  // namespace qavel
