#include <gtest/gtest.h>

#include <cerrno>

#include "platform/smb/SmbShareList.h"

using SmbShareList::TOutcome;

TEST(SmbShareList, ASlowServerIsAskedAgainUntilItAnswersOrTheBoundOrStopEndsIt) {
  // Two attempts run out of time, the third lists: the list is kept.
  int calls = 0;
  EXPECT_EQ(SmbShareList::Patiently(60000, {}, [&](int) { return ++calls < 3 ? TOutcome::TimedOut : TOutcome::Listed; }),
            TOutcome::Listed);
  EXPECT_EQ(calls, 3);
  // A refusal or an absent server is not asked again.
  calls = 0;
  EXPECT_EQ(SmbShareList::Patiently(60000, {}, [&](int) { return ++calls, TOutcome::Failed; }), TOutcome::Failed);
  EXPECT_EQ(calls, 1);
  // A stop ends it at the next turn and reports no answer, never a list.
  calls = 0;
  EXPECT_EQ(SmbShareList::Patiently(60000, [&] { return calls >= 2; }, [&](int) { return ++calls, TOutcome::TimedOut; }),
            TOutcome::TimedOut);
  EXPECT_EQ(calls, 2);
  // The time left shrinks to the bound's end.
  int firstLeft = 0, lastLeft = 0;
  calls = 0;
  SmbShareList::Patiently(300, {}, [&](int left) {
    if (++calls == 1) firstLeft = left;
    lastLeft = left;
    return TOutcome::TimedOut;
  });
  EXPECT_LE(firstLeft, 300);
  EXPECT_GT(lastLeft, 0);
  EXPECT_LE(lastLeft, firstLeft);
  EXPECT_TRUE(SmbShareList::IsTimeout(ETIMEDOUT));
  EXPECT_FALSE(SmbShareList::IsTimeout(EACCES));
  EXPECT_FALSE(SmbShareList::IsTimeout(0));
}
