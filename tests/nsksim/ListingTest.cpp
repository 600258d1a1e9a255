// The NCPCOM listings of the demo network, column by column, and their MORE
// pages. The console reads these lines by fixed columns, so every column the
// console relies on is checked on every line.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "SimDialogue.h"
#include "support/NskSimProcess.h"

using namespace simtest;

namespace {

const std::set<std::string> kStatusWords = {"STARTED", "STARTING", "STOPPED", "ABNORMAL"};
const std::string kQualifier = "\\KORVDEMO.$PM01.";

std::string trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Name -> status of a STATUS listing, after checking the columns of each line.
std::map<std::string, std::string> checkStatusListing(const std::string& answer) {
  std::map<std::string, std::string> objects;
  const std::vector<std::string> all = lines(answer);
  for (size_t i = 0; i + 1 < all.size(); ++i) {
    const std::string& line = all[i];
    SCOPED_TRACE(line);
    EXPECT_EQ(line.find(" > "), std::string::npos);
    if (col(line, 4, 4) != "\\") continue;
    const std::string qualified = col(line, 4, 38);
    EXPECT_EQ(qualified.rfind(kQualifier, 0), 0u);
    const std::string name = trimmed(qualified.substr(kQualifier.size()));
    EXPECT_EQ(qualified, pad(kQualifier + name, 35));
    EXPECT_EQ(name.find(' '), std::string::npos);
    EXPECT_EQ(col(line, 39, 39), " ");
    const std::string status = col(line, 47, 55);
    EXPECT_EQ(status, pad(trimmed(status), 9));
    EXPECT_TRUE(kStatusWords.count(trimmed(status)));
    EXPECT_EQ(col(line, 56, 56), " ");
    EXPECT_EQ(objects.count(name), 0u) << "listed twice";
    objects[name] = trimmed(status);
  }
  EXPECT_NE(all.back().find(" > "), std::string::npos) << "ends at the NCPCOM prompt";
  return objects;
}

std::set<std::string> statuses(const std::map<std::string, std::string>& objects) {
  std::set<std::string> out;
  for (const auto& [name, status] : objects) out.insert(status);
  return out;
}

// Reads one page: up to a partial line that is a MORE page prompt or the NCPCOM prompt.
std::string readPage(RawTelnetClient& client) {
  std::string text;
  for (int i = 0; i < 100; ++i) {
    text += client.readFor(50);
    const std::string partial = lines(text).back();
    if (partial.rfind("MORE", 0) == 0 || partial.find(" > ") != std::string::npos) break;
  }
  return text;
}

}  // namespace

