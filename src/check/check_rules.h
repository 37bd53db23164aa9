#pragma once
// The rules of CheckLevel, one function per group of tables, and what they share.

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "check/check_level.h"

namespace qavel::check {

// Collects problems; the sentence is the place followed by what is wrong there.
class Findings {
 public:
  void Error(std::string_view code, const ProblemPlace& where, const std::string& detail) {
    Add(Severity::kError, code, where, detail);
  }
  void Warning(std::string_view code, const ProblemPlace& where, const std::string& detail) {
    Add(Severity::kWarning, code, where, detail);
  }
  std::vector<Problem> problems;

 private:
  void Add(Severity severity, std::string_view code, const ProblemPlace& where,
           const std::string& detail) {
    problems.push_back({severity, code, where, PlaceText(where) + ": " + detail});
  }
};

// A little-endian field of a raw record.
template <class T, size_t N>
T Field(const uint8_t (&raw)[N], size_t at) {
  static_assert(sizeof(T) <= N);
  T v;
  std::memcpy(&v, raw + at, sizeof(T));
  return v;
}

// "the level has 12 rooms", "the level has 1 room".
std::string LevelHas(uint64_t count, std::string_view one, std::string_view many);
std::string Plural(uint64_t count, std::string_view one, std::string_view many);

// Places.
ProblemPlace RoomPlace(size_t room);
ProblemPlace InRoom(PlaceKind kind, size_t room, size_t index);
ProblemPlace SectorPlace(const troom& room, size_t room_index, size_t sector);
ProblemPlace TablePlace(PlaceKind kind, size_t index);
ProblemPlace MovablePlace(const Ttrlevel& level, size_t movable);

// What the triggers make of the cameras: the rules of the camera table need it.
enum CameraUse : uint8_t { kCameraUnused = 0, kCameraShown = 1, kCameraCurrent = 2 };

// Entries in the sound map of the level's generation (or of its extended word table).
size_t SoundMapSize(const Ttrlevel& level);
// Sound map entry `id` as the game reads it (-1 for none).
int SoundMapEntry(const Ttrlevel& level, size_t id);

void CheckRooms(const Ttrlevel& level, Findings& out);
void CheckItems(const Ttrlevel& level, Findings& out);
// Returns one CameraUse mask per camera.
std::vector<uint8_t> CheckFloorData(const Ttrlevel& level, Findings& out);
void CheckMeshes(const Ttrlevel& level, Findings& out);
void CheckMovables(const Ttrlevel& level, Findings& out);
void CheckAnimations(const Ttrlevel& level, Findings& out);
void CheckTextures(const Ttrlevel& level, Findings& out);
void CheckBoxes(const Ttrlevel& level, Findings& out);
void CheckCameras(const Ttrlevel& level, const std::vector<uint8_t>& use, Findings& out);
void CheckSound(const Ttrlevel& level, Findings& out);

}  // namespace qavel::check
