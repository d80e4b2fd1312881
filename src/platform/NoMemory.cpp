#include "platform/NoMemory.h"

namespace {

void (*noMemoryReport)() = nullptr;

}  // namespace

void SetNoMemoryReport(void (*report)()) { noMemoryReport = report; }

void ReportNoMemory() {
  if (noMemoryReport) noMemoryReport();
}
