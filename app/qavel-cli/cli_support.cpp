#include <algorithm>
#include <cstdio>
#include <utility>

#include "commands.h"
#include "level/level_reader.h"

namespace qavel::cli {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "qavel-cli: %s\n", message.c_str());
  return 1;
}

bool LoadLevel(Ttrlevel& level, const std::string& path) {
  auto read = ReadLevel(path);
  if (!read) {
    Fail(read.message());
    return false;
  }
  level = std::move(*read);
  return true;
}

bool TakeFlag(Args& args, const std::string& flag) {
  auto it = std::find(args.begin(), args.end(), flag);
  if (it == args.end()) return false;
  args.erase(it);
  return true;
}

bool TakeOption(Args& args, const std::string& name, std::string& value, bool& present) {
  present = false;
  auto it = std::find(args.begin(), args.end(), name);
  if (it == args.end()) return true;
  present = true;
  if (it + 1 == args.end()) {
    Fail(name + " needs a value");
    return false;
  }
  value = *(it + 1);
  args.erase(it, it + 2);
  return true;
}

}  // namespace qavel::cli
