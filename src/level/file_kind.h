#pragma once
// What the system said, and what a file that is no regular file is, in the words of our messages.

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace qavel {

inline std::string SystemReason() {
  return std::strerror(errno);
}

// Why a file of this mode is not read or replaced: "it is a folder", "it is a pipe, not a
// regular file".
inline std::string NotRegular(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a folder";
  const char* kind = S_ISFIFO(mode)   ? "a pipe"
                     : S_ISCHR(mode)  ? "a character device"
                     : S_ISBLK(mode)  ? "a block device"
                     : S_ISSOCK(mode) ? "a socket"
                                      : "a special file";
  return std::string("it is ") + kind + ", not a regular file";
}

}  // namespace qavel
