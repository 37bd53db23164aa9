#pragma once
// FileStamp: what tells that a file on disk is no longer the one read or written: its size, its
// modification time and its identity (device and inode; a file replaced by another program's
// save gets a new one even when size and time match).

#include <cstdint>
#include <string>

namespace qavel {

struct FileStamp {
  bool exists = false;
  uint64_t size = 0;
  int64_t modified = 0;  // nanoseconds of the file clock, as the system keeps them
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file a path leads to (through symbolic links); exists is false when there is
// none.
FileStamp StampOf(const std::string& path);

}  // namespace qavel
