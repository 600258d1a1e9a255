// The fixed-column rules by which host output is read, as named data rows.
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ncp/NcpParsing.h"
#include "support/RowName.h"

namespace {

using ncp::NcpPartialLine;

// An output line with each text placed at its 1-based column, blank-padded.
std::string at(std::initializer_list<std::pair<size_t, std::string>> fields) {
  std::string line;
  for (const auto& [column, text] : fields) {
    if (line.size() < column - 1) line.resize(column - 1, ' ');
    line.replace(column - 1, text.size(), text);
  }
  return line;
}

template <typename Row>
std::string rowName(const testing::TestParamInfo<Row>& info) {
  return info.param.name;
}

using korvtest::PrintTo;

// ---- positions and trim ----------------------------------------------------

struct PositionsRow {
  std::string name;
  std::string text;
  size_t a, b;
  std::string expected;
};

class Positions : public testing::TestWithParam<PositionsRow> {};

TEST_P(Positions, TakesTheCharactersThatExist) {
  const auto& r = GetParam();
  EXPECT_EQ(ncp::positions(r.text, r.a, r.b), r.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, Positions,
                         testing::Values(PositionsRow{"Inside", "abcdefgh", 2, 4, "bcd"},
                                         PositionsRow{"RunsPastTheEnd", "abcdef", 4, 12, "def"},
                                         PositionsRow{"StartsPastTheEnd", "abc", 5, 9, ""},
                                         PositionsRow{"StartsAtLastCharacter", "abc", 3, 9, "c"},
                                         PositionsRow{"EmptyText", "", 1, 4, ""},
                                         PositionsRow{"Reversed", "abcdef", 4, 2, ""}),
                         rowName<PositionsRow>);

struct TrimRow {
  std::string name;
  std::string text;
  std::string expected;
};

class Trim : public testing::TestWithParam<TrimRow> {};

TEST_P(Trim, RemovesBlanksAtBothEnds) { EXPECT_EQ(ncp::trim(GetParam().text), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Rows, Trim,
                         testing::Values(TrimRow{"Blanks", "  TCPIP1  ", "TCPIP1"},
                                         TrimRow{"ControlCharactersKept", " \x07TCPIP1\x1b ", "\x07TCPIP1\x1b"},
                                         TrimRow{"InnerBlanksKept", " A B ", "A B"}, TrimRow{"OnlyBlanks", "   ", ""},
                                         TrimRow{"UpperHalfIsNotBlank", "\xe9X\xa0", "\xe9X\xa0"}),
                         rowName<TrimRow>);

// ---- line tests ------------------------------------------------------------

enum class LineTest { System, Pathmon, Object, Station, Error };

struct LineTestRow {
  std::string name;
  LineTest test;
  std::string line;
  bool expected;
};

class LineTests : public testing::TestWithParam<LineTestRow> {};

TEST_P(LineTests, OneCharacterAtAFixedColumnDecides) {
  const auto& r = GetParam();
  bool result = false;
  switch (r.test) {
    case LineTest::System:
      result = ncp::isSystemLine(r.line);
      break;
    case LineTest::Pathmon:
      result = ncp::isPathmonLine(r.line);
      break;
    case LineTest::Object:
      result = ncp::isObjectLine(r.line);
      break;
    case LineTest::Station:
      result = ncp::isStationLine(r.line);
      break;
    case LineTest::Error:
      result = ncp::isErrorLine(r.line);
      break;
  }
  EXPECT_EQ(result, r.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineTests,
    testing::Values(
        LineTestRow{"SystemLine", LineTest::System, "\\SYS1", true},
        LineTestRow{"SystemLineOneBackslash", LineTest::System, "\\", true},
        LineTestRow{"SystemLineEmpty", LineTest::System, "", false},
        LineTestRow{"SystemLineBackslashLater", LineTest::System, " \\SYS1", false},
        LineTestRow{"PathmonLine", LineTest::Pathmon, at({{1, "$PM01"}, {10, "B"}, {12, "000"}}), true},
        LineTestRow{"PathmonLineExactlyTen", LineTest::Pathmon, at({{1, "$PM01"}, {10, "B"}}), true},
        LineTestRow{"PathmonLineLowerCase", LineTest::Pathmon, at({{1, "$PM01"}, {10, "b"}}), false},
        LineTestRow{"PathmonLineTooShort", LineTest::Pathmon, "$PM01   ", false},
        LineTestRow{"PathmonLineBAtNine", LineTest::Pathmon, at({{1, "$PM01"}, {9, "B"}}), false},
        LineTestRow{"ObjectLine", LineTest::Object, at({{4, "\\SYS1.$PM01.TCPIP1"}, {47, "STARTED"}}), true},
        LineTestRow{"ObjectLineThreeCharacters", LineTest::Object, "ab\\", false},
        LineTestRow{"ObjectLineFourCharacters", LineTest::Object, "ab \\", true},
        LineTestRow{"ObjectLineBackslashAtThree", LineTest::Object, "ab\\SYS1.$PM01.X", false},
        LineTestRow{"ObjectLineNcpPrompt", LineTest::Object, "= > ", false},
        LineTestRow{"StationLine", LineTest::Station, at({{2, "E"}, {4, "\\SYS1.$PM01.ST1"}}), true},
        LineTestRow{"StationLineOneCharacter", LineTest::Station, " ", false},
        LineTestRow{"StationLineLowerCase", LineTest::Station, " e \\SYS1.$PM01.ST1", false},
        LineTestRow{"StationLineEAtOne", LineTest::Station, "E \\SYS1.$PM01.ST1", false},
        LineTestRow{"ErrorLineNcpcom", LineTest::Error, "*** ERROR: PROCESS \\S.$P.X CANNOT BE STARTED", true},
        LineTestRow{"ErrorLineIndented", LineTest::Error, "  *** ERROR: X", true},
        LineTestRow{"ErrorLineTacl", LineTest::Error, "*ERROR* Undefined command: START", true},
        LineTestRow{"ErrorLineWarningIsNone", LineTest::Error, "*** WARNING: LINE \\S.$P.L ALREADY STARTED", false},
        LineTestRow{"ErrorLineLaterInTheLine", LineTest::Error, "MESSAGE DELIVERED TO PROCESS P: *** ERROR", false}),
    rowName<LineTestRow>);

// ---- status words ----------------------------------------------------------

struct StatusRow {
  std::string name;
  std::string text;
  TXPNetStatus expected;
};

class StatusWords : public testing::TestWithParam<StatusRow> {};

TEST_P(StatusWords, ExactWordsAfterTrimmingElseAbnormal) {
  EXPECT_EQ(ncp::StatusFromText(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StatusWords,
    testing::Values(StatusRow{"Started", "STARTED", nsStarted}, StatusRow{"StartedPadded", "STARTED  ", nsStarted},
                    StatusRow{"StartedLeadingBlank", " STARTED", nsStarted},
                    StatusRow{"Starting", "STARTING ", nsStarting}, StatusRow{"Stopped", "STOPPED  ", nsStopped},
                    StatusRow{"Abnormal", "ABNORMAL ", nsAbnormal}, StatusRow{"MixedCase", "Started  ", nsAbnormal},
                    StatusRow{"LowerCase", "stopped", nsAbnormal}, StatusRow{"Empty", "", nsAbnormal},
                    StatusRow{"Blank", "         ", nsAbnormal}, StatusRow{"Truncated", "STOPPE", nsAbnormal},
                    StatusRow{"OtherWord", "SUSPENDED", nsAbnormal}),
    rowName<StatusRow>);

// ---- the name split --------------------------------------------------------

struct SplitRow {
  std::string name;
  std::string field;
  std::vector<std::string> parts;
};

class NameSplit : public testing::TestWithParam<SplitRow> {};

TEST_P(NameSplit, CutsAtDotsAndBlanksHonouringQuotes) { EXPECT_EQ(ncp::splitName(GetParam().field), GetParam().parts); }

using Parts = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Rows, NameSplit,
    testing::Values(SplitRow{"Qualified", "\\SYS1.$PM01.TCPIP1                 ", Parts{"\\SYS1", "$PM01", "TCPIP1"}},
                    SplitRow{"DoubleDotGivesEmptyPart", "\\SYS1..X", Parts{"\\SYS1", "", "X"}},
                    SplitRow{"LeadingBlanksSkipped", "   A.B.C", Parts{"A", "B", "C"}},
                    SplitRow{"BlankEndsAPart", "A B.C", Parts{"A", "B", "C"}},
                    SplitRow{"BlanksAroundDot", "A . B", Parts{"A", "B"}},
                    SplitRow{"TrailingDotAtVeryEnd", "A.B.", Parts{"A", "B", ""}},
                    SplitRow{"TrailingDotThenBlanks", "A.B.   ", Parts{"A", "B"}},
                    SplitRow{"OnlyADot", ".", Parts{"", ""}}, SplitRow{"Empty", "", Parts{}},
                    SplitRow{"OnlyBlanks", "     ", Parts{}},
                    SplitRow{"QuotedPartKeepsDotsAndBlanks", "A.B.\"C. D\"", Parts{"A", "B", "C. D"}},
                    SplitRow{"DoubledQuoteStandsForOne", "A.B.\"X\"\"Y\"", Parts{"A", "B", "X\"Y"}},
                    SplitRow{"UnclosedQuoteTakesTheRest", "A.B.\"C.D E  ", Parts{"A", "B", "C.D E  "}},
                    SplitRow{"EmptyQuotedPart", "A.\"\".C", Parts{"A", "", "C"}},
                    SplitRow{"TextAfterClosingQuoteIsNewPart", "\"A\"B.C", Parts{"A", "B", "C"}},
                    SplitRow{"ControlCharactersArePartOfTheName", "\\S.$P.P\x1bX\x07YZ  ",
                             Parts{"\\S", "$P", "P\x1bX\x07YZ"}},
                    SplitRow{"UpperHalfCharactersKept", "A.B.\xc4\xd6", Parts{"A", "B", "\xc4\xd6"}},
                    SplitRow{"ZeroByteEndsTheField", std::string("A.B\0.C", 6), Parts{"A", "B"}},
                    SplitRow{"FourParts", "A.B.C.D", Parts{"A", "B", "C", "D"}}),
    rowName<SplitRow>);

// ---- field rules on event texts --------------------------------------------

struct ObjectRow {
  std::string name;
  std::string eventText;
  std::optional<std::string> objectName;
  TXPNetStatus status;
};

class ObjectFields : public testing::TestWithParam<ObjectRow> {};

TEST_P(ObjectFields, NameFromTheSplitStatusFromColumns47To55) {
  const auto& r = GetParam();
  EXPECT_EQ(ncp::objectName(r.eventText), r.objectName);
  EXPECT_EQ(ncp::objectStatus(r.eventText), r.status);
}

std::string objectEvent(const std::string& code, const std::string& nameField, const std::string& status) {
  return code + at({{4, nameField}, {39, "        "}, {47, status}});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ObjectFields,
    testing::Values(
        ObjectRow{"Started", objectEvent("011", "\\SYS1.$PM01.TCPIP1", "STARTED  "), "TCPIP1", nsStarted},
        ObjectRow{"StartedMixedCase", objectEvent("011", "\\SYS1.$PM01.TCPIP1", "Started  "), "TCPIP1", nsAbnormal},
        ObjectRow{"Stopped", objectEvent("013", "\\SYS1.$PM01.P1", "STOPPED"), "P1", nsStopped},
        ObjectRow{"StatusColumnsBlank", objectEvent("010", "\\SYS1.$PM01.ST1", "         "), "ST1", nsAbnormal},
        ObjectRow{"LineEndsBeforeStatus", "005   \\SYS1.$PM01.P1", "P1", nsAbnormal},
        ObjectRow{"StatusCutShort", "005" + at({{4, "\\SYS1.$PM01.P1"}, {47, "STOP"}}), "P1", nsAbnormal},
        ObjectRow{"WordBeyondColumn55Ignored", "005" + at({{4, "\\S.$P.P1"}, {47, "STARTED"}, {56, "X"}}), "P1",
                  nsStarted},
        ObjectRow{"EmptyMiddlePart", objectEvent("011", "\\SYS1..X", "STARTING"), "X", nsStarting},
        ObjectRow{"NameFillsAll35Columns", objectEvent("011", "\\SYS1.$PM01.ABCDEFGHIJKLMNOPQRSTUVW", "STARTED"),
                  "ABCDEFGHIJKLMNOPQRSTUVW", nsStarted},
        ObjectRow{"Column39NotPartOfName", "011" + at({{4, "\\SYS1.$PM01.ABCDEFGHIJKLMNOPQRSTUVW"}, {39, "Z"}}),
                  "ABCDEFGHIJKLMNOPQRSTUVW", nsAbnormal},
        ObjectRow{"QuotedName", objectEvent("011", "\\SYS1.$PM01.\" L 1 \"", "STOPPED"), "L 1", nsStopped},
        ObjectRow{"TwoPartsHaveNoName", objectEvent("011", "\\SYS1.TCPIP1", "STARTED"), std::nullopt, nsStarted},
        ObjectRow{"BlankInsteadOfDotHasNoSecondDot", objectEvent("011", "\\SYS1 $PM01", "STOPPED"), std::nullopt,
                  nsStopped},
        ObjectRow{"EmptyThirdPartHasNoName", objectEvent("011", "\\SYS1.$PM01.\"  \"", "STARTED"), std::nullopt,
                  nsStarted},
        ObjectRow{"ShortEventText", "011", std::nullopt, nsAbnormal}),
    rowName<ObjectRow>);

struct StationRow {
  std::string name;
  std::string eventText;
  std::optional<std::string> station;
  std::string line;
  std::string process;
};

class StationFields : public testing::TestWithParam<StationRow> {};

TEST_P(StationFields, LineFromColumns47To62ProcessFrom64To79) {
  const auto& r = GetParam();
  EXPECT_EQ(ncp::objectName(r.eventText), r.station);
  EXPECT_EQ(ncp::stationLineName(r.eventText), r.line);
  EXPECT_EQ(ncp::stationProcessName(r.eventText), r.process);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StationFields,
    testing::Values(
        StationRow{"Padded", "009" + at({{2, "E"}, {4, "\\SYS1.$PM01.ST1"}, {47, "L1"}, {64, "TCPIP1"}, {80, " "}}),
                   "ST1", "L1", "TCPIP1"},
        StationRow{
            "FullWidthNamesColumn63Blank",
            "009" +
                at({{2, "E"}, {4, "\\SYS1.$PM01.ST1"}, {47, "LINE567890123456"}, {63, " "}, {64, "PROC567890123456"}}),
            "ST1", "LINE567890123456", "PROC567890123456"},
        StationRow{"Column63NotPartOfEither",
                   "009" + at({{2, "E"}, {4, "\\SYS1.$PM01.ST1"}, {47, "L1"}, {63, "#"}, {64, "P1"}}), "ST1", "L1",
                   "P1"},
        StationRow{"ProcessCutAtColumn79",
                   "009" + at({{2, "E"}, {4, "\\S.$P.ST1"}, {47, "L1"}, {64, "PROC567890123456XYZ"}}), "ST1", "L1",
                   "PROC567890123456"},
        StationRow{"LineEndsInsideLineField", "009" + at({{2, "E"}, {4, "\\S.$P.ST1"}, {47, "L1"}}), "ST1", "L1", ""},
        StationRow{"LineEndsBeforeLineField", "009 E \\S.$P.ST1", "ST1", "", ""}),
    rowName<StationRow>);

TEST(HostAndPathmonFields, HostNameIsColumns2To15Untrimmed) {
  EXPECT_EQ(ncp::hostName("003\\SYS1"), "SYS1");
  EXPECT_EQ(ncp::hostName("003\\SYS1          "), "SYS1          ");
  EXPECT_EQ(ncp::hostName("003\\ABCDEFGHIJKLMNOP"), "ABCDEFGHIJKLMN");
  EXPECT_EQ(ncp::hostName("003\\"), "");
}

TEST(HostAndPathmonFields, PathmonNameIsColumns1To9Trimmed) {
  EXPECT_EQ(ncp::pathmonName("004" + at({{1, "$PM01"}, {10, "B"}, {12, "000,00123"}})), "$PM01");
  EXPECT_EQ(ncp::pathmonName("004" + at({{1, "$PATHMON1"}, {10, "B"}})), "$PATHMON1");
  EXPECT_EQ(ncp::pathmonName("004$PM"), "$PM");
  EXPECT_EQ(ncp::pathmonName("004"), "");
}

// ---- NCPCOM partial lines --------------------------------------------------

struct PartialRow {
  std::string name;
  std::string currLine;
  NcpPartialLine expected;
};

class PartialLines : public testing::TestWithParam<PartialRow> {};

TEST_P(PartialLines, PagePromptPromptOrNeither) {
  EXPECT_EQ(ncp::classifyNcpPartialLine(GetParam().currLine), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, PartialLines,
                         testing::Values(PartialRow{"PagePrompt", "MORE? ", NcpPartialLine::PagePrompt},
                                         PartialRow{"PagePromptExactlyFour", "MORE", NcpPartialLine::PagePrompt},
                                         PartialRow{"PagePromptFirstThreeLetters", "MOR", NcpPartialLine::Continues},
                                         PartialRow{"PagePromptLowerCase", "more? ", NcpPartialLine::Continues},
                                         PartialRow{"PagePromptNotAtStart", " MORE ", NcpPartialLine::Continues},
                                         PartialRow{"PagePromptWinsOverPrompt", "MORE > ", NcpPartialLine::PagePrompt},
                                         PartialRow{"NcpPrompt", "= > ", NcpPartialLine::Prompt},
                                         PartialRow{"NcpPromptInside", "NCPCOM 3 > x", NcpPartialLine::Prompt},
                                         PartialRow{"TaclPromptDoesNotEnd", "TACL 1> ", NcpPartialLine::Continues},
                                         PartialRow{"NoTrailingBlank", "= >", NcpPartialLine::Continues},
                                         PartialRow{"Empty", "", NcpPartialLine::Continues}),
                         rowName<PartialRow>);

}  // namespace
