// The safe save: the new content goes into a temporary file beside the target, which replaces
// the target by a rename once it is complete and on disk.

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <random>

#include "level/file_kind.h"
#include "level/zfile.h"

namespace qavel {

namespace {

// The file a save replaces: the path itself, or the file its symbolic links lead to, so that a
// link stays a link and its target gets the new content, as other editors do. A link that leads
// nowhere yet names the file to create. Fails (ELOOP) on a chain that does not end.
bool ResolveLinks(const std::string& path, std::string& target) {
  target = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::vector<char> link(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = readlink(target.c_str(), link.data(), link.size());
    if (n < 0) return true;  // opening the path says why
    if (static_cast<size_t>(n) == link.size()) {
      errno = ENAMETOOLONG;
      return false;
    }
    const std::string to(link.data(), static_cast<size_t>(n));
    const auto slash = target.find_last_of('/');
    if ((!to.empty() && to.front() == '/') || slash == std::string::npos) {
      target = to;
    } else {
      target.resize(slash + 1);  // a relative link leads on from the link's own folder
      target += to;
    }
  }
  errno = ELOOP;
  return false;
}

// How the names of a target's temporary files start: "." and the target's name, shortened so
// that the folder can hold the whole name whatever its length, then ".qavel-" (and six random
// letters to end it).
std::string TemporaryPrefix(const std::string& folder, const std::string& base) {
  long most = pathconf(folder.c_str(), _PC_NAME_MAX);
  if (most <= 0) most = 255;
  constexpr long kAdded = 1 + 13;  // "." and ".qavel-XXXXXX"
  const size_t keep = std::min(base.size(), static_cast<size_t>(std::max(0L, most - kAdded)));
  // Built by appending: GCC 12 warns of an overlapping copy, wrongly, in "." + a string.
  std::string name(".");
  name.append(base, 0, keep);
  name += ".qavel-";
  return name;
}

// Where a save goes: the file it replaces, and the folder that holds it (as a path prefix,
// empty for the working folder).
struct SaveTarget {
  std::string file, prefix, folder, base, temporary_prefix;

