// On Windows an interrupt ends the program without a handler (the file being written is open
// without shared deletion, so it could not be removed from one anyway), and threads take no
// signals.
#include "command/signals.h"

namespace quillpack_command {

void SignalsInstall() {}

void SignalsGuard(const char *) {}

void SignalsBlockedWhile(void (*start)(void *), void *argument) {
  start(argument);
}

}  // namespace quillpack_command
