#include "program_data.h"

#include <filesystem>
#include <system_error>

#if !defined(QAVEL_DATA_FROM_PROGRAMS) || !defined(QAVEL_DATA_FROM_HELPERS)
#error "the build names the installed data folder relative to the programs' and helpers' folders"
#endif

namespace qavel {

namespace fs = std::filesystem;

namespace {

// The installed data folder seen from the folder of a program (bin/) and from that of a helper
// program (libexec/qavel/).
constexpr const char* kInstalledData[] = {QAVEL_DATA_FROM_PROGRAMS, QAVEL_DATA_FROM_HELPERS};

}  // namespace

std::string ProgramFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

std::string FindProgramData(const std::string& program_dir, const std::string& name) {
  if (program_dir.empty()) return name;
  std::error_code ec;
  const fs::path beside = fs::path(program_dir) / name;
  if (fs::exists(beside, ec)) return beside.string();
  for (const char* data : kInstalledData) {
    const fs::path installed = (fs::path(program_dir) / data / name).lexically_normal();
    if (fs::exists(installed, ec)) return installed.string();
  }
  return beside.string();
}

}  // namespace qavel