TEST(NskSimListing, StatusAndInfoLinesKeepTheirColumns) {
  korvtest::NskSimProcess sim({"--page", "0"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(ncpLogon(client));

  const auto processes = checkStatusListing(ncp(client, "STATUS PROCESS *"));
  const auto stations = checkStatusListing(ncp(client, "STATUS STATION *"));
  const auto lineObjects = checkStatusListing(ncp(client, "STATUS LINE *"));
  EXPECT_GE(processes.size(), 3u);
  EXPECT_EQ(statuses(stations), kStatusWords);
  EXPECT_EQ(statuses(lineObjects), kStatusWords);

  std::map<std::string, std::set<std::string>> stationsOfLine;
  std::map<std::string, std::string> processOfLine;
  bool shared = false;
  std::set<std::string> infoStations;
  const std::vector<std::string> info = lines(ncp(client, "INFO STATION *"));
  for (size_t i = 0; i + 1 < info.size(); ++i) {
    const std::string& line = info[i];
    SCOPED_TRACE(line);
    if (col(line, 2, 2) != "E") continue;
    EXPECT_EQ(col(line, 3, 3), " ");
    const std::string qualified = col(line, 4, 38);
    ASSERT_EQ(qualified.rfind(kQualifier, 0), 0u);
    const std::string station = trimmed(qualified.substr(kQualifier.size()));
    EXPECT_EQ(qualified, pad(kQualifier + station, 35));
    const std::string lineName = trimmed(col(line, 47, 62));
    const std::string process = trimmed(col(line, 64, 79));
    EXPECT_EQ(col(line, 47, 62), pad(lineName, 16));
    EXPECT_EQ(col(line, 63, 63), " ");
    EXPECT_EQ(col(line, 64, 79), pad(process, 16));
    EXPECT_TRUE(stations.count(station));
    EXPECT_TRUE(lineObjects.count(lineName));
    EXPECT_TRUE(processes.count(process));
    infoStations.insert(station);
    stationsOfLine[lineName].insert(station);
    if (stationsOfLine[lineName].size() > 1 && processOfLine[lineName] == process) shared = true;
    processOfLine[lineName] = process;
  }
  EXPECT_EQ(infoStations.size(), stations.size());
  EXPECT_TRUE(shared) << "one line serves two stations of one process";
}

TEST(NskSimListing, SingleObjectStatusShowsThatObjectOnly) {
  korvtest::NskSimProcess sim({"--page", "0"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(ncpLogon(client));
  const auto all = checkStatusListing(ncp(client, "STATUS STATION *"));
  for (const auto& [name, status] : all) {
    const auto one = checkStatusListing(ncp(client, "STATUS STATION " + name));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one.begin()->first, name);
    EXPECT_EQ(one.begin()->second, status);
  }
  EXPECT_EQ(checkStatusListing(ncp(client, "STATUS LINE " + kQualifier + "LTCP01")).size(), 1u);
  EXPECT_TRUE(checkStatusListing(ncp(client, "STATUS LINE NOSUCHLINE")).empty());
  EXPECT_TRUE(checkStatusListing(ncp(client, "STATUS PROCESS LTCP01")).empty()) << "a line is no process";
}

TEST(NskSimListing, PagedListingWaitsForAnEmptyLineAtEachPage) {
  constexpr int kPage = 4;
  korvtest::NskSimProcess whole({"--page", "0"});
  korvtest::NskSimProcess paged({"--page", std::to_string(kPage).c_str()});
  ASSERT_TRUE(whole.started());
  ASSERT_TRUE(paged.started());
  RawTelnetClient wholeClient(whole.port());
  RawTelnetClient pagedClient(paged.port());
  ASSERT_TRUE(ncpLogon(wholeClient));
  ASSERT_TRUE(ncpLogon(pagedClient));

  for (const char* command : {"STATUS STATION *", "INFO STATION *", "STATUS LINE *"}) {
    SCOPED_TRACE(command);
    std::vector<std::string> expected = lines(ncp(wholeClient, command));

    pagedClient.sendLine(command);
    std::vector<std::string> got;
    int pages = 0;
    for (;;) {
      std::vector<std::string> page = lines(readPage(pagedClient));
      const std::string partial = page.back();
      page.pop_back();
      got.insert(got.end(), page.begin(), page.end());
      if (partial.rfind("MORE", 0) != 0) {
        got.push_back(partial);
        break;
      }
      ++pages;
      // The echo of the command (first page) or of the empty answer starts the page.
      EXPECT_EQ(static_cast<int>(page.size()), kPage + 1);
      EXPECT_TRUE(pagedClient.readFor(150).empty()) << "nothing more before the page is answered";
      ASSERT_LT(pages, 100);
      pagedClient.sendLine("");
    }
    EXPECT_GE(pages, 2);
    // The same listing as unpaged, once the echoes of the empty answers are taken out.
    std::vector<std::string> withoutEchoes;
    for (size_t i = 0; i < got.size(); ++i) {
      if (i > 0 && i % (kPage + 1) == 0 && static_cast<int>(i / (kPage + 1)) <= pages && got[i].empty()) continue;
      withoutEchoes.push_back(got[i]);
    }
    EXPECT_EQ(withoutEchoes, expected);
  }
}

TEST(NskSimListing, AnotherCommandAtAPagePromptAbandonsTheListing) {
  // Long enough for a single object's listing, too short for all lines.
  korvtest::NskSimProcess sim({"--page", "8"});
  ASSERT_TRUE(sim.started());
  RawTelnetClient client(sim.port());
  ASSERT_TRUE(ncpLogon(client));
  client.sendLine("STATUS LINE *");
  ASSERT_EQ(lines(readPage(client)).back().rfind("MORE", 0), 0u);
  const auto one = checkStatusListing(ncp(client, "STATUS LINE LTCP01"));
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one.begin()->first, "LTCP01");
  EXPECT_TRUE(client.readFor(150).empty());
}
