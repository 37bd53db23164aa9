#include "editor/file_stamp.h"

#include <sys/stat.h>

#include <filesystem>

namespace qavel {

FileStamp StampOf(const std::string& path) {
  FileStamp stamp;
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return stamp;
  stamp.exists = true;
  stamp.size = static_cast<uint64_t>(st.st_size);
  stamp.device = static_cast<uint64_t>(st.st_dev);
  stamp.inode = static_cast<uint64_t>(st.st_ino);
  // The library's clock keeps the time as finely as each system does.
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path, ec);
  if (!ec) stamp.modified = static_cast<int64_t>(time.time_since_epoch().count());
  return stamp;
}

}  // namespace qavel
