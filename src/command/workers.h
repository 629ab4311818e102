// Workers: threads that code segments handed to them, in the order handed, and say when each
// is done. Only the command starts threads; the library's calls never do.
#pragma once

#include "command/segment_coder.h"

namespace quillpack_command {

// A segment to code and, once `done`, whether the coding held (`ok`; false when memory ran
// out). Owned by the caller, who neither reads nor changes it between WorkersSubmit and
// WorkersWait.
struct Job {
  Segment *segment;
  Job *next;  // in the queue
  bool done;
  bool ok;
};

struct Workers;

// Starts up to `count` threads, each with its own coder, with every signal blocked (signals
// go to the thread that reads and writes). A thread that cannot be started, or whose coder
// finds no memory, is simply one worker fewer. Returns null when none started: the caller
// then codes on its own.
[[nodiscard]] Workers *WorkersStart(unsigned count);

// Stops and joins every thread (after the jobs handed to them) and releases everything.
void WorkersStop(Workers *workers);

// The number of threads running.
[[nodiscard]] unsigned WorkersCount(const Workers *workers);

// Queues `job` for the next free worker.
void WorkersSubmit(Workers *workers, Job *job);

// Waits until `job` is coded; returns its `ok`.
[[nodiscard]] bool WorkersWait(Workers *workers, Job *job);

}  // namespace quillpack_command
