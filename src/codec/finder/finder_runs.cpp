// Run lists of the match finder: set-up and rebasing.
#include "codec/finder/finder_runs.h"

namespace quillpack {

void RunListsInit(RunLists *runs) {
  for (auto &h : runs->head) h = kNoRun;
  for (auto &t : runs->tail) t = kNoRun;
  runs->oldest = 0;
  runs->count = 0;
}

void RunListsRebase(RunLists *runs, uint32_t delta, uint32_t oldest) {
  QUILLPACK_ASSERT(delta <= oldest);
  for (uint32_t n = 0; n < runs->count; ++n) {
    uint32_t i = (runs->oldest + n) & (kRunCapacity - 1);
    // A run can begin any distance before the window, further back than `delta`; only its
    // part in the window is ever read.
    if (runs->start[i] < oldest) runs->start[i] = oldest;
    runs->start[i] -= delta;
    runs->end[i] -= delta;
  }
}

}  // namespace quillpack
