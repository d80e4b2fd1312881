#include "answerbank/import/DocumentImport.h"

#include <optional>
#include <utility>
#include <vector>

#include "answerbank/RichEditBox.h"
#include "answerbank/StandardFormatting.h"
#include "answerbank/import/DocumentReader.h"
#include "answerbank/import/ImportReport.h"
#include "answerbank/import/WordImport.h"
#include "platform/ClipboardLoan.h"
#include "platform/Controls.h"
#include "platform/MessagePump.h"
#include "platform/NewestRequest.h"
#include "platform/NoMemory.h"
#include "platform/Text.h"

const char* const kImportWaitingText = "正在载入拖入的文档，请稍后……";
const char* const kImportNoMemoryText = "载入失败：内存不足";

namespace {

DocumentImportControls importControls;

// A single file the word processor copied as something without text: the
// delayed paste takes the clipboard as it is, and only after it is the user's
// clipboard put back. The loan is held till then.
struct PendingPaste {
  ClipboardLoan userClipboard;
  std::wstring keptBank;
  FileFailure failure;  // reported if the paste gives nothing either
};

struct ImportQueue {
  bool running = false;
  // An import goes on while it is the newest drop.
  NewestRequest drops;
  std::optional<DroppedPaths> next;
  std::optional<PendingPaste> pendingPaste;
};

ImportQueue queue;

// How long an import waits for a screen word capture to give the clipboard back.
constexpr DWORD kLoanWaitMs = 3000;

void ShowStatus(const std::string& text) {
  if (importControls.statusLabel) SetWindowTextGbk(importControls.statusLabel, text);
}

// --- reading the files -------------------------------------------------------------

// Why Word could not be used, for a file only Word reads.
ImportFailure FailureOfRefusal(ClipboardLoan::Refusal refusal) {
  switch (refusal) {
    case ClipboardLoan::Refusal::kAnotherLoan:
      return ImportFailure::kClipboardInUse;
    case ClipboardLoan::Refusal::kIncomplete:
      return ImportFailure::kClipboardTooLarge;
    case ClipboardLoan::Refusal::kNone:
    case ClipboardLoan::Refusal::kClipboardBusy:
      break;
  }
  return ImportFailure::kClipboardBusy;
}

struct FileReading {
  bool loaded = false;
  std::wstring text;
  FileFailure failure;
  bool copiedWithoutText = false;
  // Held on only for a copy without text, which the delayed paste takes.
  ClipboardLoan userClipboard;
};

// Word first; the program's own reader when Word is missing or cannot open the
// file. The clipboard is borrowed for each file and given back after it, so a
// copy the user makes between two files stays theirs. Word is not used when
// the user's clipboard could not be saved whole: its copy would lose it.
FileReading ReadOneFile(const std::wstring& path, const std::function<bool()>& keepGoing) {
  FileReading r;
  r.failure.fileName = WideToGbk(FileNameOf(path));
  ClipboardLoan loan = ClipboardLoan::Borrow(kLoanWaitMs);
  const bool wordAllowed = loan.Usable();
  WordStepOptions options;
  options.goOn = keepGoing;
  const WordCopyResult word = wordAllowed ? ImportWordDocument(path, loan, options) : WordCopyResult{};
  if (word.opened) {
    if (!word.copied) {
      r.failure.failure = ImportFailure::kWordCopiedNothing;
    } else if (word.text.empty()) {
      r.failure.failure = ImportFailure::kWordCopiedNoText;
      r.copiedWithoutText = true;
      r.userClipboard = std::move(loan);
    } else if (word.text.size() > kMaxDocumentTextUnits) {
      r.failure.failure = ImportFailure::kTooLarge;
    } else {
      r.loaded = true;
      r.text = word.text;
    }
    return r;
  }
  loan.GiveBack();
  DocumentReadResult read = ReadDocumentFile(path);
  if (read.outcome == DocumentReadOutcome::kLoaded) {
    r.loaded = true;
    r.text = std::move(read.text);
    return r;
  }
  r.failure.failure = FailureOfReading(read, word.started);
  if (!wordAllowed && r.failure.failure == ImportFailure::kNoWord) r.failure.failure = FailureOfRefusal(loan.Why());
  r.failure.systemError = read.systemError;
  return r;
}

struct DropReading {
  std::wstring text;  // the texts of the files that loaded, joined
  std::vector<FileFailure> failures;
  std::optional<FileFailure> pasteLater;  // one file, copied without text
  ClipboardLoan pasteLaterClipboard;       // and the loan its paste ends
  bool stopped = false;
};

DropReading ReadDrop(const std::vector<std::wstring>& files, const std::function<bool()>& keepGoing) {
  DropReading d;
  for (size_t i = 0; i < files.size(); ++i) {
    if (i > 0 && !keepGoing()) {
      d.stopped = true;
      break;
    }
    FileReading r = ReadOneFile(files[i], keepGoing);
    if (!r.loaded) {
      if (r.copiedWithoutText && files.size() == 1) {
        d.pasteLater = r.failure;
        d.pasteLaterClipboard = std::move(r.userClipboard);
      } else {
        d.failures.push_back(r.failure);
      }
      continue;
    }
    // Each file was checked alone; together they may still be too much.
    if (JoinedDocumentLength(d.text, r.text) > kMaxDocumentTextUnits) {
      d.failures.push_back({r.failure.fileName, ImportFailure::kDropTooLarge});
      continue;
    }
    AppendDocumentText(d.text, r.text);
  }
  return d;
}

// --- the box --------------------------------------------------------------------------

// Puts the bank back whatever else comes meanwhile: drops wait in the queue.
void PutBackBank(HWND box, const std::wstring& bank) {
  ThrottledPump pump;
  RichEditBox(box).SetContentInPieces(bank, [&] { return pump.Tick() && IsWindow(box); });
  FormatWholeBox(box);
}

// Ends the wait of a delayed paste. With `paste` (the timer's tick) a box still
// empty gets the clipboard pasted, and one that stays empty its bank back.
// Without (a newer drop came first) the bank to keep is returned instead. The
// user's clipboard goes back last.
std::optional<std::wstring> EndPendingPaste(bool paste) {
  PendingPaste pending = std::move(*queue.pendingPaste);
  queue.pendingPaste.reset();
  const DocumentImportControls c = importControls;
  if (c.setPasteTimer) c.setPasteTimer(0);
  std::optional<std::wstring> kept;
  if (IsWindow(c.answerBank)) {
    RichEditBox box(c.answerBank);
    // A copy the user made meanwhile is theirs: neither pasted nor replaced.
    if (paste && box.IsEmpty() && pending.userClipboard.HoldsOwnCopy()) {
      box.Focus();
      box.Paste();
      // The pasted content keeps its own format.
      if (box.IsEmpty()) {
        PutBackBank(c.answerBank, pending.keptBank);
        ShowStatus(ImportFailureReport({pending.failure}, kMaxDocumentTextUnits));
      } else {
        ShowStatus(c.idleStatus);
      }
    } else if (paste && box.IsEmpty()) {
      PutBackBank(c.answerBank, pending.keptBank);
      ShowStatus(ImportFailureReport({pending.failure}, kMaxDocumentTextUnits));
    } else if (!paste && box.IsEmpty()) {
      kept = std::move(pending.keptBank);
    }
  }
  pending.userClipboard.GiveBack();
  return kept;
}

// --- one drop -----------------------------------------------------------------------------

// `keptBank` is the bank from before the drop: carried over when a newer drop
// stops this one, so that a failing newer drop still puts the right text back.
void RunImport(const DroppedPaths& drop, NewestRequest::Ticket ticket, std::optional<std::wstring>& keptBank) {
  const DocumentImportControls c = importControls;
  const HWND window = c.answerBank;
  auto current = [&] { return queue.drops.IsNewest(ticket) && IsWindow(window) && !QuitRequested(); };
  ThrottledPump pump;
  auto keepGoing = [&] { return pump.Tick() && current(); };

  if (queue.pendingPaste) {
    std::optional<std::wstring> bank = EndPendingPaste(false);
    if (bank) keptBank = std::move(bank);
  }
  c.setCurrentPage(c.answerBankPage);
  c.tabClicked();
  RichEditBox box(window);
  if (!keptBank) keptBank = box.WideContent();
  // A search still running would go on colouring places in a text that is going.
  if (c.bankReplaced) c.bankReplaced();
  if (!box.SetContentInPieces(GbkToWide(kImportWaitingText), keepGoing)) return;
  // The waiting text shows while the files are read.
  RedrawWindow(GetAncestor(window, GA_ROOT), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);

  DropReading reading = ReadDrop(drop.files, keepGoing);
  if (reading.pasteLater && !reading.stopped && current()) {
    box.SetContent("");
    queue.pendingPaste = PendingPaste{std::move(reading.pasteLaterClipboard), std::move(*keptBank),
                                      *reading.pasteLater};
    keptBank.reset();
    c.setPasteTimer(kDelayedPasteMs);
    return;
  }
  reading.pasteLaterClipboard.GiveBack();
  if (reading.stopped || !current()) return;

  const bool nothingLoaded = reading.text.empty();
  if (!box.SetContentInPieces(nothingLoaded ? *keptBank : reading.text, keepGoing)) return;
  FormatWholeBox(window);
  keptBank.reset();
  ShowStatus(reading.failures.empty() ? c.idleStatus : ImportFailureReport(reading.failures, kMaxDocumentTextUnits));
}

// Memory running out in the middle of a drop (a text the box cannot take, say)
// ends that drop, not the queue: the bank from before it goes back, the status
// line says why, and later drops still come in.
void EndDropWithoutMemory(std::optional<std::wstring>& keptBank) {
  queue.next.reset();
  queue.pendingPaste.reset();  // its loan gives the user's clipboard back
  const HWND box = importControls.answerBank;
  if (keptBank && IsWindow(box)) RunOrOnNoMemory([&] { PutBackBank(box, *keptBank); }, [] {});
  keptBank.reset();
  ShowStatus(kImportNoMemoryText);
}

void RunQueuedImports() {
  queue.running = true;
  std::optional<std::wstring> keptBank;
  RunOrOnNoMemory(
      [&] {
        while (queue.next && IsWindow(importControls.answerBank) && !QuitRequested()) {
          const DroppedPaths drop = std::move(*queue.next);
          queue.next.reset();
          RunImport(drop, queue.drops.Begin(), keptBank);
        }
      },
      [&] { EndDropWithoutMemory(keptBank); });
  queue.next.reset();
  queue.running = false;
}

}  // namespace

void SetDocumentImportControls(const DocumentImportControls& controls) { importControls = controls; }

void OnFilesDropped(const DroppedPaths& paths) {
  queue.next = paths;
  if (queue.running) {
    queue.drops.StopAll();  // the running import stops at its next step
    return;
  }
  RunQueuedImports();
}

void EndImportOnClose() {
  if (importControls.setPasteTimer) importControls.setPasteTimer(0);
  if (!queue.pendingPaste) return;
  // The box is going: only the user's clipboard matters now.
  queue.pendingPaste->userClipboard.GiveBack();
  queue.pendingPaste.reset();
}

void DelayedPaste() {
  if (importControls.setPasteTimer) importControls.setPasteTimer(0);
  if (!queue.pendingPaste || queue.running) return;
  queue.running = true;
  std::optional<std::wstring> keptBank;
  RunOrOnNoMemory([] { EndPendingPaste(true); }, [&] { EndDropWithoutMemory(keptBank); });
  queue.running = false;
  if (queue.next) RunQueuedImports();
}
