#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/NoMemory.h"

namespace {

int failures = 0;

TEST(RunOrOnNoMemory, OnlyALackOfMemoryEndsTheBodyQuietly) {
  const auto countFailure = [] { ++failures; };
  EXPECT_TRUE(RunOrOnNoMemory([] {}, countFailure));
  EXPECT_FALSE(RunOrOnNoMemory([] { throw std::bad_alloc(); }, countFailure));
  EXPECT_FALSE(RunOrOnNoMemory([] { std::string().resize(std::string().max_size() + 1); }, countFailure));
  EXPECT_THROW(RunOrOnNoMemory([] { throw std::runtime_error("other"); }, countFailure), std::runtime_error);
  EXPECT_EQ(failures, 2);
  // Reported where the program said, and nowhere before it said.
  EXPECT_FALSE(RunReportingNoMemory([] { throw std::bad_alloc(); }));
  SetNoMemoryReport([] { ++failures; });
  EXPECT_FALSE(RunReportingNoMemory([] { throw std::bad_alloc(); }));
  SetNoMemoryReport(nullptr);
  EXPECT_EQ(failures, 3);
}

}  // namespace
