#pragma once
// Where the help files are found: the working directory first, then the folder the program lies
// in, then the installed share folder (<prefix>/share/quorin beside <prefix>/bin), so that the
// help works wherever the program is started from, built or installed.

#include <string>
#include <vector>

namespace quorin::help {

// The folder of the running program ("" when the system cannot tell).
std::string program_folder();

// The folders searched for the help files, in order: the working directory, the program's
// folder and the installed share folder (each left out when it is unknown or an earlier one).
std::vector<std::string> help_folders();

// The path of `name` in the first folder that holds it as a regular file, or "" when none does.
std::string find_file(const std::string& name, const std::vector<std::string>& folders);

}  // namespace quorin::help
