// On Windows an interrupt ends the program without a handler: the file being written is open
// without shared deletion, so it could not be removed from a handler anyway.
#include "command/signals.h"

namespace quillpack_command {

void SignalsInstall() {}

void SignalsGuard(const char *) {}

}  // namespace quillpack_command
