// smb:// addresses of UNC paths: every name reaches the server as it is.
#include <QUrl>
#include <gtest/gtest.h>

#include "platform/net/SmbUrl.h"

TEST(SmbUrl, ServerShareAndPath) {
  EXPECT_EQ(SmbUrl::Build("10.0.0.5"), "smb://10.0.0.5/");
  EXPECT_EQ(SmbUrl::Build("PC1", "docs"), "smb://PC1/docs/");
  EXPECT_EQ(SmbUrl::Build("PC1", "docs", {"a", "b.txt"}), "smb://PC1/docs/a/b.txt");
}

TEST(SmbUrl, BlanksPercentHashAndOtherSyntaxAreEncoded) {
  EXPECT_EQ(SmbUrl::Build("PC1", "my docs", {"50% off", "#1.txt"}), "smb://PC1/my%20docs/50%25%20off/%231.txt");
  // What would read as a query, user, option or domain part of the address.
  EXPECT_EQ(SmbUrl::Encode("a?b@c;d:e&f=g+h"), "a%3Fb%40c%3Bd%3Ae%26f%3Dg%2Bh");
  EXPECT_EQ(SmbUrl::Encode("x/y\\z"), "x%2Fy%5Cz");
  EXPECT_EQ(SmbUrl::Encode("Plain-name_1.0~"), "Plain-name_1.0~");
}

TEST(SmbUrl, NonAsciiNamesGoAsUtf8AndReadBackWhole) {
  const QString name = QStringLiteral("R\u00e9sum\u00e9 \u65e5\u672c #%.txt");
  EXPECT_EQ(SmbUrl::Encode(QStringLiteral("\u00e9")), "%C3%A9");
  const QByteArray url = SmbUrl::Build("PC1", QStringLiteral("\u00dcbung"), {name});
  for (char c : url) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << url.constData();
  const QUrl parsed = QUrl::fromEncoded(url, QUrl::StrictMode);
  ASSERT_TRUE(parsed.isValid());
  EXPECT_EQ(parsed.path(QUrl::FullyDecoded), QStringLiteral("/\u00dcbung/") + name);
  EXPECT_TRUE(parsed.fragment().isEmpty());
}
