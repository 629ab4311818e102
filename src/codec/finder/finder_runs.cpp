// Run lists of the match finder: set-up and rebasing.
#include "codec/finder/finder_runs.h"

namespace quillpack {

void RunListsInit(RunLists *runs) {
  for (auto &h : runs->head) h = kNoRun;
  for (auto &t : runs->tail) t = kNoRun;
  runs->oldest = 0;
  runs->count = 0;
}

void RunListsRebase(RunLists *runs, uint32_t delta) {
  for (uint32_t n = 0; n < runs->count; ++n) {
    uint32_t i = (runs->oldest + n) & (kRunCapacity - 1);
    runs->start[i] -= delta;
    runs->end[i] -= delta;
  }
}

}  // namespace quillpack
