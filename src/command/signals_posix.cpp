// The output removed on an interrupt: a copy of its name a handler can read at any moment.
#include <pthread.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

#include "command/signals.h"

namespace quillpack_command {
namespace {

// A pipe with no reader (standard error's too, while a failure is reported) ends the program
// as the others do, but not before its output is removed.
constexpr int kEndingSignals[] = {SIGINT, SIGHUP, SIGTERM, SIGPIPE};

// The name is written only with the signals blocked, so the handler sees it whole.
char guarded[4096];
volatile sig_atomic_t guarding = 0;

void OnEndingSignal(int signal) {
  if (guarding) unlink(guarded);
  struct sigaction standard;
  memset(&standard, 0, sizeof standard);
  standard.sa_handler = SIG_DFL;
  sigaction(signal, &standard, nullptr);
  raise(signal);
}

}  // namespace

void SignalsInstall() {
  // A write past the file size limit fails (EFBIG) instead of ending the program: the output
  // is removed and the next file is done, as after any failed write.
  struct sigaction ignored;
  memset(&ignored, 0, sizeof ignored);
  ignored.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignored, nullptr);
  for (int signal : kEndingSignals) {
    struct sigaction now;
    // A signal the program was started with ignored stays ignored, as with nohup.
    if (sigaction(signal, nullptr, &now) != 0 || now.sa_handler == SIG_IGN) continue;
    struct sigaction handler;
    memset(&handler, 0, sizeof handler);
    handler.sa_handler = OnEndingSignal;
    sigfillset(&handler.sa_mask);
    sigaction(signal, &handler, nullptr);
  }
}

void SignalsGuard(const char *path) {
  sigset_t all, saved;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &saved);
  guarding = 0;
  if (path != nullptr && strlen(path) < sizeof guarded) {
    memcpy(guarded, path, strlen(path) + 1);
    guarding = 1;
  }
  pthread_sigmask(SIG_SETMASK, &saved, nullptr);
}

void SignalsBlockedWhile(void (*start)(void *), void *argument) {
  sigset_t all, saved;
  sigfillset(&all);
  bool blocked = pthread_sigmask(SIG_SETMASK, &all, &saved) == 0;
  start(argument);
  if (blocked) pthread_sigmask(SIG_SETMASK, &saved, nullptr);
}

}  // namespace quillpack_command
