#include <gtest/gtest.h>

#include <QXmlStreamReader>

#include "platform/discovery/WsdMessage.h"

namespace {

// Answers captured from wsdd 0.7 (host mode: no XAddrs in the ProbeMatch)
// and wsdd2 1.8 (XAddrs in the ProbeMatch) on a private test network.
const char kWsddProbeMatch[] =
    R"X(<?xml version="1.0" encoding="utf-8"?>)X"
    R"X(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing" xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery" xmlns:wsx="http://schemas.xmlsoap.org/ws/2004/09/mex" xmlns:wsdp="http://schemas.xmlsoap.org/ws/2006/02/devprof" xmlns:pnpx="http://schemas.microsoft.com/windows/pnpx/2005/10" xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07">)X"
    R"X(<soap:Header><wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To>)X"
    R"X(<wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</wsa:Action>)X"
    R"X(<wsa:MessageID>urn:uuid:88621c60-f36b-11f1-8058-3268a8ef2880</wsa:MessageID>)X"
    R"X(<wsa:RelatesTo>urn:uuid:a723d3bc-3380-4cdb-8d8f-2a689a7fd6b8</wsa:RelatesTo>)X"
    R"X(<wsd:AppSequence InstanceId="1796777821" SequenceId="urn:uuid:886222c8-f36b-11f1-8058-3268a8ef2880" MessageNumber="3" />)X"
    R"X(</soap:Header><soap:Body><wsd:ProbeMatches><wsd:ProbeMatch><wsa:EndpointReference>)X"
    R"X(<wsa:Address>urn:uuid:11111111-1111-4111-8111-111111111111</wsa:Address></wsa:EndpointReference>)X"
    R"X(<wsd:Types>wsdp:Device pub:Computer</wsd:Types><wsd:MetadataVersion>1</wsd:MetadataVersion>)X"
    R"X(</wsd:ProbeMatch></wsd:ProbeMatches></soap:Body></soap:Envelope>)X";
const char kWsdd2ProbeMatch[] =
    R"X(<?xml version="1.0" encoding="utf-8"?>)X"
    R"X(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing" xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery" xmlns:wsx="http://schemas.xmlsoap.org/ws/2004/09/mex" xmlns:wsdp="http://schemas.xmlsoap.org/ws/2006/02/devprof" xmlns:un0="http://schemas.microsoft.com/windows/pnpx/2005/10" xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07">)X"
    R"X(<soap:Header><wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To>)X"
    R"X(<wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</wsa:Action>)X"
    R"X(<wsa:MessageID>urn:uuid:e86dd892-047b-0622-9b6e-28f1f610247d</wsa:MessageID>)X"
    R"X(<wsd:AppSequence InstanceId="1796777822" SequenceId="urn:uuid:79ae275a-35ca-a64f-0bd6-909b79a6ee75" MessageNumber="7" />)X"
    R"X(<wsa:RelatesTo>urn:uuid:a723d3bc-3380-4cdb-8d8f-2a689a7fd6b8</wsa:RelatesTo></soap:Header>)X"
    R"X(<soap:Body><wsd:ProbeMatches><wsd:ProbeMatch><wsa:EndpointReference>)X"
    R"X(<wsa:Address>urn:uuid:3d1219c7-c4c5-404a-aa1f-6d2a48adfda4</wsa:Address></wsa:EndpointReference>)X"
    R"X(<wsd:Types>wsdp:Device pub:Computer</wsd:Types>)X"
    R"X(<wsd:XAddrs>http://10.234.0.12:3702/3d1219c7-c4c5-404a-aa1f-6d2a48adfda4</wsd:XAddrs>)X"
    R"X(<wsd:MetadataVersion>2</wsd:MetadataVersion></wsd:ProbeMatch></wsd:ProbeMatches></soap:Body>)X"
    R"X(</soap:Envelope>)X";
const char kWsddResolveMatch[] =
    R"X(<?xml version="1.0" encoding="utf-8"?>)X"
    R"X(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing" xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery" xmlns:wsx="http://schemas.xmlsoap.org/ws/2004/09/mex" xmlns:wsdp="http://schemas.xmlsoap.org/ws/2006/02/devprof" xmlns:pnpx="http://schemas.microsoft.com/windows/pnpx/2005/10" xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07">)X"
    R"X(<soap:Header><wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To>)X"
    R"X(<wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ResolveMatches</wsa:Action>)X"
    R"X(<wsa:MessageID>urn:uuid:89190c04-f36b-11f1-8058-3268a8ef2880</wsa:MessageID>)X"
    R"X(<wsa:RelatesTo>urn:uuid:aaa71aef-83e4-4421-b93f-f2f63a609971</wsa:RelatesTo>)X"
    R"X(<wsd:AppSequence InstanceId="1796777821" SequenceId="urn:uuid:89190da8-f36b-11f1-8058-3268a8ef2880" MessageNumber="4" />)X"
    R"X(</soap:Header><soap:Body><wsd:ResolveMatches><wsd:ResolveMatch><wsa:EndpointReference>)X"
    R"X(<wsa:Address>urn:uuid:11111111-1111-4111-8111-111111111111</wsa:Address></wsa:EndpointReference>)X"
    R"X(<wsd:Types>wsdp:Device pub:Computer</wsd:Types>)X"
    R"X(<wsd:XAddrs>http://10.234.0.11:5357/11111111-1111-4111-8111-111111111111</wsd:XAddrs>)X"
    R"X(<wsd:MetadataVersion>1</wsd:MetadataVersion></wsd:ResolveMatch></wsd:ResolveMatches></soap:Body>)X"
    R"X(</soap:Envelope>)X";
const char kWsddGetAnswer[] =
    "HTTP/1.0 200 OK\r\n"
    "Server: BaseHTTP/0.6 Python/3.11.2\r\n"
    "Date: Wed, 09 Dec 2026 00:57:42 GMT\r\n"
    "Content-Type: application/soap+xml\r\n"
    "\r\n"
    R"X(<?xml version="1.0" encoding="utf-8"?>)X"
    R"X(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing" xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery" xmlns:wsx="http://schemas.xmlsoap.org/ws/2004/09/mex" xmlns:wsdp="http://schemas.xmlsoap.org/ws/2006/02/devprof" xmlns:pnpx="http://schemas.microsoft.com/windows/pnpx/2005/10" xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07">)X"
    R"X(<soap:Header><wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To>)X"
    R"X(<wsa:Action>http://schemas.xmlsoap.org/ws/2004/09/transfer/GetResponse</wsa:Action>)X"
    R"X(<wsa:MessageID>urn:uuid:89d42bd8-f36b-11f1-8058-3268a8ef2880</wsa:MessageID>)X"
    R"X(<wsa:RelatesTo>urn:uuid:276f7b63-1de5-4523-9312-86af0d35dd53</wsa:RelatesTo></soap:Header>)X"
    R"X(<soap:Body><wsx:Metadata>)X"
    R"X(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/ThisDevice">)X"
    R"X(<wsdp:ThisDevice><wsdp:FriendlyName>WSD Device SRV1</wsdp:FriendlyName>)X"
    R"X(<wsdp:FirmwareVersion>1.0</wsdp:FirmwareVersion><wsdp:SerialNumber>1</wsdp:SerialNumber>)X"
    R"X(</wsdp:ThisDevice></wsx:MetadataSection>)X"
    R"X(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/ThisModel">)X"
    R"X(<wsdp:ThisModel><wsdp:Manufacturer>wsdd</wsdp:Manufacturer><wsdp:ModelName>wsdd</wsdp:ModelName>)X"
    R"X(<pnpx:DeviceCategory>Computers</pnpx:DeviceCategory></wsdp:ThisModel></wsx:MetadataSection>)X"
    R"X(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/Relationship">)X"
    R"X(<wsdp:Relationship Type="http://schemas.xmlsoap.org/ws/2006/02/devprof/host"><wsdp:Host>)X"
    R"X(<wsa:EndpointReference><wsa:Address>urn:uuid:11111111-1111-4111-8111-111111111111</wsa:Address>)X"
    R"X(</wsa:EndpointReference><wsdp:Types>pub:Computer</wsdp:Types>)X"
    R"X(<wsdp:ServiceId>urn:uuid:11111111-1111-4111-8111-111111111111</wsdp:ServiceId>)X"
    R"X(<pub:Computer>SRV1/Workgroup:TESTGRP</pub:Computer></wsdp:Host></wsdp:Relationship>)X"
    R"X(</wsx:MetadataSection></wsx:Metadata></soap:Body></soap:Envelope>)X";
