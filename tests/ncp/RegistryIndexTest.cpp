// The registry's look-ups by name and by node answer exactly what a plain scan
// of its Items would, through random sequences of adds, status updates,
// deletions, clears and reloads on a real in-memory tree.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ncp/MemoryTree.h"
#include "ncp/TXPNetObjList.h"

namespace {

using ncp::MemoryTree;
using ncp::TreeNode;

struct NodeLook {
  std::string text;
  int image, selected, state;
  bool operator==(const NodeLook&) const = default;
};

class RandomSession {
 public:
  explicit RandomSession(unsigned seed) : m_rng(seed) {
    m_reg.SetTreeNodes(&m_tree);
    m_host = m_tree.addChild(nullptr, "\\SYS1");
  }

  void step() {
    const int op = pick(100);
    if (op < 4) {
      m_reg.AddPathmon(m_host, pickName("$PM0", 3));
      checkAppendedUnder(nullptr);
    } else if (op < 24) {
      addUnder(
          xpPathmon,
          [&](const std::string& parent, const std::string& name) {
            m_reg.AddProcess(parent, name, static_cast<TXPNetStatus>(pick(4)));
          },
          pickName("$PM0", 3), pickName("P", 6));
    } else if (op < 44) {
      addUnder(
          xpProcess, [&](const std::string& parent, const std::string& name) { m_reg.AddStation(parent, name); },
          pickName("P", 6), pickName("S", 8));
    } else if (op < 64) {
      addUnder(
          xpProcess, [&](const std::string& parent, const std::string& name) { m_reg.AddLine(parent, name); },
          pickName("P", 6), pickName("L", 4));
    } else if (op < 90) {
      setStatus();
    } else if (op < 96) {
      deletePathmonChildren();
    } else if (op < 98) {
      m_reg.Clear();
      m_tree.clear();  // as the window does on disconnect; addresses get reused
      m_host = m_tree.addChild(nullptr, "\\SYS1");
    } else {
      m_reg.Clear();
    }
    checkFindByNode();
  }

 private:
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_rng); }

  // Mostly registered-looking names, sometimes in the wrong letter case.
  std::string pickName(const std::string& prefix, int count) {
    std::string name = prefix + std::to_string(pick(count));
    if (pick(10) == 0) name[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
    return name;
  }

  const ExtInfo* scanFirst(TXPNetType type, const std::string& name) const {
    for (const auto& e : m_reg.Items()) {
      if (e->NetType == type && e->Name == name) return e.get();
    }
    return nullptr;
  }

  template <typename Add>
  void addUnder(TXPNetType parentType, Add add, const std::string& parent, const std::string& name) {
    const ExtInfo* expected = scanFirst(parentType, parent);
    const size_t before = m_reg.Items().size();
    add(parent, name);
    if (!expected) {
      ASSERT_EQ(m_reg.Items().size(), before) << "added under unknown parent " << parent;
      return;
    }
    checkAppendedUnder(expected->Node);
    EXPECT_EQ(m_reg.Items().back()->Name, name);
  }

  void checkAppendedUnder(const TreeNode* parentNode) {
    ASSERT_FALSE(m_reg.Items().empty());
    const TreeNode* node = m_reg.Items().back()->Node;
    const TreeNode* expectedParent = parentNode ? parentNode : m_host;
    EXPECT_EQ(node->parent(), expectedParent);
    EXPECT_EQ(expectedParent->child(expectedParent->childCount() - 1), node);
  }

  std::map<const TreeNode*, NodeLook> snapshot() const {
    std::map<const TreeNode*, NodeLook> looks;
    m_tree.walk([&](const TreeNode& n, int) {
      looks[&n] = {n.text(), n.imageIndex(), n.selectedIndex(), n.stateIndex()};
    });
    return looks;
  }

  void setStatus() {
    const auto type = static_cast<TXPNetType>(pick(5));
    const std::string name = pick(2) ? pickName("L", 4) : pick(2) ? pickName("S", 8) : pickName("P", 6);
    const auto status = static_cast<TXPNetStatus>(pick(4));

    auto expected = snapshot();
    const int picture = TXPNetObjList::PictureIndex(type, status);
    for (const auto& e : m_reg.Items()) {
      if (e->NetType == type && e->Name == name) {
        expected[e->Node] = {std::string(TXPNetObjList::StatusText(status)) + " " + e->Name, picture, picture, picture};
      }
    }
    m_reg.SetStatusObj(name, type, status);
    ASSERT_EQ(snapshot(), expected) << "SetStatusObj " << name << " type " << int(type);
  }

  void deletePathmonChildren() {
    std::vector<const ExtInfo*> pathmons;
    for (const auto& e : m_reg.Items()) {
      if (e->NetType == xpPathmon) pathmons.push_back(e.get());
    }
    const size_t unregistered = m_tree.size() - 1 - m_reg.Items().size();
    m_reg.DeletePathmonChildren();

    std::vector<const ExtInfo*> left;
    for (const auto& e : m_reg.Items()) left.push_back(e.get());
    ASSERT_EQ(left, pathmons);
    EXPECT_EQ(m_tree.size(), 1 + pathmons.size() + unregistered) << "a deleted object's node stayed";
    for (const ExtInfo* p : pathmons) EXPECT_EQ(p->Node->childCount(), 0) << p->Name;
  }

  void checkFindByNode() {
    std::vector<const TreeNode*> nodes{nullptr};
    m_tree.walk([&](const TreeNode& n, int) { nodes.push_back(&n); });
    const auto& items = m_reg.Items();
    for (const TreeNode* node : nodes) {
      const ExtInfo* expected = items.empty() ? nullptr : items.back().get();
      for (const auto& e : items) {
        if (e->Node == node) {
          expected = e.get();
          break;
        }
      }
      ASSERT_EQ(m_reg.FindByNode(node), expected);
    }
  }

  std::mt19937 m_rng;
  MemoryTree m_tree;
  TreeNode* m_host = nullptr;
  TXPNetObjList m_reg;
};

TEST(RegistryIndex, AgreesWithAScanOfItemsThroughRandomSessions) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    RandomSession session(seed);
    for (int i = 0; i < 400 && !testing::Test::HasFatalFailure(); ++i) session.step();
    if (testing::Test::HasFatalFailure()) return;
  }
}

}  // namespace
