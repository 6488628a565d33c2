#pragma once
// A fixture that puts the formats "dd.mm.yyyy" and "h:mm:ss" in force for
// each test and the system's back afterwards.
#include <gtest/gtest.h>

#include "platform/core/DateFormat.h"

class FixedDateFormats : public ::testing::Test {
 protected:
  void SetUp() override {
    DateFormat::SetShortDateFormat(QStringLiteral("dd.mm.yyyy"));
    DateFormat::SetLongTimeFormat(QStringLiteral("h:mm:ss"));
  }
  void TearDown() override { DateFormat::ResetToSystem(); }
};
