// What the failed writes of the calling thread tell the signal guard.
#pragma once

namespace quillpack {

// Records, for PlatformRunSignalGuarded, that a write of the calling thread failed with
// `error` (an errno value). EPIPE and EFBIG mean that the system raised SIGPIPE or SIGXFSZ on
// the thread for it; other values, and every value where those signals do not exist, are
// ignored.
void PlatformNoteFailedWrite(int error);

}  // namespace quillpack
