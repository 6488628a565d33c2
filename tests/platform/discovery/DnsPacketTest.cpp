#include <gtest/gtest.h>

#include "platform/discovery/MdnsClient.h"
#include "platform/discovery/DnsPacket.h"

namespace {

// Legacy-unicast answers of avahi-daemon 0.8 (service "srv3", _smb._tcp on
// 445, address 10.234.0.13), captured on a private test network: to the PTR
// query (every record in the answer section, names compressed), to an SRV
// query and to an A query.
const char kAvahiPtrAnswer[] =
    "424284000001000400000000045f736d62045f746370056c6f63616c00000c0001c00c000c00010000000a00070473727633c00c"
    "c02d001000010000000a000100c02d002100010000000a000d0000000001bd0473727633c016c053000100010000000a00040aea000d";
const char kAvahiSrvAnswer[] =
    "4242840000010002000000000473727633045f736d62045f746370056c6f63616c0000210001c00c002100010000000a000d00000000"
    "01bd0473727633c01bc038000100010000000a00040aea000d";
const char kAvahiAAnswer[] = "4242840000010001000000000473727633056c6f63616c0000010001c00c000100010000000a00040aea000d";

QByteArray Hex(const char* hex) { return QByteArray::fromHex(hex); }

Dns::TName N(const char* text) { return Dns::NameFromText(QString::fromUtf8(text)); }

QList<Dns::TRecord> RecordsOf(const QByteArray& data) {
  Dns::TMessage m;
  EXPECT_TRUE(Dns::Parse(data, m));
  return m.Records;
}

}  // namespace

TEST(MdnsPacket, CapturedAvahiAnswersAssembleIntoOneServer) {
  Dns::TMessage m;
  ASSERT_TRUE(Dns::Parse(Hex(kAvahiPtrAnswer), m));
  EXPECT_EQ(m.Id, 0x4242);
  EXPECT_TRUE(m.Flags & Dns::kFlagResponse);
  ASSERT_EQ(m.Questions.size(), 1);
  EXPECT_TRUE(Dns::SameName(m.Questions[0].Name, N("_smb._tcp.local")));
  ASSERT_EQ(m.Records.size(), 4);
  EXPECT_EQ(m.Records[0].Type, Dns::kTypePtr);
  EXPECT_EQ(Dns::NameToText(m.Records[0].Target), "srv3._smb._tcp.local");
  EXPECT_EQ(m.Records[1].Type, Dns::kTypeTxt);
  EXPECT_EQ(m.Records[1].Txt, QList<QByteArray>({QByteArray()}));
  EXPECT_EQ(m.Records[2].Port, 445);
  EXPECT_EQ(Dns::NameToText(m.Records[2].Target), "srv3.local");
  EXPECT_EQ(m.Records[3].Address, (TIpv4{10, 234, 0, 13}));

  QList<QPair<Dns::TName, quint16>> missing;
  const QList<Mdns::TService> services = Mdns::Assemble(m.Records, N("_smb._tcp.local"), &missing);
  ASSERT_EQ(services.size(), 1);
  EXPECT_EQ(services[0].Instance, "srv3");
  EXPECT_EQ(services[0].Host, "srv3");
  EXPECT_EQ(services[0].Port, 445);
  EXPECT_EQ(services[0].Addresses, QList<TIpv4>({{10, 234, 0, 13}}));
  EXPECT_TRUE(missing.isEmpty());
}

TEST(MdnsPacket, RecordsLeftOutAreAskedForAndJoinedAcrossAnswers) {
  const QList<Dns::TRecord> all = RecordsOf(Hex(kAvahiPtrAnswer));
  QList<Dns::TRecord> ptrOnly{all[0]};
  QList<QPair<Dns::TName, quint16>> missing;
  QList<Mdns::TService> s = Mdns::Assemble(ptrOnly, N("_smb._tcp.local"), &missing);
  ASSERT_EQ(s.size(), 1);
  EXPECT_TRUE(s[0].Host.isEmpty());
  ASSERT_EQ(missing.size(), 1);
  EXPECT_TRUE(Dns::SameName(missing[0].first, N("SRV3._smb._tcp.LOCAL")));
  EXPECT_EQ(missing[0].second, Dns::kTypeSrv);

  // The SRV answer alone (without its A record) asks for the host's address.
  QList<Dns::TRecord> gathered = ptrOnly;
  gathered.append(RecordsOf(Hex(kAvahiSrvAnswer)).first());
  missing.clear();
  s = Mdns::Assemble(gathered, N("_smb._tcp.local"), &missing);
  ASSERT_EQ(missing.size(), 1);
  EXPECT_TRUE(Dns::SameName(missing[0].first, N("srv3.local")));
  EXPECT_EQ(missing[0].second, Dns::kTypeA);
  gathered.append(RecordsOf(Hex(kAvahiAAnswer)));
  missing.clear();
  s = Mdns::Assemble(gathered, N("_smb._tcp.local"), &missing);
  EXPECT_TRUE(missing.isEmpty());
  EXPECT_EQ(s[0].Addresses, QList<TIpv4>({{10, 234, 0, 13}}));
  EXPECT_EQ(Mdns::AddressesOf(gathered, N("SRV3.local")), QList<TIpv4>({{10, 234, 0, 13}}));

  // A goodbye (TTL 0) and a PTR to another service's instance are not servers.
  Dns::TRecord bye = all[0];
  bye.Ttl = 0;
  Dns::TRecord other = all[0];
  other.Target = N("x._http._tcp.local");
  EXPECT_TRUE(Mdns::Assemble({bye, other}, N("_smb._tcp.local")).isEmpty());
}

