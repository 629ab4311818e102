// Keeping SIGPIPE from the host while an operation writes: a broken pipe is a failed write.
//
// Ignoring the signal would change the host's process-wide disposition; blocking it on the
// calling thread only, and taking back what the thread's own writes raised, does not.
#include <pthread.h>
#include <signal.h>
#include <time.h>

#include "platform/assertion.h"
#include "platform/platform.h"

namespace quillpack {
namespace {

[[nodiscard]] bool PipeSignalPending() {
  sigset_t pending;
  return sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
}

}  // namespace

int PlatformRunPipeGuarded(int (*operation)(const char *, const char *), const char *input_path,
                           const char *output_path) {
  QUILLPACK_ASSERT(operation != nullptr);
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  sigset_t saved;  // the thread's signal mask before the operation
  bool active = pthread_sigmask(SIG_BLOCK, &pipe, &saved) == 0;
  // A SIGPIPE pending before belongs to the host and stays.
  bool was_pending = active && PipeSignalPending();
  int result = operation(input_path, output_path);
  if (!active) return result;
  if (!was_pending && PipeSignalPending()) {
    // Signals of one kind do not queue, so one wait takes all that were raised. A zero
    // timeout: should another thread have taken it meanwhile, nothing waits.
    const struct timespec now = {0, 0};
    sigtimedwait(&pipe, nullptr, &now);
  }
  pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  return result;
}

}  // namespace quillpack