const char kWsdd2GetAnswer[] =
    "HTTP/1.1 200 OK\r\n"
    "Server: NETGEAR WSD Server\r\n"
    "Date: Wed, 09 Dec 2026 00:57:54 GMT\r\n"
    "Connection: close\r\n"
    "Content-Type: application/soap+xml\r\n"
    "Content-Length: 2285\r\n"
    "\r\n"
    R"X(<?xml version="1.0" encoding="utf-8"?>)X"
    R"X(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing" xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery" xmlns:wsx="http://schemas.xmlsoap.org/ws/2004/09/mex" xmlns:wsdp="http://schemas.xmlsoap.org/ws/2006/02/devprof" xmlns:un0="http://schemas.microsoft.com/windows/pnpx/2005/10" xmlns:pub="http://schemas.microsoft.com/windows/pub/2005/07">)X"
    R"X(<soap:Header><wsa:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To>)X"
    R"X(<wsa:Action>http://schemas.xmlsoap.org/ws/2004/09/transfer/GetResponse</wsa:Action>)X"
    R"X(<wsa:MessageID>urn:uuid:701546a3-8a5c-233e-fe81-4e1235814a5d</wsa:MessageID>)X"
    R"X(<wsd:AppSequence InstanceId="1796777822" SequenceId="urn:uuid:79ae275a-35ca-a64f-0bd6-909b79a6ee75" MessageNumber="9" />)X"
    R"X(<wsa:RelatesTo>urn:uuid:325f59de-1635-47fc-a936-e77864ff80ce</wsa:RelatesTo></soap:Header>)X"
    R"X(<soap:Body><wsx:Metadata>)X"
    R"X(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/ThisDevice">)X"
    R"X(<wsdp:ThisDevice><wsdp:FriendlyName>Microsoft Publication Service Device Host</wsdp:FriendlyName>)X"
    R"X(<wsdp:FirmwareVersion>1.0</wsdp:FirmwareVersion><wsdp:SerialNumber>20050718</wsdp:SerialNumber>)X"
    R"X(</wsdp:ThisDevice></wsx:MetadataSection>)X"
    R"X(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/ThisModel">)X"
    R"X(<wsdp:ThisModel><wsdp:Manufacturer>unknown</wsdp:Manufacturer>)X"
    R"X(<wsdp:ManufacturerUrl>(null)</wsdp:ManufacturerUrl><wsdp:ModelName>unknown</wsdp:ModelName>)X"
    R"X(<wsdp:ModelNumber>1</wsdp:ModelNumber><wsdp:ModelUrl>(null)</wsdp:ModelUrl>)X"
    R"X(<wsdp:PresentationUrl>(null)</wsdp:PresentationUrl>)X"
    R"X(<un0:DeviceCategory>Computers</un0:DeviceCategory></wsdp:ThisModel></wsx:MetadataSection>)X"
    R"X(<wsx:MetadataSection Dialect="http://schemas.xmlsoap.org/ws/2006/02/devprof/Relationship">)X"
    R"X(<wsdp:Relationship Type="http://schemas.xmlsoap.org/ws/2006/02/devprof/host"><wsdp:Host>)X"
    R"X(<wsa:EndpointReference><wsa:Address>urn:uuid:3d1219c7-c4c5-404a-aa1f-6d2a48adfda4</wsa:Address>)X"
    R"X(</wsa:EndpointReference><wsdp:Types>pub:Computer</wsdp:Types>)X"
    R"X(<wsdp:ServiceId>urn:uuid:3d1219c7-c4c5-404a-aa1f-6d2a48adfda4</wsdp:ServiceId>)X"
    R"X(<pub:Computer>SRV2/Workgroup:TESTGRP</pub:Computer></wsdp:Host></wsdp:Relationship>)X"
    R"X(</wsx:MetadataSection></wsx:Metadata></soap:Body></soap:Envelope>)X";