  explicit SaveTarget(const std::string& target)
      : file(target),
        prefix(target.substr(0, target.find_last_of('/') + 1)),  // none: npos + 1 is 0
        folder(prefix.empty() ? std::string(".") : prefix),
        base(target.substr(prefix.size())),
        temporary_prefix(TemporaryPrefix(folder, base)) {}
  std::string TemporaryName() const {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string name = prefix + temporary_prefix;
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
  }
};

// A file whose mode lets nobody write it, or that we may not write, is not replaced: the rename
// would pass over its mode. Root too is held to the mode, as editors do.
bool ReadOnly(const std::string& file, const struct stat& st) {
  return (st.st_mode & 0222) == 0 || faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0;
}

Result ReadOnlyFailure(const std::string& path) {
  return Result::Fail(Status::kCannotOpen, path + " is read-only");
}

// The temporary file of a save, locked while it is written: the lock tells a later save that
// the file belongs to a save still running. It has no name while the system allows that, so a
// save that is killed leaves nothing behind.
struct Temporary {
  int fd = -1;
  std::string name;  // empty while the file has none
};

// A file that replaces another is made private until it gets the other's mode; a new file gets
// the usual mode (the umask applies).
bool OpenTemporary(const SaveTarget& t, bool unnamed, bool replacing, Temporary& temp) {
  const mode_t mode = replacing ? 0600 : 0666;
#ifdef O_TMPFILE
  if (unnamed) temp.fd = ::open(t.folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
#endif
  for (int attempt = 0; temp.fd < 0 && attempt < 100; ++attempt) {
    temp.name = t.TemporaryName();
    temp.fd = ::open(temp.name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (temp.fd < 0 && errno != EEXIST) return false;
  }
  if (temp.fd < 0) return false;
  flock(temp.fd, LOCK_EX | LOCK_NB);
  return true;
}

// Gives an unnamed temporary file a name beside the target, for the rename. Fails where the
// system cannot name it (no /proc, and no right to name it by its descriptor).
bool NameTemporary(const SaveTarget& t, Temporary& temp) {
#ifdef O_TMPFILE
  const std::string self = "/proc/self/fd/" + std::to_string(temp.fd);
  for (int attempt = 0; temp.name.empty() && attempt < 100; ++attempt) {
    const std::string name = t.TemporaryName();
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
        (errno != EEXIST && linkat(temp.fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0))
      temp.name = name;
    else if (errno != EEXIST)
      return false;
  }
#endif
  return !temp.name.empty();
}

// Removes what saves of this target that were killed left behind: temporary files that no
// running save holds locked. An empty one may belong to a save that has just made it and not
// yet locked it; it is left until it is a minute old.
void RemoveStaleTemporaries(const SaveTarget& t) {
  DIR* dir = opendir(t.folder.c_str());
  if (!dir) return;
  const size_t length = t.temporary_prefix.size() + 6;
  while (const dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() != length || name.compare(0, length - 6, t.temporary_prefix) != 0) continue;
    const int fd = openat(dirfd(dir), e->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        (st.st_size > 0 || std::time(nullptr) - st.st_mtime > 60) &&
        flock(fd, LOCK_EX | LOCK_NB) == 0)
      unlinkat(dirfd(dir), e->d_name, 0);
    ::close(fd);
  }
  closedir(dir);
}

bool WriteAll(int fd, const std::vector<std::span<const uint8_t>>& pieces) {
  for (const auto& piece : pieces) {
    size_t done = 0;
    while (done < piece.size()) {
      const ssize_t n = ::write(fd, piece.data() + done, piece.size() - done);
      if (n < 0 && errno != EINTR) return false;
      if (n > 0) done += static_cast<size_t>(n);
    }
  }
  return true;
}

// Gives the new file the owner, group and permissions of the file it replaces: the owner only
// where we may give it away, as root may, the group where we belong to it. The owner goes first:
// changing it clears the set-id bits that the mode restores.
void KeepOwnerAndMode(int fd, const struct stat& old) {
  if (fchown(fd, old.st_uid, old.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), old.st_gid)) {
    // Not permitted: the file becomes ours, as any new file would.
  }
  fchmod(fd, old.st_mode & 07777);
}

// Makes the rename itself last: without this a crash soon after the save may lose it. Not
// every file system can sync a folder; the content is in place either way.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

enum class Outcome { kDone, kFailed, kCannotName };

// Writes the content into a temporary file (unnamed where asked and possible) and renames it
// over the target; errno says why when it fails. The temporary file is gone either way.
Outcome ReplaceByTemporary(const SaveTarget& t, const std::vector<std::span<const uint8_t>>& pieces,
                           const struct stat* old, bool unnamed) {
  Temporary temp;
  if (!OpenTemporary(t, unnamed, old != nullptr, temp)) return Outcome::kFailed;
  bool written = WriteAll(temp.fd, pieces);
  if (written) {
    if (old) KeepOwnerAndMode(temp.fd, *old);
    written = ::fsync(temp.fd) == 0;
  }
  Outcome outcome = Outcome::kFailed;
  if (written && !NameTemporary(t, temp))
    outcome = Outcome::kCannotName;
  else if (written && std::rename(temp.name.c_str(), t.file.c_str()) == 0)
    outcome = Outcome::kDone;
  const int reason = errno;
  if (outcome != Outcome::kDone && !temp.name.empty()) ::unlink(temp.name.c_str());
  ::close(temp.fd);
  errno = reason;
  return outcome;
}

}  // namespace

Result CheckNotReadOnly(const std::string& path) {
  std::string file;
  struct stat st {};
  if (ResolveLinks(path, file) && stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      ReadOnly(file, st))
    return ReadOnlyFailure(path);
  return Result::Ok();
}

Result WriteFileAtomically(const std::string& path,
                           const std::vector<std::span<const uint8_t>>& pieces) {
  auto cannot = [&path](const std::string& why) {
    return Result::Fail(Status::kCannotOpen, "cannot save " + path + ": " + why);
  };
  std::string file;
  if (!ResolveLinks(path, file)) return cannot(SystemReason());
  const SaveTarget target(file);
  struct stat old {};
  const bool replacing = stat(target.file.c_str(), &old) == 0;
  // Renaming over a device or a pipe would replace it (as root even /dev/null) by a file.
  if (replacing && !S_ISREG(old.st_mode)) return cannot(NotRegular(old.st_mode));
  if (replacing && ReadOnly(target.file, old)) return ReadOnlyFailure(path);
  RemoveStaleTemporaries(target);
  const struct stat* replaced = replacing ? &old : nullptr;
  Outcome outcome = ReplaceByTemporary(target, pieces, replaced, true);
  // A system that makes unnamed files but cannot name them here gets a named one.
  if (outcome == Outcome::kCannotName)
    outcome = ReplaceByTemporary(target, pieces, replaced, false);
  if (outcome != Outcome::kDone) return cannot(SystemReason());
  SyncFolder(target.folder);
  return Result::Ok();
}

}  // namespace qavel
