#include "program_data.h"

#include <filesystem>
#include <system_error>

#if !defined(QAVEL_DATA_FROM_PROGRAMS) || !defined(QAVEL_DATA_FROM_HELPERS) || \
    !defined(QAVEL_HELPERS_FROM_PROGRAMS)
#error "the build names the installed data and helper folders relative to the programs' folders"
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

std::string FindHelperProgram(const std::string& program_dir, const std::string& name) {
  if (program_dir.empty()) return {};
  std::error_code ec;
  for (const fs::path& place :
       {fs::path(program_dir) / name, fs::path(program_dir) / QAVEL_HELPERS_FROM_PROGRAMS / name}) {
    if (fs::is_regular_file(place, ec)) return place.lexically_normal().string();
  }
  return {};
}

}  // namespace qavel