const char kProbeId[] = "urn:uuid:a723d3bc-3380-4cdb-8d8f-2a689a7fd6b8";

QByteArray HttpBody(const char* response) {
  QByteArray body;
  EXPECT_EQ(Wsd::ParseHttpResponse(response, true, body), Wsd::THttpResult::Complete);
  return body;
}

}  // namespace

TEST(WsdMessage, CapturedMatchesOfBothResponderKinds) {
  Wsd::TMessage m;
  ASSERT_TRUE(Wsd::ParseMessage(kWsddProbeMatch, m));
  EXPECT_TRUE(m.IsProbeMatches());
  EXPECT_FALSE(m.IsResolveMatches());
  EXPECT_EQ(m.RelatesTo, kProbeId);
  ASSERT_EQ(m.Matches.size(), 1);
  EXPECT_EQ(m.Matches[0].Endpoint, "urn:uuid:11111111-1111-4111-8111-111111111111");
  EXPECT_EQ(m.Matches[0].Types, QStringList({"wsdp:Device", "pub:Computer"}));
  EXPECT_TRUE(m.Matches[0].XAddrs.isEmpty());
  EXPECT_TRUE(Wsd::MayBeComputer(m.Matches[0]));

  ASSERT_TRUE(Wsd::ParseMessage(kWsdd2ProbeMatch, m));
  EXPECT_TRUE(m.IsProbeMatches());
  EXPECT_EQ(m.RelatesTo, kProbeId);  // wsdd2 puts it after AppSequence
  ASSERT_EQ(m.Matches.size(), 1);
  EXPECT_EQ(m.Matches[0].XAddrs, QStringList({"http://10.234.0.12:3702/3d1219c7-c4c5-404a-aa1f-6d2a48adfda4"}));

  ASSERT_TRUE(Wsd::ParseMessage(kWsddResolveMatch, m));
  EXPECT_TRUE(m.IsResolveMatches());
  ASSERT_EQ(m.Matches.size(), 1);
  EXPECT_EQ(m.Matches[0].XAddrs, QStringList({"http://10.234.0.11:5357/11111111-1111-4111-8111-111111111111"}));
}

