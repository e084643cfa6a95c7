#include "core/parallel.h"

#include <algorithm>
#include <future>
#include <vector>

namespace NVKXQZA20 {

void InParallel(size_t count, unsigned extraThreads, size_t leastPerThread,
                const std::function<void(size_t, size_t)>& work) {
  const size_t ranges = std::max<size_t>(count / std::max<size_t>(leastPerThread, 1), 1);
  const size_t parts = std::min<size_t>(extraThreads + 1, ranges);
  // Their futures wait for them when this thread's range throws.
  std::vector<std::future<void>> others;
  for (size_t part = 1; part < parts; ++part) {
    others.push_back(std::async(std::launch::async, work, count * part / parts, count * (part + 1) / parts));
  }
  work(0, count / parts);
  for (std::future<void>& other : others) other.get();
}

}  // namespace NVKXQZA20
