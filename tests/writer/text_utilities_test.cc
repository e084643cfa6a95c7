#include <gtest/gtest.h>

#include "tests/writer/test_repository.h"

namespace {

class TUtilities : public TRecordingWriter {
 public:
  using TWriter::Calculate;
  using TWriter::DivideStrToWords;
  using TWriter::EscapeString;
  using TWriter::ForwardCarry;
  using TWriter::GetLenOfInt;
  using TWriter::GetNumberInString;
  using TWriter::GetRowBackground;
  using TWriter::IntToStr;
  using TWriter::PadString;
  using TWriter::RunDuration;
  using TWriter::SetValue;
  using TWriter::TruncString;
};

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words = {"stale"};
  TUtilities::DivideStrToWords(text, words);
  return words;
}

std::vector<std::string> Fields(const TUtilities::RunDuration& d) {
  return {d.fHours, d.fMinutes, d.fSeconds, d.fMilliseconds};
}

TUtilities::RunDuration DurationOf(const std::string& text) {
  TUtilities::RunDuration duration;
  TUtilities::SetValue(duration, Words(text));
  return duration;
}

TEST(TextUtilities, EscapeStringDoublesBackslashesEscapesQuotesAndDropsLineBreaks) {
  EXPECT_EQ("a\\\\b\\\"c d", TUtilities::EscapeString("a\\b\"c\r\n d"));
  EXPECT_EQ("\\\\\\\"", TUtilities::EscapeString("\\\""));
}

TEST(TextUtilities, TruncStringCutsBeyondFiftyFourCharacters) {
  const std::string exact(54, 'x');
  EXPECT_EQ(exact, TUtilities::TruncString(exact));
  const std::string longer = std::string(54, 'x') + "y";
  EXPECT_EQ(std::string(54, 'x') + "...", TUtilities::TruncString(longer));
}

TEST(TextUtilities, TruncStringToLengthKeepsShortTextsAndIgnoresNegativeLengths) {
  EXPECT_EQ("ab...", TUtilities::TruncString("abcdef", 2));
  EXPECT_EQ("...", TUtilities::TruncString("abcdef", 0));
  EXPECT_EQ("abcdef", TUtilities::TruncString("abcdef", 6));
  EXPECT_EQ("abcdef", TUtilities::TruncString("abcdef", -1));
}

TEST(TextUtilities, PadStringFillsCutsAndCleans) {
  EXPECT_EQ("ab   ", TUtilities::PadString("ab", 5, false));
  EXPECT_EQ("abc...", TUtilities::PadString("abcdef", 3, false));
  EXPECT_EQ("abc", TUtilities::PadString("abc", 3, false));
  EXPECT_EQ("a\rb  ", TUtilities::PadString("a\n\r\tb", 5, false));
  EXPECT_EQ("ab ", TUtilities::PadString("   ab", 3, true));
  EXPECT_EQ("   ab", TUtilities::PadString("   ab", 5, false));
  EXPECT_EQ("  ", TUtilities::PadString("    ", 2, true));
}

TEST(TextUtilities, IntToStrWritesDigitsOfBasesTwoToSixteen) {
  EXPECT_EQ("FF", TUtilities::IntToStr(255, 16));
  EXPECT_EQ("101", TUtilities::IntToStr(5, 2));
  EXPECT_EQ("0", TUtilities::IntToStr(0, 10));
  EXPECT_EQ("", TUtilities::IntToStr(5, 1));
  EXPECT_EQ("", TUtilities::IntToStr(5, 17));
  EXPECT_EQ("", TUtilities::IntToStr(-5, 10));
  EXPECT_EQ("9223372036854775807", TUtilities::IntToStr(INT64_MAX, 10));
}

TEST(TextUtilities, GetNumberInStringReadsTheFirstDigitRun) {
  EXPECT_EQ(12, TUtilities::GetNumberInString("Slot 12 of 16"));
  EXPECT_EQ(5, TUtilities::GetNumberInString("-5"));
  EXPECT_EQ(0, TUtilities::GetNumberInString("none"));
  EXPECT_EQ(7, TUtilities::GetNumberInString("007x"));
  EXPECT_EQ(INT_MAX, TUtilities::GetNumberInString("id 123456789012345"));
}

TEST(TextUtilities, SetValuePairsEachUnitWithTheWordBeforeIt) {
  EXPECT_EQ((std::vector<std::string>{"1", "2", "3", "4"}),
            Fields(DurationOf("1 hour 2 minutes 3 seconds 4 milliseconds")));
  EXPECT_EQ((std::vector<std::string>{"0", "0", "75", "1500"}), Fields(DurationOf("75 second 1500 millisecond")));
  EXPECT_EQ((std::vector<std::string>{"0", "0", "9", "0"}), Fields(DurationOf("1 second 9 second")));
  EXPECT_EQ((std::vector<std::string>{"0", "0", "0", "0"}), Fields(DurationOf("5")));
}

TEST(TextUtilities, SetValueWithoutWordsLeavesTheDurationUnchanged) {
  TUtilities::RunDuration duration;
  duration.fHours = "7";
  TUtilities::SetValue(duration, {});
  EXPECT_EQ((std::vector<std::string>{"7", "", "", ""}), Fields(duration));
}

TEST(TextUtilities, ForwardCarryNormalisesAndCalculateTotals) {
  TUtilities::RunDuration duration = DurationOf("75 second 1500 millisecond");
  TUtilities::ForwardCarry(duration);
  EXPECT_EQ((std::vector<std::string>{"0", "1", "16", "500"}), Fields(duration));
  EXPECT_EQ(76500, TUtilities::Calculate(duration));
}

TEST(TextUtilities, DurationsBeyondThirtyTwoBitsAreTotalledExactly) {
  TUtilities::RunDuration duration = DurationOf("1000 hour");
  TUtilities::ForwardCarry(duration);
  EXPECT_EQ(3600000000LL, TUtilities::Calculate(duration));
  duration = DurationOf("4294967296 millisecond");
  TUtilities::ForwardCarry(duration);
  EXPECT_EQ((std::vector<std::string>{"1193", "2", "47", "296"}), Fields(duration));
  EXPECT_EQ(4294967296LL, TUtilities::Calculate(duration));
}

TEST(TextUtilities, DurationsBeyondSixtyFourBitsSaturate) {
  TUtilities::RunDuration duration = DurationOf("99999999999999999999 hour");
  TUtilities::ForwardCarry(duration);
  EXPECT_EQ(INT64_MAX, TUtilities::Calculate(duration));
}

TEST(TextUtilities, NegativeFieldsKeepTheirSignAndTheTotal) {
  TUtilities::RunDuration duration = DurationOf("1 minute -30 second");
  TUtilities::ForwardCarry(duration);
  EXPECT_EQ((std::vector<std::string>{"0", "1", "-30", "0"}), Fields(duration));
  EXPECT_EQ(30000, TUtilities::Calculate(duration));
}

}  // namespace
