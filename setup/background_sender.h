// Requests that must never hold up the thread that asks for them (the click
// statistics of the dialog, whose thread must never wait on the network):
// one background thread sends them one after another, in the order they were
// queued, each within its own bound. Queuing only takes a lock. At the end of
// the process FinishBackgroundRequests gives what is still queued one wait in
// total and never holds the exit longer.
#pragma once

#include <cstdint>
#include <string>

namespace lite_installer {

// Sends one request on the sender thread; bounded by itself.
using BackgroundRequest = void (*)(const std::wstring& url);

// Queues `url` for `send`; the sender thread starts on first use. False when
// the request was dropped: after FinishBackgroundRequests, or when no thread
// could be made (the asking thread never sends itself).
bool QueueBackgroundRequest(BackgroundRequest send, const std::wstring& url);

// Waits at most wait_ms until everything queued has been sent; later
// requests are dropped. True when nothing is left; false when a request is
// still in flight or queued, and then the sender thread is still running.
bool FinishBackgroundRequests(uint32_t wait_ms);

}  // namespace lite_installer
