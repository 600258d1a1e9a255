// The settings file's INI rules, on real files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QRandomGenerator>
#include <csignal>

#include "UiTestFiles.h"
#include "ui/IniFile.h"

using uitest::readBytes;
using uitest::writeBytes;

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  uitest::TempSettings tmp;
  IniFile ini{tmp.path};
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndFirstWriteCreatesIt) {
  EXPECT_EQ(ini.readInteger("Main", "Top", 17), 17);
  EXPECT_EQ(ini.readString("Main", "Top", "dflt"), "dflt");
  EXPECT_TRUE(ini.readSectionKeys("Hosts").empty());
  EXPECT_FALSE(uitest::fileExists(tmp.path));

  ini.writeInteger("Main", "Top", -5);
  EXPECT_EQ(readBytes(tmp.path), QByteArray("[Main]\r\nTop=-5\r\n"));
  EXPECT_EQ(ini.readInteger("Main", "Top", 0), -5);
}

TEST_F(IniFileTest, MissingSectionOrKeyReadsDefault) {
  writeBytes(tmp.path, "[Main]\r\nTop=3\r\n");
  EXPECT_EQ(ini.readInteger("Other", "Top", 9), 9);
  EXPECT_EQ(ini.readInteger("Main", "Left", 9), 9);
  EXPECT_TRUE(ini.readSectionKeys("Other").empty());
}

TEST_F(IniFileTest, ExistingKeyIsReplacedInPlaceKeepingItsLetters) {
  writeBytes(tmp.path, "[MAIN]\r\nTOP=1\r\nLeft=2\r\n[Hosts]\r\nH1=\r\n");
  ini.writeInteger("main", "top", 70);
  EXPECT_EQ(readBytes(tmp.path), QByteArray("[MAIN]\r\nTOP=70\r\nLeft=2\r\n[Hosts]\r\nH1=\r\n"));
}

TEST_F(IniFileTest, NewKeyBecomesLastLineOfItsSection) {
  writeBytes(tmp.path, "[Main]\r\nTop=1\r\n\r\n[Hosts]\r\nH1=\r\n");
  ini.writeInteger("Main", "Left", 4);
  ini.writeString("hosts", "H2", "");
  EXPECT_EQ(readBytes(tmp.path), QByteArray("[Main]\r\nTop=1\r\nLeft=4\r\n\r\n[Hosts]\r\nH1=\r\nH2=\r\n"));
}

TEST_F(IniFileTest, MissingSectionIsAppendedAtTheEnd) {
  writeBytes(tmp.path, "[Main]\r\nTop=1\r\n");
  ini.writeString("Users.TACL", "U1", "");
  EXPECT_EQ(readBytes(tmp.path), QByteArray("[Main]\r\nTop=1\r\n[Users.TACL]\r\nU1=\r\n"));
}

TEST_F(IniFileTest, NamesMatchIgnoringCaseAndFirstLettersStay) {
  writeBytes(tmp.path, "[Hosts]\r\nAlpha=\r\n");
  ini.writeString("HOSTS", "aLPHA", "");
  EXPECT_EQ(readBytes(tmp.path), QByteArray("[Hosts]\r\nAlpha=\r\n"));
  EXPECT_EQ(ini.readSectionKeys("hosts"), std::vector<std::string>{"Alpha"});
  EXPECT_EQ(ini.readString("hOsTs", "ALPHA", "x"), "");
}

TEST_F(IniFileTest, ListsKeysInFileOrderAndFirstDuplicateWinsOnReading) {
  writeBytes(tmp.path,
             "; note\r\n[Hosts]\r\nzeta=\r\nalpha = 1\r\nnot a key\r\n\r\nmid=\r\n[Main]\r\nTop=1\r\nTop=2\r\n"
             "[main]\r\nTop=3\r\n");
  EXPECT_EQ(ini.readSectionKeys("Hosts"), (std::vector<std::string>{"zeta", "alpha", "mid"}));
  EXPECT_EQ(ini.readString("Hosts", "alpha", ""), "1");
  EXPECT_EQ(ini.readInteger("Main", "Top", 0), 1);

  ini.writeInteger("Main", "top", 5);
  EXPECT_EQ(readBytes(tmp.path),
            QByteArray("; note\r\n[Hosts]\r\nzeta=\r\nalpha = 1\r\nnot a key\r\n\r\nmid=\r\n[Main]\r\nTop=5\r\n"
                       "Top=2\r\n[main]\r\nTop=3\r\n"));
}

