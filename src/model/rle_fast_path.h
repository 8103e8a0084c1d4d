#pragma once

#include <vector>

namespace celwright::rle {

// The builds of the one-byte run-length fast paths. The coder uses the widest one the processor
// runs; tests select each in turn so that the narrower ones stay covered on any machine.
enum class FastPath { kPlain, kSse2, kAvx2, kAvx512 };

// The builds this program has and this processor runs, narrowest first.
std::vector<FastPath> RunnableFastPaths();
// Makes the coder use `path` (one of the runnable ones) from now on; not thread-safe.
void SelectFastPath(FastPath path);

}  // namespace celwright::rle
