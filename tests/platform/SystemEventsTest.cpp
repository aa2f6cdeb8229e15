#include "platform/SystemEvents.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace vellumor::platform {
namespace {

TEST(SystemEventsTest, ErrorTextsAndCodes) {
  EXPECT_EQ(SystemErrorText(0), "The operation completed successfully.");
  EXPECT_EQ(SystemErrorText(5), "Access is denied.");
  EXPECT_EQ(SystemErrorText(32), "The process cannot access the file because it is being used by another process.");
  EXPECT_EQ(SystemErrorText(160), "One or more arguments are not correct.");
  EXPECT_EQ(SystemErrorText(234), "More data is available.");
  EXPECT_EQ(SystemErrorText(99999), "Unknown error 99999.");

  EXPECT_EQ(ErrorCodeFromErrno(EACCES), 5);
  EXPECT_EQ(ErrorCodeFromErrno(EROFS), 5);
  EXPECT_EQ(ErrorCodeFromErrno(ENOENT), 2);
  EXPECT_EQ(ErrorCodeFromErrno(ENOSPC), 112);
  // Every failure maps to a failure, also one the table does not know.
  for (int value = 1; value < 150; ++value) {
    EXPECT_NE(ErrorCodeFromErrno(value), 0) << value;
  }

  const std::size_t before = SettingChangeBroadcastCount();
  BroadcastSettingChange("Environment");
  BroadcastSettingChange("Environment");
  EXPECT_EQ(SettingChangeBroadcastCount(), before + 2);
}

}  // namespace
}  // namespace vellumor::platform
