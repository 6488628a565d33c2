#include <gtest/gtest.h>

#include "platform/discovery/NetBiosBrowse.h"
#include "platform/discovery/NetBiosName.h"

namespace {

// nmbd's answer for SRV1<20> (10.234.0.11) to broadcast query id 0x1234.
const char kNmbdAnswer[] =
    "12348580000000010000000020464446434647444243414341434143414341434143414341434143414341434100002000010003f480"
    "000600000aea000b";

}  // namespace

TEST(NetBios, NameQueryAndCapturedAnswer) {
  EXPECT_EQ(NetBios::EncodeName("fred", 0x20), "\x20" "EGFCEFEECACACACACACACACACACACACA" + QByteArray(1, '\0'));
  EXPECT_TRUE(NetBios::EncodeName("").isEmpty());
  EXPECT_TRUE(NetBios::EncodeName("SIXTEEN-LETTERS!").isEmpty());
  EXPECT_EQ(NetBios::BuildQuery(0x1234, "SRV1").toHex(),
            "12340110000100000000000020464446434647444243414341434143414341434143414341434143414341434100002000" "01");

  const QByteArray answer = QByteArray::fromHex(kNmbdAnswer);
  QList<TIpv4> addresses;
  ASSERT_TRUE(NetBios::ParseAnswer(answer, 0x1234, "srv1", addresses));
  EXPECT_EQ(addresses, QList<TIpv4>({{10, 234, 0, 11}}));
  EXPECT_FALSE(NetBios::ParseAnswer(answer, 0x1234, "SRV2", addresses));
  EXPECT_FALSE(NetBios::ParseAnswer(answer, 0x4321, "SRV1", addresses));
  QByteArray negative = answer;
  negative[3] = char(0x83);  // name error
  EXPECT_FALSE(NetBios::ParseAnswer(negative, 0x1234, "SRV1", addresses));
  QByteArray badLength = answer;
  badLength[answer.size() - 7] = 7;  // not a multiple of six
  EXPECT_FALSE(NetBios::ParseAnswer(badLength, 0x1234, "SRV1", addresses));
  for (qsizetype n = 0; n < answer.size(); ++n)
    EXPECT_FALSE(NetBios::ParseAnswer(answer.left(n), 0x1234, "SRV1", addresses)) << n;
  // A second address of a multi-homed server is kept, the same one once.
  QByteArray two = answer;
  two[answer.size() - 7] = 18;
  two += QByteArray::fromHex("0000c0a80105") + QByteArray::fromHex("00000aea000b");
  ASSERT_TRUE(NetBios::ParseAnswer(two, 0x1234, "SRV1", addresses));
  EXPECT_EQ(addresses, QList<TIpv4>({{10, 234, 0, 11}, {192, 168, 1, 5}}));
}

TEST(NetBios, BrowseHelperLines) {
  NetBios::TBrowseLine l;
  ASSERT_TRUE(NetBios::ParseBrowseLine("WORKGROUP\tTESTGRP\n", l));
  EXPECT_FALSE(l.IsServer);
  EXPECT_EQ(l.Group, "TESTGRP");
  ASSERT_TRUE(NetBios::ParseBrowseLine("SERVER\tTESTGRP\tsrv1\r\n", l));
  EXPECT_TRUE(l.IsServer);
  EXPECT_EQ(l.Server, "SRV1");
  ASSERT_TRUE(NetBios::ParseBrowseLine("SERVER\tGRUPPE MIT ÄÖ\tBÜRO", l));
  EXPECT_EQ(l.Group, QString::fromUtf8("GRUPPE MIT ÄÖ"));
  for (const char* bad : {"", "WORKGROUP", "WORKGROUP\t", "SERVER\tG", "SERVER\tG\t", "SERVER\tG\tA\tB", "HOST\tG\tA",
                          "SERVER\tG\t..\\..\\x", "SERVER\tG\ta/b", "WORKGROUP\tA\x01"})
    EXPECT_FALSE(NetBios::ParseBrowseLine(bad, l)) << bad;
}
