#include "program_data.h"

#include <filesystem>
#include <system_error>

#ifndef QAVEL_DATA_FROM_PROGRAMS
#error "QAVEL_DATA_FROM_PROGRAMS names the data folder relative to the programs' folder"
#endif

namespace qavel {

namespace fs = std::filesystem;

std::string ProgramFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

std::string InstalledDataFolder(const std::string& program_dir) {
  return (fs::path(program_dir) / QAVEL_DATA_FROM_PROGRAMS).lexically_normal().string();
}

std::string FindProgramData(const std::string& program_dir, const std::string& name) {
  if (program_dir.empty()) return name;
  std::error_code ec;
  const fs::path beside = fs::path(program_dir) / name;
  if (fs::exists(beside, ec)) return beside.string();
  const fs::path installed = fs::path(InstalledDataFolder(program_dir)) / name;
  if (fs::exists(installed, ec)) return installed.string();
  return beside.string();
}

}  // namespace qavel