TEST(WsdMessage, CapturedMetadataGivesNameAndWorkgroup) {
  QString computer, name, group;
  bool domain = true;
  ASSERT_TRUE(Wsd::ParseComputer(HttpBody(kWsddGetAnswer), computer));
  EXPECT_EQ(computer, "SRV1/Workgroup:TESTGRP");
  ASSERT_TRUE(Wsd::SplitComputer(computer, name, group, domain));
  EXPECT_EQ(name, "SRV1");
  EXPECT_EQ(group, "TESTGRP");
  EXPECT_FALSE(domain);
  // The host's types element also says "pub:Computer": only the element counts.
  ASSERT_TRUE(Wsd::ParseComputer(HttpBody(kWsdd2GetAnswer), computer));
  EXPECT_EQ(computer, "SRV2/Workgroup:TESTGRP");

  // HTTP/1.0 without a length ends with the connection; with a length it
  // is complete as soon as the body is there.
  QByteArray body;
  EXPECT_EQ(Wsd::ParseHttpResponse(kWsddGetAnswer, false, body), Wsd::THttpResult::Incomplete);
  EXPECT_EQ(Wsd::ParseHttpResponse(kWsdd2GetAnswer, false, body), Wsd::THttpResult::Complete);
  QByteArray cut(kWsdd2GetAnswer);
  cut.chop(10);
  EXPECT_EQ(Wsd::ParseHttpResponse(cut, false, body), Wsd::THttpResult::Incomplete);
  EXPECT_EQ(Wsd::ParseHttpResponse(cut, true, body), Wsd::THttpResult::Failed);
}

