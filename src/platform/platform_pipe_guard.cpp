// Keeping SIGPIPE from the host while an operation writes: a broken pipe is a failed write.
//
// Ignoring the signal would change the host's process-wide disposition; blocking it on the
// calling thread only, and taking back what the thread's own writes raised, does not.
#include "platform/platform.h"

#if !defined(_WIN32)
#include <pthread.h>
#include <time.h>
#endif

namespace quillpack {

#if defined(_WIN32)

// Windows has no SIGPIPE: a write to a closed pipe simply fails.
void PlatformPipeGuardBegin(PlatformPipeGuard *guard) {
  guard->active = false;
}

void PlatformPipeGuardEnd(PlatformPipeGuard *) {}

#else

namespace {

bool PipeSignalPending() {
  sigset_t pending;
  return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

void PlatformPipeGuardBegin(PlatformPipeGuard *guard) {
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  guard->active = pthread_sigmask(SIG_BLOCK, &pipe, &guard->saved) == 0;
  guard->was_pending = guard->active && PipeSignalPending();
}

void PlatformPipeGuardEnd(PlatformPipeGuard *guard) {
  if (!guard->active) return;
  if (!guard->was_pending && PipeSignalPending()) {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    // Signals of one kind do not queue, so one wait takes all that were raised. A zero
    // timeout: should another thread have taken it meanwhile, nothing waits.
    const struct timespec now = {0, 0};
    sigtimedwait(&pipe, nullptr, &now);
  }
  pthread_sigmask(SIG_SETMASK, &guard->saved, nullptr);
}

#endif

}  // namespace quillpack
