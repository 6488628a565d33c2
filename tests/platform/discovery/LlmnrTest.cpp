#include <gtest/gtest.h>

#include "platform/discovery/LlmnrClient.h"

namespace {

// wsdd2's LLMNR answer for SRV2 (10.234.0.12) to query id 0x1234.
const char kWsdd2Answer[] = "12348000000100010000000004535256320000010001c00c000100010000001e00040aea000c";

}  // namespace

TEST(Llmnr, CapturedAnswerAndAnswersThatDoNotCount) {
  const QByteArray answer = QByteArray::fromHex(kWsdd2Answer);
  const Dns::TName name = Dns::NameFromText("srv2");
  TIpv4 a{};
  ASSERT_TRUE(Llmnr::AnswerAddress(answer, 0x1234, name, a));
  EXPECT_EQ(a, (TIpv4{10, 234, 0, 12}));
  EXPECT_FALSE(Llmnr::AnswerAddress(answer, 0x1235, name, a));  // not our query
  EXPECT_FALSE(Llmnr::AnswerAddress(answer, 0x1234, Dns::NameFromText("srv1"), a));
  QByteArray query = answer;
  query[2] = 0;  // a query, not a response
  EXPECT_FALSE(Llmnr::AnswerAddress(query, 0x1234, name, a));
  QByteArray refused = answer;
  refused[3] = 0x03;  // name error
  EXPECT_FALSE(Llmnr::AnswerAddress(refused, 0x1234, name, a));
  for (qsizetype n = 0; n < answer.size(); ++n)
    EXPECT_FALSE(Llmnr::AnswerAddress(answer.left(n), 0x1234, name, a)) << n;
}
