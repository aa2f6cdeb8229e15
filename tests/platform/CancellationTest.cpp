// The cancellation signals, delivered for real to this process.

#include "platform/Cancellation.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

namespace vellumor::platform {
namespace {

bool HandledByDefault(int number) {
  struct sigaction action {};
  ::sigaction(number, nullptr, &action);
  return action.sa_handler == SIG_DFL;
}

TEST(CancellationTest, EachSignalIsRecordedAndWakesWhoeverWaits) {
  const std::pair<int, const char*> signals[] = {{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}};
  for (const auto& [number, name] : signals) {
    SCOPED_TRACE(name);
    std::unique_ptr<Cancellation> cancellation = Cancellation::Watch();
    ASSERT_NE(cancellation, nullptr);
    EXPECT_EQ(Cancellation::Watch(), nullptr) << "one watch per process";
    EXPECT_FALSE(cancellation->Requested());
    int silent[2];
    ASSERT_EQ(::pipe(silent), 0);

    ::raise(number);
    EXPECT_TRUE(cancellation->Requested());
    EXPECT_EQ(cancellation->SignalName(), name);
    pollfd ready{cancellation->Descriptor(), POLLIN, 0};
    EXPECT_EQ(::poll(&ready, 1, 0), 1);
    // A wait for input that will never come ends at once.
    EXPECT_FALSE(cancellation->WaitReadable(silent[0]));
    ::close(silent[0]);
    ::close(silent[1]);

    cancellation.reset();
    EXPECT_TRUE(HandledByDefault(number));
  }
}

TEST(CancellationTest, StoppingTheWatchGivesTheSignalsBack) {
  std::unique_ptr<Cancellation> cancellation = Cancellation::Watch();
  ASSERT_NE(cancellation, nullptr);
  EXPECT_FALSE(HandledByDefault(SIGTERM));
  cancellation->StopWatching();
  EXPECT_TRUE(HandledByDefault(SIGTERM));
  EXPECT_TRUE(HandledByDefault(SIGINT));
  EXPECT_TRUE(HandledByDefault(SIGHUP));
}

}  // namespace
}  // namespace vellumor::platform
