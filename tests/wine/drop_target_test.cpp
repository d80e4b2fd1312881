// The main window's drop target: files dropped through OLE reach the handler
// with their paths as GBK and as UTF-16, after the drop has returned; a drop
// of anything else is refused and reaches nothing.
#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "answerbank/import/DroppedPaths.h"
#include "app/DropTarget.h"
#include "check.h"
#include "file_drag.h"
#include "platform/MessagePump.h"
#include "platform/Text.h"
#include "test_window.h"

namespace {

std::vector<DroppedPaths> received;
bool droppedInsideDoDragDrop = false;
bool dragging = false;

struct DropWindow {
  HWND window = nullptr;
  DropWindow() {
    OleInitialize(nullptr);
    window = MakeTestWindow(L"DropTestWindow", WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, 100, 100, 300, 200);
    received.clear();
    droppedInsideDoDragDrop = false;
    CHECK_EQ(RegisterFileDropTarget(window,
                                    [](const DroppedPaths& paths) {
                                      received.push_back(paths);
                                      droppedInsideDoDragDrop = droppedInsideDoDragDrop || dragging;
                                    }),
             S_OK);
  }
  ~DropWindow() {
    RevokeFileDropTarget(window);
    DestroyWindow(window);
    OleUninitialize();
  }
  DropWindow(const DropWindow&) = delete;
  DropWindow& operator=(const DropWindow&) = delete;
};

filedrag::DragResult DropFiles(const std::vector<std::wstring>& paths) {
  dragging = true;
  const filedrag::DragResult result = filedrag::DragFiles(paths, 250, 200);
  dragging = false;
  PumpPendingMessages();
  return result;
}

TEST(OneDroppedFileReachesTheHandlerAfterTheDrop) {
  DropWindow w;
  const std::wstring path = L"C:\\答案库\\第一章 题目.doc";
  const filedrag::DragResult result = DropFiles({path});
  CHECK_EQ(result.hr, DRAGDROP_S_DROP);
  CHECK_EQ(result.effect, DWORD{DROPEFFECT_COPY});
  CHECK_EQ(received.size(), size_t{1});
  if (received.size() == 1) {
    CHECK(received[0].files == std::vector<std::wstring>{path});
  }
  CHECK(!droppedInsideDoDragDrop);
}

TEST(SeveralFilesArriveInTheShellsOrder) {
  DropWindow w;
  DropFiles({L"C:\\b.doc", L"C:\\甲\\a.txt"});
  CHECK_EQ(received.size(), size_t{1});
  if (received.size() == 1) {
    CHECK(received[0].files == (std::vector<std::wstring>{L"C:\\b.doc", L"C:\\甲\\a.txt"}));
  }
}

TEST(ANameGbkCannotHoldKeepsItsUtf16Form) {
  DropWindow w;
  const std::wstring path = L"C:\\한국어\\자료.txt";
  DropFiles({path});
  CHECK_EQ(received.size(), size_t{1});
  if (received.size() == 1) {
    CHECK(received[0].files == std::vector<std::wstring>{path});
  }
}

TEST(DroppedTextIsRefusedAndChangesNothing) {
  DropWindow w;
  dragging = true;
  const filedrag::DragResult result = filedrag::DragText(L"一段文字", 250, 200);
  dragging = false;
  PumpPendingMessages();
  CHECK_EQ(result.effect, DWORD{DROPEFFECT_NONE});
  CHECK(received.empty());
}

TEST(AnEmptyFileListIsRefused) {
  DropWindow w;
  DropFiles({});
  CHECK_EQ(received.size(), size_t{0});
  for (const DroppedPaths& paths : received) CHECK(paths.files.empty());
}

TEST(NoHandlerRunsOnceTheTargetIsRevoked) {
  DropWindow w;
  RevokeFileDropTarget(w.window);
  const filedrag::DragResult result = DropFiles({L"C:\\a.doc"});
  CHECK_EQ(result.effect, DWORD{DROPEFFECT_NONE});
  CHECK(received.empty());
}

}  // namespace

CHECK_MAIN()
