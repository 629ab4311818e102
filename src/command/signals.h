// Signals and the command: the output being written is removed when a signal ends the
// program, and the workers never take a signal (POSIX systems; nothing on Windows).
#pragma once

namespace quillpack_command {

// Makes the signals that end a program at a user's request (interrupt, hang-up, terminate),
// and a write to a pipe no one reads, remove the output named by SignalsGuard before the
// program ends by the same signal. A write past the file size limit fails like any other.
void SignalsInstall();

// Names the file to remove should such a signal come (null: none). The name is copied.
void SignalsGuard(const char *path);

// Runs `start(argument)` with every signal blocked on the calling thread, then restores the
// thread's mask: threads started meanwhile keep every signal blocked, so the signals go to
// the thread that reads, writes and removes.
void SignalsBlockedWhile(void (*start)(void *), void *argument);

}  // namespace quillpack_command
