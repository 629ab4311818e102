// Keeping the signals of failed writes from the host while an operation writes: a write to
// a pipe whose reader has gone (SIGPIPE) or past the process's file size limit (SIGXFSZ) is
// a failed write, reported like any other.
//
// Ignoring the signals would change the host's process-wide dispositions; blocking them on
// the calling thread only, and taking back exactly the ones the thread's own failed writes
// raised, does not.
#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <cerrno>

#include "platform/assertion.h"
#include "platform/compiler.h"
#include "platform/failed_writes.h"
#include "platform/platform.h"

namespace quillpack {
namespace {

constexpr int kWriteSignals[] = {SIGPIPE, SIGXFSZ};
// The failure a write reports when it raised the signal of the same index.
constexpr int kWriteErrors[] = {EPIPE, EFBIG};
constexpr int kWriteSignalCount = sizeof kWriteSignals / sizeof kWriteSignals[0];
static_assert(sizeof kWriteErrors == sizeof kWriteSignals, "one failure for each signal");

// Bit i: a write of the calling thread raised kWriteSignals[i] since the guarded operation
// began. Cleared at the start and the end of each one.
thread_local unsigned raised_by_writes;

// Kept out of the guard's frame, which stays on the stack for the whole operation.
[[nodiscard]] QUILLPACK_NOINLINE bool SignalPending(int signal) {
  sigset_t pending;
  return sigpending(&pending) == 0 && sigismember(&pending, signal) == 1;
}

// Blocks the write signals on the calling thread, keeping the mask before in `*saved`.
// Returns false, with the mask unchanged, when the system refuses.
[[nodiscard]] QUILLPACK_NOINLINE bool BlockWriteSignals(sigset_t *saved) {
  sigset_t guarded;
  sigemptyset(&guarded);
  for (int signal : kWriteSignals) sigaddset(&guarded, signal);
  return pthread_sigmask(SIG_BLOCK, &guarded, saved) == 0;
}

// Takes one pending `signal`, the one a write of this thread raised. Linux takes a signal
// pending for the thread before one pending for the process, so one sent to the process
// stays; where the system takes the process's first, the host is still left with one
// signal of the kind, as it would have been. A signal of the host's that was pending
// before (`was_pending`) and fell together with the write's, as signals of one kind do, is
// raised again on the thread, so that it stays pending.
QUILLPACK_NOINLINE void TakeBack(int signal, bool was_pending) {
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  // A zero timeout: should another thread have taken it meanwhile, nothing waits.
  const struct timespec now = {0, 0};
  while (sigtimedwait(&one, nullptr, &now) < 0 && errno == EINTR) {
  }
  if (was_pending && !SignalPending(signal)) pthread_kill(pthread_self(), signal);
}

}  // namespace

void PlatformNoteFailedWrite(int error) {
  for (int i = 0; i < kWriteSignalCount; ++i)
    if (error == kWriteErrors[i]) raised_by_writes |= 1u << i;
}

int PlatformRunSignalGuarded(int (*operation)(const char *, const char *), const char *input_path,
                             const char *output_path) {
  QUILLPACK_ASSERT(operation != nullptr);
  sigset_t saved;  // the thread's signal mask before the operation
  bool active = BlockWriteSignals(&saved);
  unsigned was_pending = 0;
  for (int i = 0; i < kWriteSignalCount; ++i)
    if (active && SignalPending(kWriteSignals[i])) was_pending |= 1u << i;
  raised_by_writes = 0;
  int result = operation(input_path, output_path);
  unsigned raised = raised_by_writes;
  raised_by_writes = 0;
  if (!active) return result;
  for (int i = 0; i < kWriteSignalCount; ++i)
    if ((raised & 1u << i) != 0) TakeBack(kWriteSignals[i], (was_pending & 1u << i) != 0);
  pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  return result;
}

}  // namespace quillpack
