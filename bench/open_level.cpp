// Opening a level as the level commands of qavel-cli do, in a program that loads nothing but
// the level layer (zlib and the C++ runtime): what such a command costs once it starts without
// the libraries it never calls. Usage: open_level LEVEL; prints the room and item counts.

#include <cstdio>

#include "level/level_reader.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const auto level = qavel::ReadLevel(argv[1]);
  if (!level) {
    std::fprintf(stderr, "%s\n", level.message().c_str());
    return 1;
  }
  std::printf("rooms: %u\nitems: %u\n", level->num_rooms(), level->num_items());
  return 0;
}
