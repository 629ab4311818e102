// Holding a stdio stream for one caller, so that a line written in pieces stays whole.
#pragma once

#include <cstdio>

namespace quillpack {

// Takes the stream's own lock for the calling thread (as the stream's own calls do), waiting
// while another thread holds it; the same thread may take it again. Every lock is matched by
// one PlatformUnlockStream.
void PlatformLockStream(std::FILE *stream);
void PlatformUnlockStream(std::FILE *stream);

}  // namespace quillpack
