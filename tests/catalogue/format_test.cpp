#include "catalogue/format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>

#include "catalogue/device_data.h"

namespace voltaris {
namespace {

TEST(Format, FollowsTheConventionsOfTheSystemTexts) {
  EXPECT_EQ(Format("%f", 0.88), "0.88");
  EXPECT_EQ(Format("%f", 33.5), "33.50");
  EXPECT_EQ(Format("%.1f", 14.4), "14.4");
  EXPECT_EQ(Format("%.0f", 30.000000000000004), "30");
  EXPECT_EQ(Format("%.0f", 9.999999999999998), "10");
  EXPECT_EQ(Format("%.3f", 0.1), "0.100");
  EXPECT_EQ(Format("%.2f", 13.475), "13.47");  // 13.475 is just below the half in binary
  EXPECT_EQ(Format("%d mA", -45), "-45 mA");
  EXPECT_EQ(Format("%.d mA", 0), "0 mA");
  EXPECT_EQ(Format("%.2d:%.2d", 7, 30), "07:30");
  EXPECT_EQ(Format("%S - not used", "Network1"), "Network1 - not used");
  EXPECT_EQ(Format("%.0f%s", 20.0, "%"), "20%");
  EXPECT_EQ(Format("100%%"), "100%");
  EXPECT_EQ(Format("[%5d|%-4s]", 42, "ab"), "[   42|ab  ]");
  EXPECT_EQ(Format("%d", int64_t{-2147483648LL}), "-2147483648");
  EXPECT_EQ(Format("%f", -0.001), "0.00");
}

TEST(Format, MismatchedArgumentsAreProgrammingErrors) {
  EXPECT_THROW(Format("%d", "text"), FormatError);
  EXPECT_THROW(Format("%s", 3), FormatError);
  EXPECT_THROW(Format("%d %d", 3), FormatError);
  EXPECT_THROW(Format("%q", 3), FormatError);
  EXPECT_THROW(Format("%", 3), FormatError);
}

TEST(Format, GeneralNumbersUseFifteenDigits) {
  EXPECT_EQ(FloatToStr(10), "10");
  EXPECT_EQ(FloatToStr(12.5), "12.5");
  EXPECT_EQ(FloatToStr(100 - 100 * 0.9), "10");
  EXPECT_EQ(FloatToStr(100 - 100 * 0.7), "30");
  EXPECT_EQ(FloatToStr(0), "0");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
}

TEST(Format, IgnoresTheProcessLocale) {
  // A locale with a decimal comma, when the machine has one.
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  bool switched = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"}) {
    if (std::setlocale(LC_ALL, name)) {
      switched = true;
      break;
    }
  }
  EXPECT_EQ(Format("%f", 1.5), "1.50");
  EXPECT_EQ(FloatToStr(12.5), "12.5");
  std::setlocale(LC_ALL, saved.c_str());
  if (!switched) GTEST_SKIP() << "no other locale installed";
}

TEST(LoadListLine, ShowsQuantityNameGradeAndCurrents) {
  TDeviceData entry{3, 2, "Lumen PIR", 27, 27};
  EXPECT_EQ(LoadListLine(entry), "3\tLumen PIR\t2\t27 mA\t27 mA");
}

}  // namespace
}  // namespace voltaris
