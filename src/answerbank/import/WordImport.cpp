#include "answerbank/import/WordImport.h"

#include <vector>

#include "platform/Automation.h"
#include "platform/Clipboard.h"

namespace {

ComPtr<IDispatch> GetObjectMember(IDispatch* target, const wchar_t* member) {
  Variant result;
  AutomationGet(target, member, &result);
  return TakeObject(result);
}

}  // namespace

WordCopyResult ImportWordDocument(const std::wstring& path, HWND clipboardOwner) {
  WordCopyResult result;
  const DWORD clipboardBefore = GetClipboardSequenceNumber();

  ComPtr<IDispatch> application = CreateAutomationObject(L"Word.Application");
  result.started = static_cast<bool>(application);
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
  Variant opened;
  AutomationCall(documents.Get(), L"Open", openArguments, &opened);
  ComPtr<IDispatch> document = TakeObject(opened);
  result.opened = static_cast<bool>(document);

  ComPtr<IDispatch> content = GetObjectMember(document.Get(), L"Content");
  AutomationGet(content.Get(), L"Copy", nullptr);
  AutomationCall(document.Get(), L"Close");
  // Again with the document closed, so nothing asks about it while it quits.
  Variant noAlerts(false);
  AutomationPut(application.Get(), L"DisplayAlerts", noAlerts);
  AutomationCall(application.Get(), L"Quit");
  application.Reset();

  result.copied = GetClipboardSequenceNumber() != clipboardBefore;
  if (result.copied) result.text = ReadClipboardUnicode(clipboardOwner);
  documents.Reset();
  document.Reset();
  content.Reset();
  return result;
}
