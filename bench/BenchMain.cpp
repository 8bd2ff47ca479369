// The main of the benchmark programs: the benchmarks, then their targets (bench/Targets.h).
#include "bench/Targets.h"

int main(int argc, char** argv)
{
    return Bench::runBenchmarks(argc, argv);
}
