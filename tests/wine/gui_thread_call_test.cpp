// Work handed from a worker thread to the GUI thread: where it runs, that the
// worker waits for it, and what happens once the GUI side has gone.
#include <windows.h>

#include <atomic>
#include <thread>

#include "check.h"
#include "platform/GuiThreadCall.h"

namespace {

// Runs `body` on a worker while this (GUI) thread pumps messages until it ends.
void OnWorkerWhilePumping(const std::function<void()>& body) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    body();
    done = true;
  });
  while (!done) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(1);
  }
  worker.join();
}

TEST(WorkFromAWorkerRunsOnTheGuiThreadAndTheWorkerWaitsForIt) {
  GuiThreadCaller caller;
  CHECK(caller.Create());
  const DWORD guiThread = GetCurrentThreadId();
  DWORD ranOn = 0;
  bool returned = false;
  int valueAfterCall = 0;
  int value = 0;
  OnWorkerWhilePumping([&] {
    returned = caller.Call([&] {
      ranOn = GetCurrentThreadId();
      Sleep(50);
      value = 7;
    });
    valueAfterCall = value;  // the work has finished before Call returns
  });
  CHECK(returned);
  CHECK_EQ(ranOn, guiThread);
  CHECK_EQ(valueAfterCall, 7);
  caller.Destroy();
}

TEST(OnTheGuiThreadTheWorkRunsAtOnce) {
  GuiThreadCaller caller;
  CHECK(caller.Create());
  int runs = 0;
  CHECK(caller.Call([&] { ++runs; }));
  CHECK_EQ(runs, 1);
  caller.Destroy();
}

TEST(AfterDestroyNothingRunsAndCallSaysSo) {
  GuiThreadCaller caller;
  CHECK(caller.Create());
  caller.Destroy();
  int runs = 0;
  bool returned = true;
  OnWorkerWhilePumping([&] { returned = caller.Call([&] { ++runs; }); });
  CHECK(!returned);
  CHECK_EQ(runs, 0);
  CHECK(!caller.Call([&] { ++runs; }));
  CHECK_EQ(runs, 0);
}

TEST(ServingSentMessagesLetsAWaitingWorkerFinish) {
  GuiThreadCaller caller;
  CHECK(caller.Create());
  std::atomic<bool> finished{false};
  int runs = 0;
  std::thread worker([&] {
    caller.Call([&] { ++runs; });
    caller.Call([&] { ++runs; });
    finished = true;
  });
  const DWORD start = GetTickCount();
  ServeSentMessagesUntil([&] { return finished.load(); }, 5000);
  const DWORD waited = GetTickCount() - start;
  worker.join();
  CHECK(finished.load());
  CHECK_EQ(runs, 2);
  CHECK(waited < 4000);
  caller.Destroy();
}

TEST(ServingSentMessagesGivesUpAfterItsTime) {
  const DWORD start = GetTickCount();
  ServeSentMessagesUntil([] { return false; }, 200);
  const DWORD waited = GetTickCount() - start;
  CHECK(waited >= 190);
  CHECK(waited < 2000);
}

TEST(ServingSentMessagesLeavesPostedMessagesQueued) {
  GuiThreadCaller caller;
  CHECK(caller.Create());
  PostThreadMessageW(GetCurrentThreadId(), WM_APP + 5, 0, 0);
  ServeSentMessagesUntil([] { return false; }, 50);
  MSG message;
  CHECK(PeekMessageW(&message, nullptr, WM_APP + 5, WM_APP + 5, PM_REMOVE));
  caller.Destroy();
}

}  // namespace

CHECK_MAIN()