TEST_F(IniFileTest, ReadsFilesWithBareLineFeedsAndWritesCrLf) {
  writeBytes(tmp.path, "[Main]\nTop=1\nLeft=2");
  EXPECT_EQ(ini.readInteger("Main", "Left", 0), 2);
  ini.writeInteger("Main", "Width", 3);
  EXPECT_EQ(readBytes(tmp.path), QByteArray("[Main]\r\nTop=1\r\nLeft=2\r\nWidth=3\r\n"));
}

TEST_F(IniFileTest, IntegersDecimalOrHexElseDefault) {
  struct Row {
    const char* text;
    int expected;
  };
  const Row rows[] = {
      {"42", 42},
      {"-7", -7},
      {"+8", 8},
      {"  12  ", 12},
      {"0x10", 16},
      {"0X1f", 31},
      {"0x7FFFFFFF", 2147483647},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"0x", -99},
      {"0X", -99},
      {"0xG1", -99},
      {"12abc", -99},
      {"", -99},
      {"-", -99},
      {"1 2", -99},
      {"2147483648", -99},
      {"-2147483649", -99},
      {"0x100000000", -99},
      {"99999999999999999999", -99},
  };
  for (const Row& row : rows) {
    writeBytes(tmp.path, QByteArray("[Main]\r\nN=") + row.text + "\r\n");
    EXPECT_EQ(ini.readInteger("Main", "N", -99), row.expected) << "text '" << row.text << "'";
  }
}

TEST_F(IniFileTest, SingleValueIsCutToItsBuffer) {
  std::string longValue(5000, 'v');
  writeBytes(tmp.path, QByteArray("[Main]\r\nK=") + longValue.c_str() + "\r\n");
  EXPECT_EQ(ini.readString("Main", "K", "").size(), std::size_t(IniFile::kValueBuffer - 1));
}

TEST_F(IniFileTest, SectionListingStopsAtItsBuffer) {
  // Names of 99 characters take 100 bytes each with their terminator; the
  // buffer also keeps one byte for the list's own terminator.
  QByteArray file = "[Hosts]\r\n";
  for (int i = 0; i < 300; ++i) file += QByteArray::number(100000 + i) + QByteArray(93, 'n') + "=\r\n";
  writeBytes(tmp.path, file);
  std::vector<std::string> keys = ini.readSectionKeys("Hosts");
  ASSERT_EQ(keys.size(), std::size_t((IniFile::kSectionBuffer - 1) / 100));
  EXPECT_EQ(keys.front().substr(0, 6), "100000");
  EXPECT_EQ(keys.back().size(), 99u);
  EXPECT_EQ(keys.back().substr(0, 6), std::to_string(100000 + keys.size() - 1));
}

TEST_F(IniFileTest, ANameTooLongForTheSectionBufferIsSkippedAndLaterNamesStillListed) {
  writeBytes(tmp.path, "[Hosts]\r\nH1=\r\n" + QByteArray(17 * 1024, 'x') + "=\r\nH2=\r\n");
  EXPECT_EQ(ini.readSectionKeys("Hosts"), (std::vector<std::string>{"H1", "H2"}));
}

TEST_F(IniFileTest, GarbageFileReadsWithoutHarmAndStaysWritable) {
  QByteArray garbage(1 << 20, '\0');
  QRandomGenerator rng(7);
  for (char& c : garbage) {
    quint32 r = rng.bounded(64u);
    c = r == 0 ? '\n' : r == 1 ? '[' : r == 2 ? '=' : r == 3 ? ']' : char(rng.bounded(256u));
  }
  writeBytes(tmp.path, "[Main]\r\nTop=11\r\n" + garbage);
  EXPECT_EQ(ini.readInteger("Main", "Top", 0), 11);
  ini.readSectionKeys("Hosts");
  ini.writeInteger("Main", "Top", 12);
  EXPECT_EQ(ini.readInteger("Main", "Top", 0), 12);
}

