#pragma once
// Where the programs find what ships with them: beside the program (a build tree, or a folder
// unpacked anywhere), then in the installed data folder that lies at a fixed place relative to
// the program (PREFIX/share/qavel for PREFIX/bin/qavel and for a helper program in
// PREFIX/libexec/qavel). No absolute path is compiled in, so an installed tree can be moved as a
// whole.

#include <string>

namespace qavel {

// The folder of the running program, "" where the system does not say.
std::string ProgramFolder();

// The file `name` that ships with the program in program_dir: program_dir/name when it exists,
// else the one in the installed data folder when that exists, else program_dir/name (so that a
// message about the missing file names the first place looked in). An empty program_dir (the
// system did not say) means the working folder.
std::string FindProgramData(const std::string& program_dir, const std::string& name);

}  // namespace qavel
