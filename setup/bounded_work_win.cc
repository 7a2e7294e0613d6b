// The helper thread and the bounded wait for it.
#include "setup/bounded_work.h"

#include <process.h>

#include "platform/scoped_handle.h"
#include "setup/request_bounds.h"

namespace lite_installer {
namespace {

// Helper threads started and not yet ended; a waiter that got its answer
// has seen its helper end, so what is left counted is what was left behind.
std::atomic<uint32_t> g_helpers_running{0};

// The thread's own reference: the work lives until both sides let it go.
unsigned __stdcall RunWork(void* parameter) {
  {
    std::unique_ptr<std::shared_ptr<BoundedWork>> work(
        static_cast<std::shared_ptr<BoundedWork>*>(parameter));
    (*work)->Run();
  }
  g_helpers_running.fetch_sub(1);
  return 0;
}

}  // namespace

uint32_t BoundedHelpersRunning() { return g_helpers_running.load(); }

BoundedOutcome RunBounded(const std::shared_ptr<BoundedWork>& work, uint32_t idle_ms,
                          uint32_t total_ms, HANDLE stop_event) {
  ProgressDeadline deadline(idle_ms, total_ms, ::GetTickCount());
  work->NoteProgress();
  auto* reference = new std::shared_ptr<BoundedWork>(work);
  g_helpers_running.fetch_add(1);
  ScopedHandle thread(reinterpret_cast<HANDLE>(
      ::_beginthreadex(nullptr, 0, &RunWork, reference, 0, nullptr)));
  if (!thread.IsValid()) {
    g_helpers_running.fetch_sub(1);
    delete reference;
    work->Run();  // no thread to spare: unbounded, as without a helper
    return BoundedOutcome::kDone;
  }
  const HANDLE handles[] = {thread.Get(), stop_event};
  const DWORD count = stop_event ? 2 : 1;
  for (;;) {
    deadline.Progress(work->progress_tick());
    const uint32_t left = deadline.Remaining(::GetTickCount());
    if (left == 0) return BoundedOutcome::kTimedOut;
    // The thread comes first: work that ended as the stop came counts as done.
    const DWORD wait = ::WaitForMultipleObjects(count, handles, FALSE, left);
    if (wait == WAIT_OBJECT_0) return BoundedOutcome::kDone;
    if (wait == WAIT_OBJECT_0 + 1) return BoundedOutcome::kStopped;
    if (wait != WAIT_TIMEOUT) return BoundedOutcome::kTimedOut;
    // Timed out: progress since the last look may have moved the deadline.
  }
}

}  // namespace lite_installer
