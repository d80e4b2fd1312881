#include "answerbank/DocumentImport.h"

#include <vector>

#include "answerbank/RichEditBox.h"
#include "answerbank/StandardFormatting.h"
#include "platform/Automation.h"
#include "platform/Clipboard.h"
#include "platform/MessagePump.h"
#include "platform/Text.h"

const char* const kImportWaitingText = "正在载入拖入的文档，请稍后……";

namespace {

DocumentImportControls importControls;

constexpr unsigned kPumpIntervalMs = 30;

ComPtr<IDispatch> GetObjectMember(IDispatch* target, const wchar_t* member) {
  Variant result;
  AutomationGet(target, member, &result);
  return TakeObject(result);
}

}  // namespace

void SetDocumentImportControls(const DocumentImportControls& controls) { importControls = controls; }

std::string ImportWordDocument(const std::wstring& path) {
  ComPtr<IDispatch> application = CreateAutomationObject(L"Word.Application");
  Variant hidden(false);
  AutomationPut(application.Get(), L"Visible", hidden);
  ComPtr<IDispatch> documents = GetObjectMember(application.Get(), L"Documents");

  std::vector<Variant> openArguments;
  openArguments.emplace_back(path);   // file name
  openArguments.emplace_back(false);  // confirm conversions
  openArguments.emplace_back(true);   // read-only
  Variant opened;
  AutomationCall(documents.Get(), L"Open", openArguments, &opened);
  ComPtr<IDispatch> document = TakeObject(opened);

  ComPtr<IDispatch> content = GetObjectMember(document.Get(), L"Content");
  AutomationGet(content.Get(), L"Copy", nullptr);
  AutomationCall(document.Get(), L"Close");
  // Only now, with the document closed: nothing asks about it while it quits.
  Variant noAlerts(false);
  AutomationPut(application.Get(), L"DisplayAlerts", noAlerts);
  AutomationCall(application.Get(), L"Quit");
  application.Reset();

  std::string text = ReadClipboardTextGbk(importControls.answerBank);
  documents.Reset();
  document.Reset();
  content.Reset();
  return text;
}

std::string ImportWordDocument(const std::string& gbkPath) { return ImportWordDocument(GbkToWide(gbkPath)); }

void OnFilesDropped(const DroppedPaths& paths) {
  const DocumentImportControls c = importControls;
  if (!IsWindow(c.answerBank)) return;
  c.setCurrentPage(c.answerBankPage);
  c.tabClicked();
  RichEditBox box(c.answerBank);
  box.SetContent(kImportWaitingText);
  // The waiting text shows while the word processor works.
  RedrawWindow(GetAncestor(c.answerBank, GA_ROOT), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);

  // The UTF-16 list names the same files as the GBK text, and still does for
  // names with characters GBK lacks.
  const std::wstring fileName = paths.wideText.empty() ? GbkToWide(paths.text) : paths.wideText;
  ThrottledPump pump(kPumpIntervalMs);
  auto goOn = [&] { return pump.Tick() && IsWindow(c.answerBank); };
  const std::string imported = ImportWordDocument(fileName);
  if (!goOn() || !box.SetContentInPieces(imported, goOn)) return;

  if (box.IsEmpty()) c.setPasteTimer(kDelayedPasteMs);
  FormatWholeBox(c.answerBank);
}

void DelayedPaste() {
  const DocumentImportControls c = importControls;
  if (c.setPasteTimer) c.setPasteTimer(0);
  if (!IsWindow(c.answerBank)) return;
  RichEditBox box(c.answerBank);
  if (!box.IsEmpty()) return;
  box.Focus();
  box.Paste();
}
