// Trampolines executed for real: called as the engine calls its callbacks, they
// must hand the adapter every argument in order, bring its result back and leave
// the stack as they found it. Also the memory they live in and the table of 11.
#include <cstdint>
#include <vector>

#include "check.h"
#include "engine_support.h"
#include "enginehost/CallbackTable.h"
#include "enginehost/EngineEvents.h"
#include "enginehost/TrampolineCode.h"
#include "enginehost/Trampolines.h"

namespace {

uintptr_t seen[7];
int calls = 0;

uintptr_t __stdcall Adapter3(uintptr_t a, uintptr_t b, uintptr_t c) {
  seen[0] = a;
  seen[1] = b;
  seen[2] = c;
  ++calls;
  return a * 100 + b * 10 + c;
}

uintptr_t __stdcall Adapter7(uintptr_t a, uintptr_t b, uintptr_t c, uintptr_t d, uintptr_t e, uintptr_t f,
                             uintptr_t g) {
  const uintptr_t all[7] = {a, b, c, d, e, f, g};
  for (int i = 0; i < 7; ++i) seen[i] = all[i];
  ++calls;
  return a + b + c + d + e + f + g;
}

using Engine3 = uintptr_t(WKE_CALL*)(uintptr_t, uintptr_t, uintptr_t);
using Engine7 = uintptr_t(WKE_CALL*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);

template <typename Function>
Function As(void* code) {
  return reinterpret_cast<Function>(code);
}

uintptr_t StackPointer() { return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)); }

TEST(ThreeArgumentsArriveInOrderAndTheResultComesBack) {
  VirtualMemory trampoline = MakeTrampoline(reinterpret_cast<const void*>(&Adapter3), 3);
  CHECK(trampoline);
  if (!trampoline) return;
  const uintptr_t result = As<Engine3>(trampoline.Get())(1, 2, 3);
  CHECK_EQ(seen[0], uintptr_t{1});
  CHECK_EQ(seen[1], uintptr_t{2});
  CHECK_EQ(seen[2], uintptr_t{3});
  CHECK_EQ(result, uintptr_t{123});
}

TEST(SevenArgumentsArriveInOrder) {
  VirtualMemory trampoline = MakeTrampoline(reinterpret_cast<const void*>(&Adapter7), 7);
  CHECK(trampoline);
  if (!trampoline) return;
  const uintptr_t result = As<Engine7>(trampoline.Get())(11, 12, 13, 14, 15, 16, 17);
  for (int i = 0; i < 7; ++i) CHECK_EQ(seen[i], static_cast<uintptr_t>(11 + i));
  CHECK_EQ(result, uintptr_t{98});
}

// The call goes through a helper whose frame sits at the same place every time:
// a trampoline that left anything on the stack would move the next frames.
__attribute__((noinline)) uintptr_t CallAndMeasure(Engine7 fn, uintptr_t round, uintptr_t* frame) {
  *frame = StackPointer();
  return fn(round, round + 1, round + 2, round + 3, round + 4, round + 5, round + 6);
}

TEST(TheStackStaysBalancedOverManyCalls) {
  VirtualMemory trampoline = MakeTrampoline(reinterpret_cast<const void*>(&Adapter7), 7);
  if (!trampoline) {
    CHECK(trampoline);
    return;
  }
  const Engine7 fn = As<Engine7>(trampoline.Get());
  uintptr_t firstFrame = 0;
  CallAndMeasure(fn, 0, &firstFrame);
  const int before = calls;
  int wrong = 0;
  for (uintptr_t round = 1; round <= 100000; ++round) {
    uintptr_t frame = 0;
    const uintptr_t result = CallAndMeasure(fn, round, &frame);
    if (frame != firstFrame || result != 7 * round + 21 || seen[6] != round + 6) {
      if (++wrong == 1) {
        CHECK_EQ(frame, firstFrame);
        CHECK_EQ(result, 7 * round + 21);
      }
    }
  }
  CHECK_EQ(wrong, 0);
  CHECK_EQ(calls - before, 100000);
}

TEST(TrampolineMemoryIsExecuteReadNeverWritable) {
  VirtualMemory trampoline = MakeTrampoline(reinterpret_cast<const void*>(&Adapter3), 3);
  CHECK(trampoline);
  if (!trampoline) return;
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(trampoline.Get(), &info, sizeof info);
  CHECK_EQ(info.Protect, DWORD{PAGE_EXECUTE_READ});
  CHECK_EQ(info.State, DWORD{MEM_COMMIT});
  const std::vector<uint8_t> expected = TrampolineCode(reinterpret_cast<uintptr_t>(&Adapter3), 3);
  const auto* code = static_cast<const uint8_t*>(trampoline.Get());
  CHECK(std::vector<uint8_t>(code, code + expected.size()) == expected);
}

