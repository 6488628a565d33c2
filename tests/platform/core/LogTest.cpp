// The back end's debug categories: silent unless asked, and asked by the
// rule the README and the man page give.
#include <QLoggingCategory>
#include <gtest/gtest.h>

#include "platform/core/Log.h"

TEST(LogTest, OffByDefaultOnByTheDocumentedRule) {
  const QList<const QLoggingCategory*> all{&LogDiscovery(), &LogSmb(), &LogCredentials()};
  for (const QLoggingCategory* c : all) {
    EXPECT_TRUE(QByteArray(c->categoryName()).startsWith("trawlix.")) << c->categoryName();
    EXPECT_FALSE(c->isDebugEnabled()) << c->categoryName();
    EXPECT_FALSE(c->isInfoEnabled()) << c->categoryName();
    EXPECT_TRUE(c->isWarningEnabled()) << c->categoryName();
  }
  QLoggingCategory::setFilterRules(QStringLiteral("trawlix.*.debug=true"));
  for (const QLoggingCategory* c : all) EXPECT_TRUE(c->isDebugEnabled()) << c->categoryName();
  QLoggingCategory::setFilterRules(QString());
  for (const QLoggingCategory* c : all) EXPECT_FALSE(c->isDebugEnabled()) << c->categoryName();
}
