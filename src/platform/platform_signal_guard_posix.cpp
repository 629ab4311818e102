// Keeping the signals of failed writes from the host while an operation writes: a write to
// a pipe whose reader has gone (SIGPIPE) or past the process's file size limit (SIGXFSZ) is
// a failed write, reported like any other.
//
// Ignoring the signals would change the host's process-wide dispositions; blocking them on
// the calling thread only, and taking back what the thread's own writes raised, does not.
#include <pthread.h>
#include <signal.h>
#include <time.h>

#include "platform/assertion.h"
#include "platform/platform.h"

namespace quillpack {
namespace {

constexpr int kWriteSignals[] = {SIGPIPE, SIGXFSZ};
constexpr int kWriteSignalCount = sizeof kWriteSignals / sizeof kWriteSignals[0];

[[nodiscard]] bool SignalPending(int signal) {
  sigset_t pending;
  return sigpending(&pending) == 0 && sigismember(&pending, signal) == 1;
}

}  // namespace

int PlatformRunSignalGuarded(int (*operation)(const char *, const char *), const char *input_path,
                             const char *output_path) {
  QUILLPACK_ASSERT(operation != nullptr);
  sigset_t guarded;
  sigemptyset(&guarded);
  for (int signal : kWriteSignals) sigaddset(&guarded, signal);
  sigset_t saved;  // the thread's signal mask before the operation
  bool active = pthread_sigmask(SIG_BLOCK, &guarded, &saved) == 0;
  // A signal pending before belongs to the host and stays.
  bool was_pending[kWriteSignalCount] = {};
  for (int i = 0; i < kWriteSignalCount; ++i)
    was_pending[i] = active && SignalPending(kWriteSignals[i]);
  int result = operation(input_path, output_path);
  if (!active) return result;
  for (int i = 0; i < kWriteSignalCount; ++i) {
    if (was_pending[i] || !SignalPending(kWriteSignals[i])) continue;
    // Signals of one kind do not queue, so one wait takes all that were raised. A zero
    // timeout: should another thread have taken it meanwhile, nothing waits.
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, kWriteSignals[i]);
    const struct timespec now = {0, 0};
    sigtimedwait(&one, nullptr, &now);
  }
  pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  return result;
}

}  // namespace quillpack
