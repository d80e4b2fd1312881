#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/NoMemory.h"

namespace {

TEST(RunOrOnNoMemory, AFailureToGetMemoryEndsTheBodyAndIsHandedOn) {
  int steps = 0, failures = 0;
  const auto countFailure = [&] { ++failures; };
  EXPECT_TRUE(RunOrOnNoMemory([&] { ++steps; }, countFailure));
  EXPECT_FALSE(RunOrOnNoMemory(
      [&] {
        ++steps;
        throw std::bad_alloc();
      },
      countFailure));
  EXPECT_FALSE(RunOrOnNoMemory(
      [&] {
        std::string text;
        text.resize(text.max_size() + 1);
        ++steps;  // not reached
      },
      countFailure));
  EXPECT_EQ(steps, 2);
  EXPECT_EQ(failures, 2);
  // Anything else is not a lack of memory and goes on its way.
  EXPECT_THROW(RunOrOnNoMemory([] { throw std::runtime_error("other"); }, countFailure), std::runtime_error);
  EXPECT_EQ(failures, 2);
}

int reports = 0;

TEST(RunReportingNoMemory, ReportsWhereTheProgramSaid) {
  ReportNoMemory();  // nothing said yet: nothing happens
  SetNoMemoryReport([] { ++reports; });
  EXPECT_TRUE(RunReportingNoMemory([] {}));
  EXPECT_FALSE(RunReportingNoMemory([] { throw std::bad_alloc(); }));
  EXPECT_EQ(reports, 1);
  SetNoMemoryReport(nullptr);
}

}  // namespace
