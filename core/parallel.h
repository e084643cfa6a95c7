// Work over a range of items split between threads: the reader's and the
// comparison's passes over millions of instances that only read them.
//
//   InParallel(paths.size(), 1, 10000, [&](size_t begin, size_t end) { ... });
#ifndef QZA_CORE_PARALLEL_H
#define QZA_CORE_PARALLEL_H

#include <cstddef>
#include <functional>

namespace NVKXQZA20 {

// Runs work(begin, end) over [0, count) in ranges of at least leastPerThread
// items (all on this thread when count is smaller), the first on this
// thread and the others on up to extraThreads more. A failure is thrown
// once every range has ended: this thread's, or else the first other's.
void InParallel(size_t count, unsigned extraThreads, size_t leastPerThread,
                const std::function<void(size_t, size_t)>& work);

}  // namespace NVKXQZA20

#endif