TEST(TableBuildsElevenTrampolinesOnceAndReleasesThem) {
  TrampolineTable table;
  for (int i = 0; i < kCallbackCount; ++i) CHECK(table.Address(i) == nullptr);
  table.Build();
  std::vector<void*> first;
  for (int i = 0; i < kCallbackCount; ++i) {
    first.push_back(table.Address(i));
    CHECK(table.Address(i) != nullptr);
    // Each jumps to its own adapter.
    const std::vector<uint8_t> expected =
        TrampolineCode(reinterpret_cast<uintptr_t>(EventAdapter(i)), kCallbackArgumentCounts[i]);
    if (table.Address(i)) {
      const auto* code = static_cast<const uint8_t*>(table.Address(i));
      CHECK(std::vector<uint8_t>(code, code + expected.size()) == expected);
    }
  }
  CHECK(table.Address(kCallbackCount) == nullptr);
  table.Build();  // exists: nothing is made again
  for (int i = 0; i < kCallbackCount; ++i) CHECK(table.Address(i) == first[static_cast<size_t>(i)]);
  table.Release();
  for (int i = 0; i < kCallbackCount; ++i) {
    CHECK(table.Address(i) == nullptr);
    MEMORY_BASIC_INFORMATION info{};
    VirtualQuery(first[static_cast<size_t>(i)], &info, sizeof info);
    CHECK_EQ(info.State, DWORD{MEM_FREE});
  }
  table.Build();  // a later creation builds them again
  CHECK(table.Address(0) != nullptr);
}

TEST(AdaptersMatchTheTableOrder) {
  CHECK(EventAdapter(kTitleChanged) == reinterpret_cast<const void*>(&TextAdapter));
  CHECK(EventAdapter(kURLChanged) == reinterpret_cast<const void*>(&TextAdapter));
  CHECK(EventAdapter(kPaintUpdated) == reinterpret_cast<const void*>(&PaintUpdatedAdapter));
  CHECK(EventAdapter(kAlertBox) == reinterpret_cast<const void*>(&TextAdapter));
  CHECK(EventAdapter(kConfirmBox) == reinterpret_cast<const void*>(&ConfirmBoxAdapter));
  CHECK(EventAdapter(kPromptBox) == reinterpret_cast<const void*>(&PromptBoxAdapter));
  CHECK(EventAdapter(kConsoleMessage) == reinterpret_cast<const void*>(&ConsoleMessageAdapter));
  CHECK(EventAdapter(kNavigation) == reinterpret_cast<const void*>(&NavigationAdapter));
  CHECK(EventAdapter(kCreateView) == reinterpret_cast<const void*>(&CreateViewAdapter));
  CHECK(EventAdapter(kDocumentReady) == reinterpret_cast<const void*>(&DocumentReadyAdapter));
  CHECK(EventAdapter(kLoadingFinish) == reinterpret_cast<const void*>(&LoadingFinishAdapter));
}

TEST(RegistrationUsesTheTrampolineAndIsSkippedWithoutOne) {
  TrampolineTable table;  // outlives the view that holds its addresses
  engine_test::ScopedView view;
  engine_test::ClearLog();
  int handler = 0;
  CHECK(!RegisterEvent(view.Get(), table, kNavigation, &handler));  // not built: no call at all
  CHECK_LOG_LACKS(engine_test::CallLog(), L"wkeOnNavigation");
  table.Build();
  const int registrations[] = {kTitleChanged, kURLChanged, kPaintUpdated, kAlertBox, kConfirmBox, kPromptBox,
                               kConsoleMessage, kNavigation, kCreateView, kDocumentReady, kLoadingFinish};
  const wchar_t* names[] = {L"wkeOnTitleChanged", L"wkeOnURLChanged", L"wkeOnPaintUpdated", L"wkeOnAlertBox",
                            L"wkeOnConfirmBox", L"wkeOnPromptBox", L"wkeOnConsoleMessage", L"wkeOnNavigation",
                            L"wkeOnCreateView", L"wkeOnDocumentReady", L"wkeOnLoadingFinish"};
  for (int i = 0; i < kCallbackCount; ++i) {
    CHECK(RegisterEvent(view.Get(), table, registrations[i], &handler));
    const std::wstring log = engine_test::CallLog();
    CHECK_LOG_HAS(log, std::wstring(names[i]) + L"(#");
    CHECK_LOG_HAS(log, L", " + engine_test::Hex(table.Address(registrations[i])) + L", " +
                           engine_test::Hex(&handler) + L")");
  }
}

}  // namespace

CHECK_MAIN()