TEST(WsdMessage, ComputerTextsOfEveryMembership) {
  QString name, group;
  bool domain = false;
  ASSERT_TRUE(Wsd::SplitComputer("srv3/Domain:corp.example", name, group, domain));
  EXPECT_EQ(name, "SRV3");
  EXPECT_EQ(group, "corp.example");
  EXPECT_TRUE(domain);
  ASSERT_TRUE(Wsd::SplitComputer("Laptop/NotJoined", name, group, domain));
  EXPECT_EQ(name, "LAPTOP");
  EXPECT_TRUE(group.isEmpty());
  EXPECT_FALSE(domain);
  // A backslash before the kind is read like a slash.
  ASSERT_TRUE(Wsd::SplitComputer("PC1\\Workgroup:HOME", name, group, domain));
  EXPECT_EQ(name, "PC1");
  EXPECT_EQ(group, "HOME");
  ASSERT_TRUE(Wsd::SplitComputer("pc2\\Domain:corp.example", name, group, domain));
  EXPECT_EQ(name, "PC2");
  EXPECT_TRUE(domain);
  ASSERT_TRUE(Wsd::SplitComputer("bare", name, group, domain));
  EXPECT_EQ(name, "BARE");
  EXPECT_TRUE(group.isEmpty());
  ASSERT_TRUE(Wsd::SplitComputer("pc/Domain:", name, group, domain));
  EXPECT_FALSE(domain);
  ASSERT_TRUE(Wsd::SplitComputer("pc/Whatever:X", name, group, domain));
  EXPECT_TRUE(group.isEmpty());
  // A group that could act as a path is not taken.
  ASSERT_TRUE(Wsd::SplitComputer("pc/Workgroup:a\\b", name, group, domain));
  EXPECT_TRUE(group.isEmpty());
  for (const char* bad : {"", "/Workgroup:X", "  /NotJoined", "a\tb/NotJoined", "..\\x/NotJoined"})
    EXPECT_FALSE(Wsd::SplitComputer(QString::fromUtf8(bad), name, group, domain)) << bad;
}

TEST(WsdMessage, TruncatedAndBrokenDatagramsGiveNoMatches) {
  // Every cut of every capture: no crash, no read past the end, and a match
  // only once its element has ended.
  for (const char* capture : {kWsddProbeMatch, kWsdd2ProbeMatch, kWsddResolveMatch}) {
    const QByteArray whole(capture);
    qsizetype closeEnd = whole.indexOf("</wsd:ProbeMatch>");
    closeEnd = closeEnd >= 0 ? closeEnd + 17 : whole.indexOf("</wsd:ResolveMatch>") + 19;
    ASSERT_GT(closeEnd, 19);
    for (qsizetype n = 0; n < whole.size(); ++n) {
      Wsd::TMessage m;
      Wsd::ParseMessage(whole.left(n), m);
      if (n < closeEnd) EXPECT_TRUE(m.Matches.isEmpty()) << n;
      else EXPECT_EQ(m.Matches.size(), 1) << n;
    }
  }
  Wsd::TMessage m;
  EXPECT_FALSE(Wsd::ParseMessage("", m));
  EXPECT_FALSE(Wsd::ParseMessage("\x00\x01\xff garbage", m));
  EXPECT_FALSE(Wsd::ParseMessage("<html><body>hello</body></html>", m));
  // Entity tricks are refused before any expansion.
  EXPECT_FALSE(Wsd::ParseMessage("<?xml version=\"1.0\"?><!DOCTYPE e [<!ENTITY a \"aaaaaaaaaa\">"
                                 "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
                                 "<e:Envelope xmlns:e=\"x\"><e:Header><e:Action>&b;</e:Action></e:Header></e:Envelope>",
                                 m));
  // A match without an endpoint is dropped; two matches in one message both count.
  ASSERT_TRUE(Wsd::ParseMessage("<s:Envelope xmlns:s=\"s\" xmlns:d=\"d\" xmlns:a=\"a\"><s:Body><d:ProbeMatches>"
                                "<d:ProbeMatch><d:Types>d:Device</d:Types></d:ProbeMatch>"
                                "<d:ProbeMatch><a:EndpointReference><a:Address>urn:one</a:Address></a:EndpointReference>"
                                "</d:ProbeMatch>"
                                "<d:ProbeMatch><a:EndpointReference><a:Address>urn:two</a:Address></a:EndpointReference>"
                                "<d:Types>prn:PrintDeviceType d:Device</d:Types><d:XAddrs> http://h/a  http://h/b </d:XAddrs>"
                                "</d:ProbeMatch></d:ProbeMatches></s:Body></s:Envelope>",
                                m));
  ASSERT_EQ(m.Matches.size(), 2);
  EXPECT_EQ(m.Matches[0].Endpoint, "urn:one");
  EXPECT_TRUE(Wsd::MayBeComputer(m.Matches[0]));  // no types said: ask
  EXPECT_EQ(m.Matches[1].XAddrs, QStringList({"http://h/a", "http://h/b"}));
  EXPECT_FALSE(Wsd::MayBeComputer(m.Matches[1]));  // a printer
}

