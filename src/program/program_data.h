#pragma once
// Where the programs find what ships with them: beside the program (a build tree, or a folder
// unpacked anywhere), then in the installed data folder that lies at a fixed place relative to
// the program (PREFIX/share/qavel for PREFIX/bin/qavel). No absolute path is compiled in, so an
// installed tree can be moved as a whole.

#include <string>

namespace qavel {

// The folder of the running program, "" where the system does not say.
std::string ProgramFolder();

// The installed data folder of a program in program_dir.
std::string InstalledDataFolder(const std::string& program_dir);

// The file `name` that ships with the program: program_dir/name when it exists, else the one in
// InstalledDataFolder(program_dir) when that exists, else program_dir/name (so a message about
// the missing file names the first place looked in).
std::string FindProgramData(const std::string& program_dir, const std::string& name);

}  // namespace qavel
