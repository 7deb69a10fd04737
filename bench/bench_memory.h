// The process's resident memory, for the benchmarks that measure what a model or an import takes.
#pragma once

#include <unistd.h>

#include <fstream>

namespace vellary::bench {

inline long residentBytes() {
  long pages = 0, resident = 0;
  std::ifstream statm("/proc/self/statm");
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace vellary::bench