TEST(WsdMessage, MetadataAndHttpFromHostileOrBrokenPeers) {
  QString computer;
  const QByteArray body = HttpBody(kWsddGetAnswer);
  for (qsizetype n = 0; n < body.size(); ++n) {
    computer.clear();
    if (Wsd::ParseComputer(body.left(n), computer)) EXPECT_EQ(computer, "SRV1/Workgroup:TESTGRP") << n;
  }
  EXPECT_FALSE(Wsd::ParseComputer("<Envelope><Body><Computer>x", computer));
  EXPECT_FALSE(Wsd::ParseComputer("<Envelope><Header><Computer>x</Computer></Header></Envelope>", computer));

  QByteArray out;
  EXPECT_EQ(Wsd::ParseHttpResponse("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n", true, out),
            Wsd::THttpResult::Failed);
  EXPECT_EQ(Wsd::ParseHttpResponse("SSH-2.0-OpenSSH", false, out), Wsd::THttpResult::Failed);
  EXPECT_EQ(Wsd::ParseHttpResponse("HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\n", false, out),
            Wsd::THttpResult::Failed);
  EXPECT_EQ(Wsd::ParseHttpResponse("HTTP/1.1 200 OK\r\nContent-Len", true, out), Wsd::THttpResult::Failed);
  EXPECT_EQ(Wsd::ParseHttpResponse(QByteArray("HTTP/1.1 200 OK\r\nX: ") + QByteArray(70000, 'x'), false, out),
            Wsd::THttpResult::Failed);
  // Chunked bodies are joined; a chunk announced bigger than sent waits, or fails once closed.
  const QByteArray chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6;x=y\r\n world\r\n0\r\n\r\n";
  ASSERT_EQ(Wsd::ParseHttpResponse(chunked, false, out), Wsd::THttpResult::Complete);
  EXPECT_EQ(out, "hello world");
  for (qsizetype n = 0; n < chunked.size() - 2; ++n)
    EXPECT_NE(Wsd::ParseHttpResponse(chunked.left(n), true, out), Wsd::THttpResult::Complete) << n;
  EXPECT_EQ(Wsd::ParseHttpResponse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nffffffffff\r\n", false, out),
            Wsd::THttpResult::Failed);
  EXPECT_EQ(Wsd::ParseHttpResponse("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabcXY0\r\n\r\n", false, out),
            Wsd::THttpResult::Failed);
}

TEST(WsdMessage, TransportAddressesAndOutgoingMessages) {
  QString host, path;
  quint16 port = 0;
  ASSERT_TRUE(Wsd::SplitHttpUrl("http://10.0.0.5:5357/11111111-1111", host, port, path));
  EXPECT_EQ(host, "10.0.0.5");
  EXPECT_EQ(port, 5357);
  EXPECT_EQ(path, "/11111111-1111");
  ASSERT_TRUE(Wsd::SplitHttpUrl("HTTP://pc", host, port, path));
  EXPECT_EQ(port, 80);
  EXPECT_EQ(path, "/");
  for (const char* bad : {"https://h/", "http://[fe80::1]:5357/x", "http://h:0/", "http://h:70000/", "http://h:x/",
                          "http:///x", "http://u@h/", "http://h/a b", "http://h/a\r\nX: y", "urn:uuid:1"})
    EXPECT_FALSE(Wsd::SplitHttpUrl(QString::fromUtf8(bad), host, port, path)) << bad;

  // What goes out is well-formed whatever text a device sent back.
  const QString hostile = "urn:x\"/><a>&amp;</wsa:Address>";
  for (const QByteArray& xml : {Wsd::BuildProbe(Wsd::NewMessageId()), Wsd::BuildResolve(Wsd::NewMessageId(), hostile),
                                Wsd::BuildGet(Wsd::NewMessageId(), hostile)}) {
    QXmlStreamReader r(xml);
    while (!r.atEnd()) r.readNext();
    EXPECT_FALSE(r.hasError()) << xml.constData();
  }
  const QByteArray post = Wsd::BuildHttpPost("10.0.0.5", 5357, "/id", "<x/>");
  EXPECT_TRUE(post.startsWith("POST /id HTTP/1.1\r\nHost: 10.0.0.5:5357\r\n"));
  EXPECT_TRUE(post.endsWith("Content-Length: 4\r\nConnection: close\r\n\r\n<x/>"));
  EXPECT_NE(Wsd::NewMessageId(), Wsd::NewMessageId());
}