TEST_F(IniFileTest, HugeFileIsReadUpToTheLimitAndNeverRewritten) {
  QByteArray body = "[Main]\r\nTop=21\r\n";
  QByteArray filler = "[Filler]\r\n" + QByteArray(200, 'f') + "=\r\n";
  while (body.size() < IniFile::kMaxFileBytes + 1000) body += filler;
  body += "[Tail]\r\nKey=5\r\n";
  writeBytes(tmp.path, body);

  EXPECT_EQ(ini.readInteger("Main", "Top", 0), 21);
  EXPECT_EQ(ini.readInteger("Tail", "Key", -1), -1);
  EXPECT_THROW(ini.writeInteger("Main", "Top", 1), IniWriteError);
  EXPECT_EQ(readBytes(tmp.path), body);
}

TEST(IniFileWriteFailure, UncreatableFileRaisesUnableToWrite) {
  uitest::TempSettings tmp;
  uitest::writeBytes(tmp.dir.filePath("plain"), "x");
  QString path = tmp.dir.filePath("plain/Korvanedrestolin.INI");
  IniFile ini(path);
  try {
    ini.writeInteger("Main", "Top", 1);
    FAIL() << "write did not fail";
  } catch (const IniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path.toStdString());
  }
  EXPECT_EQ(ini.readInteger("Main", "Top", 8), 8);
}

// A file size limit makes the system refuse the longer rewrite mid-way even
// for root; the keys written before stay and the old file is intact.
TEST(IniFileWriteFailure, RefusedWriteKeepsEarlierKeysAndTheOldFile) {
  uitest::TempSettings tmp;
  IniFile ini(tmp.path);
  ini.writeInteger("Main", "Top", 1);
  QByteArray before = readBytes(tmp.path);

  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = rlim_t(before.size() + 4);
  setrlimit(RLIMIT_FSIZE, &small);
  bool threw = false;
  std::string message;
  try {
    ini.writeInteger("Main", "Left", 123456789);
  } catch (const IniWriteError& e) {
    threw = true;
    message = e.what();
  }
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_TRUE(threw);
  EXPECT_EQ(message, "Unable to write to " + tmp.path.toStdString());
  EXPECT_EQ(readBytes(tmp.path), before);
  EXPECT_EQ(ini.readInteger("Main", "Top", 0), 1);
}

TEST(IniFileNames, UnsafeNamesAndValuesAreRefused) {
  for (const char* bad : {"", "a=b", "[x", " lead", "trail ", "tab\t", "line\r\nbreak", "nl\n", "\x7f"})
    EXPECT_FALSE(IniFile::isSafeName(bad)) << "'" << bad << "'";
  for (const char* good : {"H1", "host:23", "a b", "x]", "$PM01", "\xe9t\xe9", ";semi", "a[b"})
    EXPECT_TRUE(IniFile::isSafeName(good)) << "'" << good << "'";
  EXPECT_FALSE(IniFile::isSafeValue("a\r\nb"));
  EXPECT_FALSE(IniFile::isSafeValue(" 1"));
  EXPECT_TRUE(IniFile::isSafeValue(""));

  uitest::TempSettings tmp;
  IniFile ini(tmp.path);
  EXPECT_THROW(ini.writeString("Hosts", "evil\r\n[Main]\r\nTop", ""), std::invalid_argument);
  EXPECT_THROW(ini.writeString("Main", "Top", "1\r\nLeft=2"), std::invalid_argument);
  EXPECT_FALSE(uitest::fileExists(tmp.path));
}

TEST(IniFileNames, SafeNamesRoundTripThroughTheFile) {
  uitest::TempSettings tmp;
  IniFile ini(tmp.path);
  const std::vector<std::string> names = {"host:23", "a b", "x]", "\xe9t\xe9", "a[b"};
  for (const std::string& n : names) ini.writeString("Hosts", n, "");
  EXPECT_EQ(ini.readSectionKeys("Hosts"), names);
}

}  // namespace
