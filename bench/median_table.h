// Runs the registered benchmarks with repetitions and prints one table of
// their medians, with the work counters beside the times.
#pragma once

namespace voltaris::bench {

int RunWithMedianTable(int argc, char** argv);

}  // namespace voltaris::bench
