// The command as a whole: the arguments (UTF-8) to an exit status.
#pragma once

#include <string>
#include <vector>

namespace quillpack_command {

// Exit statuses.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // a file failed; the others were still done
constexpr int kExitUsage = 2;    // nothing was done

// Parses `arguments` (without the program's name) and packs, restores, tests or lists every
// file they name. Returns the exit status.
[[nodiscard]] int RunCommand(const std::vector<std::string> &arguments);

}  // namespace quillpack_command
