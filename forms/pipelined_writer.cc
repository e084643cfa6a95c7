#include "forms/pipelined_writer.h"

namespace {

// What the queue holds at most, in calls and grid cells.
const size_t kMostQueuedWeight = size_t(1) << 20;
// The queue's thread is woken for this much work at a time, not for each
// call: a page written cell by cell makes hundreds of thousands of calls.
const size_t kBatchWeight = 256;

}  // namespace

TCallQueue::TCallQueue() : fThread([this] { Run(); }) {}

TCallQueue::~TCallQueue() {
  {
    std::lock_guard<std::mutex> lock(fMutex);
    fStopping = true;
  }
  fQueued.notify_all();
  fThread.join();
}

// The calling thread alone sets fAtOnce: the queue's own thread is told by
// its id before fAtOnce is read.
bool TCallQueue::CalledFromWithin() const {
  return std::this_thread::get_id() == fThread.get_id() || fAtOnce;
}

void TCallQueue::Queue(std::function<void()> call, size_t cells) {
  if (CalledFromWithin()) {
    call();
    return;
  }
  const size_t weight = 1 + cells;
  std::unique_lock<std::mutex> lock(fMutex);
  if (fFailure || fQueuedWeight + weight > kMostQueuedWeight) {
    TakeOver(lock);
    lock.lock();
  }
  fCalls.push_back(TCall{std::move(call), weight});
  fQueuedWeight += weight;
  if (fQueuedWeight >= kBatchWeight) fQueued.notify_one();
}

void TCallQueue::AtOnce(const std::function<void()>& call) {
  if (CalledFromWithin()) {
    call();
    return;
  }
  std::unique_lock<std::mutex> lock(fMutex);
  TakeOver(lock);
  TAtOnce scope(fAtOnce);
  call();
}

// The calls still queued are carried out here, once the queue's thread is
// done with its batch: waking it for them would cost more than they do.
void TCallQueue::TakeOver(std::unique_lock<std::mutex>& lock) {
  fDone.wait(lock, [&] { return !fRunning; });
  std::deque<TCall> calls;
  calls.swap(fCalls);
  fQueuedWeight = 0;
  std::exception_ptr failure = std::exchange(fFailure, nullptr);
  lock.unlock();
  TAtOnce scope(fAtOnce);
  CarryOut(calls, failure);
  if (failure) std::rethrow_exception(failure);
}

// Every call is carried out, as the writer would have gone on; the first
// failure is kept.
void TCallQueue::CarryOut(std::deque<TCall>& calls, std::exception_ptr& failure) {
  for (TCall& call : calls) {
    try {
      call.fCall();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    call.fCall = nullptr;  // what it held is freed now
  }
}

void TCallQueue::Run() {
  std::unique_lock<std::mutex> lock(fMutex);
  for (;;) {
    fQueued.wait(lock, [&] { return fStopping || fQueuedWeight >= kBatchWeight; });
    if (fCalls.empty()) return;
    std::deque<TCall> calls;
    calls.swap(fCalls);
    fQueuedWeight = 0;
    fRunning = true;
    std::exception_ptr failure = std::exchange(fFailure, nullptr);
    lock.unlock();
    CarryOut(calls, failure);
    calls.clear();
    lock.lock();
    fFailure = failure;
    fRunning = false;
    fDone.notify_all();
  }
}
