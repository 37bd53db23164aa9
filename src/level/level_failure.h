#pragma once
// LevelFormatError: how the level layer's readers and writers stop deep inside a file, and the
// one place that turns it into a Result.

#include <functional>
#include <stdexcept>
#include <string>

#include "level/result.h"

namespace qavel {

// A level file that cannot be read as what it claims to be (it ends early, holds an impossible
// count or a table beyond the model's capacities), or a level that cannot be written (packing
// failed). Thrown where the fault is found, with the message the user is told; it never leaves
// the layer: CatchLevelFailures ends it.
class LevelFormatError : public std::runtime_error {
 public:
  explicit LevelFormatError(const std::string& message, Status status = Status::kDamaged)
      : std::runtime_error(message), status_(status) {}
  Status status() const { return status_; }

 private:
  Status status_;
};

// Runs work and answers Ok, or the failure that stopped it: a LevelFormatError with its status
// and message, or running out of memory (kDamaged, the given message: a hostile file can ask
// for more than there is).
Result CatchLevelFailures(const std::function<void()>& work, const std::string& out_of_memory);

}  // namespace qavel
