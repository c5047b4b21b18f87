#pragma once
// The process's peak resident memory, for the start-up probe and the benchmarks.

namespace bench_support {

// VmHWM in kB from /proc/self/status; -1 where the system does not give it.
long peakMemoryKb();

} // namespace bench_support
