// The output being written, removed when a signal ends the program (POSIX systems).
#pragma once

namespace quillpack_command {

// Makes the signals that end a program at a user's request (interrupt, hang-up, terminate)
// remove the output named by SignalsGuard before the program ends by the same signal.
void SignalsInstall();

// Names the file to remove should such a signal come (null: none). The name is copied.
void SignalsGuard(const char *path);

}  // namespace quillpack_command
