// The settings file's path rule and the readers and writers of the windows.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "UiTestFiles.h"
#include "ncp/ConnectionBudget.h"
#include "support/RowName.h"
#include "ui/SettingsFile.h"

namespace {

mode_t modeOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(SettingsFilePath, ExtensionOfTheExecutableBecomesIni) {
  EXPECT_EQ(SettingsFile::pathForExecutable("/opt/k/Korvanedrestolin.exe"), "/opt/k/Korvanedrestolin.INI");
  EXPECT_EQ(SettingsFile::pathForExecutable("/opt/k/korvanedrestolin"), "/opt/k/korvanedrestolin.INI");
  EXPECT_EQ(SettingsFile::pathForExecutable("/opt/k.d/korv"), "/opt/k.d/korv.INI");
  EXPECT_EQ(SettingsFile::pathForExecutable("/a/b.c.exe"), "/a/b.c.INI");
  EXPECT_TRUE(SettingsFile::defaultPath().endsWith("/ui_tests.INI"));
}

// The tests run as root, for whom a folder without write permission still
// takes new files; a read-only executable folder is therefore told to
// locate() by its writability check, while the writable one is a real
// scratch folder judged by the real check.
struct LocationRow {
  const char* name;
  bool fileBeside;
  bool folderReadOnly;
  bool expectBeside;
};

using korvtest::PrintTo;

class SettingsFileLocation : public ::testing::TestWithParam<LocationRow> {};

TEST_P(SettingsFileLocation, BesideTheExecutableOrInTheConfigFolder) {
  const LocationRow& row = GetParam();
  uitest::TempSettings tmp;
  ASSERT_TRUE(QDir(tmp.dir.path()).mkpath("bin"));
  const QString beside = tmp.dir.filePath("bin/korvanedrestolin.INI");
  if (row.fileBeside) uitest::writeBytes(beside, "[Main]\r\n");
  const QString config = tmp.dir.filePath("config/Korvanedrestolin");
  const auto readOnly = [](const QString&) { return false; };

  const QString path = row.folderReadOnly
                           ? SettingsFile::locate(tmp.dir.filePath("bin/korvanedrestolin"), config, readOnly)
                           : SettingsFile::locate(tmp.dir.filePath("bin/korvanedrestolin"), config);
  EXPECT_EQ(path, row.expectBeside ? beside : config + "/korvanedrestolin.INI");
}

INSTANTIATE_TEST_SUITE_P(Rule, SettingsFileLocation,
                         ::testing::Values(LocationRow{"BesideWritableFolder", false, false, true},
                                           LocationRow{"BesideExistingFileInReadOnlyFolder", true, true, true},
                                           LocationRow{"ConfigFolderWhenBesideIsImpossible", false, true, false}),
                         [](const ::testing::TestParamInfo<LocationRow>& info) {
                           return std::string(info.param.name);
                         });

TEST(SettingsFileFolder, SystemProgramFoldersAreNeverWritableEvenForRoot) {
  uitest::TempSettings tmp;
  EXPECT_TRUE(SettingsFile::isWritableFolder(tmp.dir.path()));
  EXPECT_FALSE(SettingsFile::isWritableFolder("/usr/bin"));
  EXPECT_FALSE(SettingsFile::isWritableFolder(tmp.dir.filePath("missing")));
}

TEST(SettingsFileFolder, FirstSaveMakesFileAndFolderForTheOwnerOnly) {
  uitest::TempSettings tmp;
  const QString folder = tmp.dir.filePath("config/Korvanedrestolin");
  const SettingsFile settings(folder + "/korvanedrestolin.INI");
  settings.writeIndex(SettingsFile::kHostidx, 1);
  EXPECT_EQ(modeOf(folder), 0700u);
  EXPECT_EQ(modeOf(settings.path()), 0600u);
  settings.writeIndex(SettingsFile::kHostidx, 2);
  EXPECT_EQ(modeOf(settings.path()), 0600u);
  EXPECT_EQ(settings.readIndex(SettingsFile::kHostidx), 2);
}

TEST(SettingsFilePlacement, DefaultsWithoutFileAndHexOnReading) {
  uitest::TempSettings tmp;
  SettingsFile settings(tmp.path);
  WindowPlacement p = settings.readPlacement();
  EXPECT_EQ(p.top, 0);
  EXPECT_EQ(p.left, 0);
  EXPECT_EQ(p.width, 0);
  EXPECT_EQ(p.height, 0);
  EXPECT_EQ(p.maximized, 0);

  uitest::writeBytes(tmp.path, "[Main]\r\nTop=0x10\r\nLeft=junk\r\nWidth=800\r\n");
  p = settings.readPlacement();
  EXPECT_EQ(p.top, 16);
  EXPECT_EQ(p.left, 0);
  EXPECT_EQ(p.width, 800);
  EXPECT_EQ(p.height, 0);
}

TEST(SettingsFileConnections, TheSharedDefaultsUnlessAWholeNumberFromOne) {
  uitest::TempSettings tmp;
  SettingsFile settings(tmp.path);
  EXPECT_EQ(settings.readConnections(), ConnectionBudget::kDefaultPerPathmon);
  EXPECT_EQ(settings.readConnectionsPerHost(), ConnectionBudget::kDefaultLimit);
  uitest::writeBytes(tmp.path, "[Main]\r\nConnections=0\r\nConnectionsPerHost=junk\r\n");
  EXPECT_EQ(settings.readConnections(), ConnectionBudget::kDefaultPerPathmon);
  EXPECT_EQ(settings.readConnectionsPerHost(), ConnectionBudget::kDefaultLimit);
  uitest::writeBytes(tmp.path, "[Main]\r\nConnections=1\r\nConnectionsPerHost=2\r\n");
  EXPECT_EQ(settings.readConnections(), 1);
  EXPECT_EQ(settings.readConnectionsPerHost(), 2);
}

TEST(SettingsFilePlacement, MaximizedWindowWritesOnlyItsState) {
  uitest::TempSettings tmp;
  SettingsFile settings(tmp.path);
  settings.writePlacement({10, 20, 300, 400, 0});
  EXPECT_EQ(uitest::readBytes(tmp.path),
            QByteArray("[Main]\r\nTop=10\r\nLeft=20\r\nWidth=300\r\nHeight=400\r\nMaximized=0\r\n"));

  settings.writePlacement({0, 0, 1920, 1080, 2});
  WindowPlacement p = settings.readPlacement();
  EXPECT_EQ(p.top, 10);
  EXPECT_EQ(p.left, 20);
  EXPECT_EQ(p.width, 300);
  EXPECT_EQ(p.height, 400);
  EXPECT_EQ(p.maximized, 2);
}

TEST(SettingsFileLists, EntriesAppendOnceAndIndexesDefaultToMinusOne) {
  uitest::TempSettings tmp;
  SettingsFile settings(tmp.path);
  EXPECT_EQ(settings.readIndex(SettingsFile::kHostidx), -1);
  EXPECT_TRUE(settings.addEntry(SettingsFile::kHosts, "H1"));
  EXPECT_TRUE(settings.addEntry(SettingsFile::kHosts, "H2"));
  EXPECT_TRUE(settings.addEntry(SettingsFile::kHosts, "h1"));
  settings.writeIndex(SettingsFile::kHostidx, 1);
  EXPECT_EQ(settings.readList(SettingsFile::kHosts), (std::vector<std::string>{"H1", "H2"}));
  EXPECT_EQ(settings.readIndex(SettingsFile::kHostidx), 1);
}

TEST(SettingsFileLists, NameTheListCannotCarryIsNotWritten) {
  uitest::TempSettings tmp;
  SettingsFile settings(tmp.path);
  ASSERT_TRUE(settings.addEntry(SettingsFile::kHosts, "H1"));
  QByteArray before = uitest::readBytes(tmp.path);
  const std::string overLong(SettingsFile::kMaxEntryBytes + 1, 'h');
  for (const std::string bad : {"x\r\n[Main]\r\nHostidx=3", "a=b", "[Main]", " H1", "", "tab\there", overLong.c_str()})
    EXPECT_FALSE(settings.addEntry(SettingsFile::kHosts, bad)) << bad;
  EXPECT_EQ(uitest::readBytes(tmp.path), before);
}

}  // namespace
