#include "answerbank/import/WordImport.h"

#include <tlhelp32.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Automation.h"
#include "platform/Handles.h"

const wchar_t* const kNoDocumentPassword = L"\x01\x02\x03";

namespace {

// After both bounds and the end of the word processor's process, how long the
// caller still waits for the step's thread before it leaves it behind (a
// server loaded in this process that never answers).
constexpr DWORD kAbandonGraceMs = 2000;
constexpr DWORD kWaitSliceMs = 30;

ComPtr<IDispatch> GetObjectMember(IDispatch* target, const wchar_t* member) {
  Variant result;
  AutomationGet(target, member, &result);
  return TakeObject(result);
}

// --- the word processor's own process --------------------------------------------

// The file name of the program registered as the local server of `progId`
// (WINWORD.EXE for Word); empty for a server loaded into the caller's process.
std::wstring ServerImageName(const wchar_t* progId) {
  CLSID classId{};
  if (FAILED(CLSIDFromProgID(progId, &classId))) return {};
  wchar_t classText[64] = {};
  StringFromGUID2(classId, classText, 64);
  const std::wstring key = std::wstring(L"CLSID\\") + classText + L"\\LocalServer32";
  wchar_t command[MAX_PATH * 2] = {};
  LONG size = sizeof command - sizeof(wchar_t);
  if (RegQueryValueW(HKEY_CLASSES_ROOT, key.c_str(), command, &size) != ERROR_SUCCESS) return {};
  std::wstring line(command);
  // "C:\Program Files\...\WINWORD.EXE" /Automation, quoted or not.
  if (!line.empty() && line[0] == L'"') line = line.substr(1, line.find(L'"', 1) - 1);
  const size_t exe = [&] {
    for (size_t i = 0; i + 4 <= line.size(); ++i) {
      if (_wcsnicmp(line.c_str() + i, L".exe", 4) == 0) return i + 4;
    }
    return line.size();
  }();
  line.erase(exe);
  const size_t slash = line.find_last_of(L"\\/");
  return slash == std::wstring::npos ? line : line.substr(slash + 1);
}

std::vector<DWORD> ProcessesNamed(const std::wstring& image) {
  std::vector<DWORD> found;
  if (image.empty()) return found;
  // Fails as a file does, with INVALID_HANDLE_VALUE.
  FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    if (_wcsicmp(entry.szExeFile, image.c_str()) == 0) found.push_back(entry.th32ProcessID);
  }
  return found;
}

// The one server process that appeared while the application object was
// created: each creation starts a word processor of its own. None when it
// cannot be told apart (the user started one at the same moment): a process
// the user works in is never ended.
KernelHandle NewServerProcess(const std::wstring& image, const std::vector<DWORD>& before) {
  std::vector<DWORD> appeared;
  for (DWORD id : ProcessesNamed(image)) {
    bool old = false;
    for (DWORD b : before) old = old || b == id;
    if (!old) appeared.push_back(id);
  }
  if (appeared.size() != 1) return {};
  return KernelHandle(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, appeared.front()));
}

// --- the step, on a thread of its own ------------------------------------------------

struct Step {
  std::wstring path;
  std::wstring progId;
  DWORD workMs = 0;
  DWORD quitMs = 0;
  std::atomic<bool> giveUp{false};
  std::atomic<bool> started{false};
  std::atomic<bool> opened{false};

  void Run() {
    CallDeadline deadline(workMs);
    {
      std::lock_guard<std::mutex> lock(phase);
      watched = &deadline;
      if (giveUp) deadline.Cancel();
    }
    const std::wstring image = ServerImageName(progId.c_str());
    const std::vector<DWORD> before = ProcessesNamed(image);

    ComPtr<IDispatch> application = CreateAutomationObject(progId.c_str());
    started = static_cast<bool>(application);
    if (application) {
      KernelHandle found = NewServerProcess(image, before);
      std::lock_guard<std::mutex> lock(phase);
      server = std::move(found);
    }
    // Before anything is opened: a document's AutoOpen or Document_Open macro
    // would otherwise run, as automation enables every macro by default.
    Variant macrosOff(kMacrosForceDisabled);
    AutomationPut(application.Get(), L"AutomationSecurity", macrosOff);
    Variant hidden(false);
    AutomationPut(application.Get(), L"Visible", hidden);
    // A hidden application must never stop at a conversion or repair question.
    Variant noAlertsWhileOpen(false);
    AutomationPut(application.Get(), L"DisplayAlerts", noAlertsWhileOpen);
    ComPtr<IDispatch> documents = GetObjectMember(application.Get(), L"Documents");

    std::vector<Variant> openArguments;
    openArguments.emplace_back(path);   // file name
    openArguments.emplace_back(false);  // confirm conversions
    openArguments.emplace_back(true);   // read-only
    openArguments.emplace_back(false);  // add to the recent files
    openArguments.emplace_back(std::wstring(kNoDocumentPassword));  // the document's password
    openArguments.emplace_back(std::wstring(kNoDocumentPassword));  // its template's
    Variant openedDocument;
    AutomationCall(documents.Get(), L"Open", openArguments, &openedDocument);
    ComPtr<IDispatch> document = TakeObject(openedDocument);
    opened = static_cast<bool>(document);

    ComPtr<IDispatch> content = GetObjectMember(document.Get(), L"Content");
    AutomationGet(content.Get(), L"Copy", nullptr);
    AutomationCall(document.Get(), L"Close");

    // Quitting has a bound of its own, also after the work was given up.
    {
      std::lock_guard<std::mutex> lock(phase);
      quitting = true;
      deadline.Reset(quitMs);
    }
    // Again with the document closed, so nothing asks about it while it quits.
    Variant noAlerts(false);
    AutomationPut(application.Get(), L"DisplayAlerts", noAlerts);
    const HRESULT quit = AutomationCall(application.Get(), L"Quit");
    // A word processor that would not quit (busy, or stuck at a question
    // nobody sees) would stay hidden for good.
    if (FAILED(quit)) EndServer();
    application.Reset();
    documents.Reset();
    document.Reset();
    content.Reset();
    std::lock_guard<std::mutex> lock(phase);
    watched = nullptr;
  }

