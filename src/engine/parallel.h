#pragma once
// Work on many independent items (the samples of an assay, the lines of their result file)
// shared among the machine's cores.

#include <functional>

namespace quorin {

// The number of parts to split `items` items into: one per core, none smaller than
// `least_per_part`, so that a small assay stays on the calling thread and starts no thread.
int part_count(long items, long least_per_part);

// Runs work(part, first, last) on the consecutive ranges of items first..last (inclusive) for
// parts 0..parts-1, split as evenly as can be: part 0 on the calling thread, each other part on a
// thread of its own. Returns when every part is done; an exception of a part is thrown again
// here. The parts must not write to anything another part reads or writes.
void for_each_part(long first, long last, int parts, const std::function<void(int part, long first, long last)>& work);

}  // namespace quorin