TEST(MdnsPacket, TruncatedAndHostileAnswersNeverReadPastTheEnd) {
  for (const char* capture : {kAvahiPtrAnswer, kAvahiSrvAnswer, kAvahiAAnswer}) {
    const QByteArray whole = Hex(capture);
    for (qsizetype n = 0; n < whole.size(); ++n) {
      Dns::TMessage m;
      EXPECT_EQ(Dns::Parse(whole.left(n), m), n >= 12) << n;
      // A record cut anywhere is not half-kept: A records carry the full address or none.
      for (const Dns::TRecord& r : m.Records)
        if (r.Type == Dns::kTypeA) EXPECT_EQ(r.Address, (TIpv4{10, 234, 0, 13}));
    }
    // Flipping any byte never crashes.
    for (qsizetype i = 0; i < whole.size(); ++i) {
      QByteArray bad = whole;
      bad[i] = char(bad[i] ^ 0xff);
      Dns::TMessage m;
      Dns::Parse(bad, m);
    }
  }
  const QByteArray header = QByteArray::fromHex("000084000000000100000000");
  Dns::TMessage m;
  // A name pointing at itself, or forward, is refused instead of followed.
  ASSERT_TRUE(Dns::Parse(header + QByteArray::fromHex("c00c000100010000000a00040a000001"), m));
  EXPECT_TRUE(m.Records.isEmpty());
  ASSERT_TRUE(Dns::Parse(header + QByteArray::fromHex("c020000100010000000a00040a000001"), m));
  EXPECT_TRUE(m.Records.isEmpty());
  // An A record of the wrong length and a TXT string longer than its record are dropped.
  ASSERT_TRUE(Dns::Parse(header + QByteArray::fromHex("0161000001000100000000000300aabb"), m));
  EXPECT_TRUE(m.Records.isEmpty());
  ASSERT_TRUE(Dns::Parse(QByteArray::fromHex("000084000000000200000000") +
                             QByteArray::fromHex("01610000100001000000000003056162") +
                             QByteArray::fromHex("0162000010000100000000000403616263"),
                         m));
  ASSERT_EQ(m.Records.size(), 1);
  EXPECT_EQ(m.Records[0].Txt, QList<QByteArray>({"abc"}));
  // Many claimed records in a short message: only what is there.
  ASSERT_TRUE(Dns::Parse(QByteArray::fromHex("0000840000000000ffffffff"), m));
  EXPECT_TRUE(m.Records.isEmpty());
}

TEST(MdnsPacket, QueriesAndNames) {
  const QByteArray q = Dns::BuildQuery(0x4242, 0, N("_smb._tcp.local"), Dns::kTypePtr);
  EXPECT_EQ(q.toHex(), "424200000001000000000000045f736d62045f746370056c6f63616c00000c0001");
  Dns::TMessage m;
  ASSERT_TRUE(Dns::Parse(q, m));
  ASSERT_EQ(m.Questions.size(), 1);
  EXPECT_EQ(m.Questions[0].Type, Dns::kTypePtr);
  EXPECT_TRUE(N("a..b").isEmpty());
  EXPECT_TRUE(N(QByteArray(64, 'x').constData()).isEmpty());
  EXPECT_EQ(N("srv3.local.").size(), 2);
  EXPECT_TRUE(Dns::BuildQuery(1, 0, {}, Dns::kTypeA).isEmpty());
  EXPECT_TRUE(Dns::SameName(N("SRV3.Local"), N("srv3.local")));
  EXPECT_FALSE(Dns::SameName(N("srv3"), N("srv3.local")));
}