  // Any thread: ends the word processor's process, where it runs in one of
  // its own. A call still waiting for it then fails at once, wherever COM
  // did not give it up at its deadline.
  void EndServer() {
    std::lock_guard<std::mutex> lock(phase);
    if (!server) return;
    TerminateProcess(server.Get(), 1);
    WaitForSingleObject(server.Get(), 5000);
  }

  // Any thread: gives up the call waiting now and the rest of the work; the
  // quit still runs.
  void GiveUp() {
    std::lock_guard<std::mutex> lock(phase);
    giveUp = true;
    if (watched && !quitting) watched->Cancel();
  }

  std::mutex phase;
  CallDeadline* watched = nullptr;
  bool quitting = false;
  KernelHandle server;
};

DWORD WINAPI StepThread(void* ticket) {
  const std::unique_ptr<std::shared_ptr<Step>> step(static_cast<std::shared_ptr<Step>*>(ticket));
  if (SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    try {
      (*step)->Run();
    } catch (...) {
      // Out of memory: whatever was made is released on the way out.
    }
    CoUninitialize();
  }
  return 0;
}

}  // namespace

WordCopyResult ImportWordDocument(const std::wstring& path, ClipboardLoan& loan, const WordStepOptions& options) {
  WordCopyResult result;
  if (!loan.Usable()) return result;
  const DWORD clipboardBefore = GetClipboardSequenceNumber();

  auto step = std::make_shared<Step>();
  step->path = path;
  step->progId = options.progId;
  step->workMs = options.workMs;
  step->quitMs = options.quitMs;
  // The thread holds its own share: it may outlive this call.
  auto* ticket = new std::shared_ptr<Step>(step);
  DWORD threadId = 0;
  KernelHandle thread(CreateThread(nullptr, 0, &StepThread, ticket, 0, &threadId));
  if (!thread) {
    delete ticket;
    return result;
  }

  // While it works this thread stays responsive, through the caller's pump or
  // at least to the messages other threads send it.
  const ULONGLONG start = GetTickCount64();
  ULONGLONG endServerAt = start + options.workMs + options.quitMs;
  bool goingOn = true;
  bool gaveUp = false;
  bool serverEnded = false;
  bool finished = false;
  for (;;) {
    const HANDLE handle = thread.Get();
    if (MsgWaitForMultipleObjects(1, &handle, FALSE, kWaitSliceMs, QS_ALLINPUT) == WAIT_OBJECT_0) {
      finished = true;
      break;
    }
    if (goingOn && options.goOn) {
      goingOn = options.goOn();
    } else {
      MSG message;
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    const ULONGLONG now = GetTickCount64();
    if (!goingOn && !gaveUp) {
      step->GiveUp();
      gaveUp = true;
      // Only the quit is waited for now.
      if (now + options.quitMs < endServerAt) endServerAt = now + options.quitMs;
    }
    // A call waiting for its answer looks at its deadline when a message
    // comes: one is sent once the work's bound is past.
    if (gaveUp || now >= start + options.workMs) PostThreadMessageW(threadId, WM_NULL, 0, 0);
    // Both bounds past and the step still not done: whatever it waits for
    // is ended, which lets its calls fail.
    if (now >= endServerAt && !serverEnded) {
      step->EndServer();
      serverEnded = true;
    }
    if (now >= endServerAt + kAbandonGraceMs) break;
  }

  result.started = step->started;
  result.opened = finished && step->opened && goingOn;
  result.timedOut = !finished;
  result.copied = GetClipboardSequenceNumber() != clipboardBefore;
  // Read only from a step that ended: a word processor left behind could
  // still be copying. The loan puts the user's clipboard back either way.
  if (result.copied && result.opened) result.text = loan.ReadOwnCopy();
  return result;
}
