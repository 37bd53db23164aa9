#pragma once
// The refusals every edit shares, and the one test of whether there is a level to work on.

#include <string>
#include <utility>

#include "level/result.h"
#include "level/ttrlevel.h"

namespace qavel {

// A level is open when it holds at least one room; every panel and edit works on rooms.
inline bool HasRooms(const Ttrlevel& level) {
  return level.IsLoaded() && level.num_rooms() > 0;
}

// A refusal the user is told about.
inline Result Refused(std::string why) {
  return Result::Fail(Status::kRefused, std::move(why));
}
inline Result NoLevel() {
  return Result::Fail(Status::kNothingLoaded, "No level is open.");
}

}  // namespace qavel
