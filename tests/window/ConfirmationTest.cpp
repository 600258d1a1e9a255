// The questions before what hurts: each names what it acts on, has Cancel as
// its default button, and Cancel sends nothing.
#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "support/EventLoop.h"

using korvtest::waitUntil;
using wintest::WindowTest;

namespace {

struct Question {
  const char* name;
  const char* node;    // the popup's object; none: Tools, Disconnect
  const char* choice;  // the popup item
  const char* names;   // what the question names
};

class ConfirmationTest : public WindowTest, public ::testing::WithParamInterface<Question> {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    connectTacl();
    logonNcp("$PM01");
  }
};

TEST_P(ConfirmationTest, AsksWithCancelAsDefaultAndCancelSendsNothing) {
  const Question& q = GetParam();
  QString asked;
  bool cancelIsDefault = false;
  catcher.holdWhile = [&](QMessageBox* box) {
    asked = box->text();
    cancelIsDefault = box->defaultButton() == box->button(QMessageBox::Cancel);
    QTest::keyClick(box, Qt::Key_Return);
    return true;
  };
  const size_t before = commands().size();
  if (q.node) {
    rightClick(item(q.node));
    choose(q.choice);
  } else {
    win->mmConnect->trigger();
  }
  ASSERT_TRUE(waitUntil([&] { return !asked.isEmpty(); }));
  EXPECT_TRUE(asked.contains(q.names)) << asked.toStdString();
  EXPECT_TRUE(cancelIsDefault);
  // A request of the test's own: what the window had sent is in before it.
  win->NCPTelnet->StatusLine("LTCP03");
  ASSERT_TRUE(waitUntil([&] { return idle() && commands().size() > before; }));
  const auto sent = commands();
  EXPECT_EQ(std::vector<std::string>(sent.begin() + long(before), sent.end()),
            std::vector<std::string>{"STATUS LINE LTCP03"});
  EXPECT_TRUE(win->StateHandler()->NCPLoggedOn());
}

INSTANTIATE_TEST_SUITE_P(
    Questions, ConfirmationTest,
    ::testing::Values(Question{"Stop", "(Started) TCPIP1", "Stop",
                               "Process TCPIP1?\n\nIt carries 2 stations (1 Started, 1 Starting)"},
                      Question{"KeyChange", "(Started) TCPIP1", "Key Change", "Key Change Process TCPIP1?"},
                      Question{"Warmboot", "(Started) TCPIP1", "Warmboot", "Warmboot Process TCPIP1?"},
                      Question{"Disconnect", nullptr, nullptr, "NCP is logged on"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
