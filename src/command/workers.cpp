// Workers on POSIX threads (winpthreads on Windows): one lock, a queue of jobs, two
// condition variables.
#include "command/workers.h"

#include <pthread.h>

#include <cstdlib>

#include "command/signals.h"

namespace quillpack_command {

constexpr size_t kWorkerStack = 256u << 10;

struct Thread {
  pthread_t thread;
  Workers *workers;
  Coder coder;
};

struct Workers {
  pthread_mutex_t lock;
  pthread_cond_t queued;  // a job was queued, or the workers are to stop
  pthread_cond_t coded;   // a job is done
  Job *head;              // the queue, oldest first
  Job *tail;
  bool stopping;
  unsigned count;
  Thread *threads;
};

namespace {

void *Work(void *argument) {
  auto *self = static_cast<Thread *>(argument);
  Workers *workers = self->workers;
  pthread_mutex_lock(&workers->lock);
  for (;;) {
    while (workers->head == nullptr && !workers->stopping)
      pthread_cond_wait(&workers->queued, &workers->lock);
    if (workers->head == nullptr) break;
    Job *job = workers->head;
    workers->head = job->next;
    if (workers->head == nullptr) workers->tail = nullptr;
    pthread_mutex_unlock(&workers->lock);
    bool ok = CoderCode(&self->coder, job->segment);
    pthread_mutex_lock(&workers->lock);
    job->ok = ok;
    job->done = true;
    pthread_cond_broadcast(&workers->coded);
  }
  pthread_mutex_unlock(&workers->lock);
  CoderRelease(&self->coder);
  return nullptr;
}

// What StartAll starts: up to `count` threads of `workers`.
struct StartThreads {
  Workers *workers;
  unsigned count;
};

void StartAll(void *argument) {
  auto *start = static_cast<StartThreads *>(argument);
  Workers *workers = start->workers;
  // A worker's calls need little stack (the library's run on 64 KiB); a small one leaves the
  // address space to the segments and finders.
  pthread_attr_t attributes;
  bool sized = pthread_attr_init(&attributes) == 0;
  if (sized) sized = pthread_attr_setstacksize(&attributes, kWorkerStack) == 0;
  // A worker starts with its search, so that it never meets a segment it has no memory for.
  for (unsigned i = 0; i < start->count; ++i) {
    Thread *thread = &workers->threads[workers->count];
    thread->workers = workers;
    CoderInit(&thread->coder);
    if (!CoderStart(&thread->coder)) break;
    if (pthread_create(&thread->thread, sized ? &attributes : nullptr, Work, thread) != 0) {
      CoderRelease(&thread->coder);
      break;
    }
    ++workers->count;
  }
  if (sized) pthread_attr_destroy(&attributes);
}

}  // namespace

Workers *WorkersStart(unsigned count) {
  auto *workers = static_cast<Workers *>(std::malloc(sizeof(Workers)));
  auto *threads = static_cast<Thread *>(std::calloc(count, sizeof(Thread)));
  if (workers == nullptr || threads == nullptr) {
    std::free(workers);
    std::free(threads);
    return nullptr;
  }
  pthread_mutex_init(&workers->lock, nullptr);
  pthread_cond_init(&workers->queued, nullptr);
  pthread_cond_init(&workers->coded, nullptr);
  workers->head = workers->tail = nullptr;
  workers->stopping = false;
  workers->count = 0;
  workers->threads = threads;
  StartThreads start{workers, count};
  SignalsBlockedWhile(StartAll, &start);
  if (workers->count == 0) {
    WorkersStop(workers);
    return nullptr;
  }
  return workers;
}

void WorkersStop(Workers *workers) {
  if (workers == nullptr) return;
  pthread_mutex_lock(&workers->lock);
  workers->stopping = true;
  pthread_cond_broadcast(&workers->queued);
  pthread_mutex_unlock(&workers->lock);
  for (unsigned i = 0; i < workers->count; ++i) pthread_join(workers->threads[i].thread, nullptr);
  pthread_cond_destroy(&workers->coded);
  pthread_cond_destroy(&workers->queued);
  pthread_mutex_destroy(&workers->lock);
  std::free(workers->threads);
  std::free(workers);
}

unsigned WorkersCount(const Workers *workers) {
  return workers->count;
}

void WorkersSubmit(Workers *workers, Job *job) {
  job->next = nullptr;
  job->done = false;
  job->ok = false;
  pthread_mutex_lock(&workers->lock);
  if (workers->tail != nullptr) {
    workers->tail->next = job;
  } else {
    workers->head = job;
  }
  workers->tail = job;
  pthread_cond_signal(&workers->queued);
  pthread_mutex_unlock(&workers->lock);
}

bool WorkersWait(Workers *workers, Job *job) {
  pthread_mutex_lock(&workers->lock);
  while (!job->done) pthread_cond_wait(&workers->coded, &workers->lock);
  bool ok = job->ok;
  pthread_mutex_unlock(&workers->lock);
  return ok;
}

}  // namespace quillpack_command
