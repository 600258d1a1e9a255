// The in-memory tree that the headless console prints and the registry tests
// run on: order of children, deletion of subtrees, foreign nodes, and the
// part of a tree one of several connections to a host makes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ncp/MemoryTree.h"
#include "ncp/SharedTreeNodes.h"

namespace {

using ncp::MemoryTree;
using ncp::TreeNode;

TEST(MemoryTree, NewNodesHaveDefaultPicturesAndKeepCreationOrder) {
  MemoryTree tree;
  TreeNode* root = tree.addChild(nullptr, "\\SYS1");
  TreeNode* a = tree.addChild(root, "A");
  TreeNode* b = tree.addChild(root, "B");
  tree.addChild(a, "A1");
  EXPECT_EQ(a->imageIndex(), 0);
  EXPECT_EQ(a->selectedIndex(), 0);
  EXPECT_EQ(a->stateIndex(), -1);
  EXPECT_EQ(a->parent(), root);
  EXPECT_EQ(root->parent(), nullptr);
  EXPECT_EQ(root->child(1), b);
  EXPECT_EQ(root->child(2), nullptr);
  EXPECT_EQ(root->child(-1), nullptr);
  EXPECT_EQ(tree.size(), 4u);
  EXPECT_EQ(tree.dump(), "\\SYS1\n  A\n    A1\n  B\n");
}

TEST(MemoryTree, WalkGivesEachNodeItsDepth) {
  MemoryTree tree;
  TreeNode* r1 = tree.addChild(nullptr, "R1");
  tree.addChild(tree.addChild(r1, "C"), "G");
  tree.addChild(nullptr, "R2");
  std::string seen;
  tree.walk([&](const TreeNode& n, int depth) { seen += n.text() + ":" + std::to_string(depth) + " "; });
  EXPECT_EQ(seen, "R1:0 C:1 G:2 R2:0 ");
}

TEST(MemoryTree, DeletingANodeTakesItsSubtreeAndKeepsTheSiblingsInOrder) {
  MemoryTree tree;
  TreeNode* root = tree.addChild(nullptr, "R");
  tree.addChild(root, "A");
  TreeNode* b = tree.addChild(root, "B");
  tree.addChild(root, "C");
  tree.addChild(tree.addChild(b, "B1"), "B11");
  tree.deleteNode(b);
  EXPECT_EQ(tree.dump(), "R\n  A\n  C\n");
  EXPECT_EQ(tree.size(), 3u);
  tree.deleteNode(root);
  EXPECT_EQ(tree.size(), 0u);
  EXPECT_EQ(tree.topCount(), 0);
}

TEST(MemoryTree, NodesOfAnotherTreeAreLeftAlone) {
  MemoryTree tree, other;
  TreeNode* mine = tree.addChild(nullptr, "MINE");
  TreeNode* foreign = other.addChild(nullptr, "FOREIGN");
  EXPECT_EQ(tree.addChild(foreign, "X"), nullptr);
  tree.deleteNode(foreign);
  tree.deleteNode(nullptr);
  EXPECT_EQ(other.dump(), "FOREIGN\n");
  EXPECT_EQ(tree.dump(), "MINE\n");
  EXPECT_EQ(mine->childCount(), 0);
}

TEST(MemoryTree, AddFirstPutsANewTopLevelNodeBeforeTheOthers) {
  MemoryTree tree;
  tree.addChild(tree.addChild(nullptr, "OLD"), "CHILD");
  TreeNode* first = tree.addFirst("\\SYS1");
  EXPECT_EQ(tree.top(0), first);
  EXPECT_EQ(first->parent(), nullptr);
  EXPECT_EQ(tree.size(), 3u);
  EXPECT_EQ(tree.dump(), "\\SYS1\nOLD\n  CHILD\n");
  tree.addChild(first, "$PM01");
  EXPECT_EQ(tree.dump(), "\\SYS1\n  $PM01\nOLD\n  CHILD\n");
}

// Every length around a short string's limit, any byte (NUL too), growing
// and shrinking, comes back exactly.
TEST(MemoryTree, TextsOfEveryLengthAndByteComeBackExactly) {
  MemoryTree tree;
  TreeNode* root = tree.addChild(nullptr, "R");
  const size_t limit = 16;
  for (size_t length : {size_t{0}, size_t{1}, limit - 1, limit, limit + 1, 4 * limit, limit, size_t{0}, 3 * limit}) {
    std::string text;
    for (size_t i = 0; i < length; ++i) text += static_cast<char>((i * 37 + length) % 256);
    root->setText(text);
    EXPECT_EQ(root->text(), text) << "length " << length;
    TreeNode* child = tree.addChild(root, text);
    EXPECT_EQ(child->text(), text) << "length " << length;
  }
  EXPECT_EQ(root->childCount(), 9);
  EXPECT_EQ(root->child(2)->text().size(), limit - 1);
  EXPECT_EQ(root->child(5)->text().size(), 4 * limit);
}

// A tree thinned out and grown again keeps every text and every place.
TEST(MemoryTree, NodesMadeAfterDeletionsKeepTheirTextsAndPlaces) {
  MemoryTree tree;
  TreeNode* root = tree.addChild(nullptr, "R");
  std::vector<TreeNode*> groups;
  for (int g = 0; g < 40; ++g) {
    groups.push_back(tree.addChild(root, "G" + std::to_string(g)));
    for (int c = 0; c < 30; ++c)
      tree.addChild(groups.back(), "(Started) G" + std::to_string(g) + "C" + std::to_string(c));
  }
  for (int g = 39; g >= 0; g -= 2) tree.deleteNode(groups[static_cast<size_t>(g)]);
  for (int g = 1; g < 40; g += 2) {
    for (int c = 0; c < 31; ++c)
      tree.addChild(groups[static_cast<size_t>(g - 1)], "N" + std::to_string(g) + "-" + std::to_string(c));
  }
  std::string expected = "R\n";
  for (int g = 0; g < 40; g += 2) {
    expected += "  G" + std::to_string(g) + "\n";
    for (int c = 0; c < 30; ++c) expected += "    (Started) G" + std::to_string(g) + "C" + std::to_string(c) + "\n";
    for (int c = 0; c < 31; ++c) expected += "    N" + std::to_string(g + 1) + "-" + std::to_string(c) + "\n";
  }
  EXPECT_EQ(tree.dump(), expected);
  EXPECT_EQ(tree.size(), 1u + 20u * (1 + 30 + 31));
}

TEST(MemoryTree, ClearEmptiesTheTree) {
  MemoryTree tree;
  tree.addChild(tree.addChild(nullptr, "R"), "A");
  tree.clear();
  EXPECT_EQ(tree.size(), 0u);
  EXPECT_EQ(tree.dump(), "");
  tree.addChild(nullptr, "NEW");
  EXPECT_EQ(tree.size(), 1u);
}

}  // namespace

// Two connections to one host: the second shares the host node and the
// PATHMON shown (loaded or not), and its end takes only what it made.
TEST(SharedTreeNodes, ASharingConnectionFindsThePathmonsShownAndClearsOnlyItsOwn) {
  MemoryTree base;
  ncp::SharedTreeNodes first(base);
  TreeNode* host = first.addFirst("\\SYS1");
  TreeNode* pm01 = first.addChild(host, "$PM01");
  TreeNode* pm02 = first.addChild(host, "$PM02");
  first.addChild(first.addChild(pm01, "P1"), "S1");
  pm01->setText("($PM01)");

  ncp::SharedTreeNodes second(base, host);
  bool told = false;
  second.OnBeforeClear = [&] { told = true; };
  EXPECT_EQ(second.addFirst("\\SYS1"), host);
  EXPECT_EQ(second.addChild(host, "$PM01"), pm01) << "shown as loaded";
  EXPECT_EQ(second.addChild(host, "$PM02"), pm02);
  TreeNode* process = second.addChild(pm02, "P2");
  second.addChild(process, "S2");
  second.deleteNode(pm02);
  EXPECT_EQ(host->childCount(), 2) << "a shared node is not its to delete";
  second.clear();
  EXPECT_TRUE(told);
  EXPECT_EQ(pm02->childCount(), 0);
  EXPECT_EQ(pm01->child(0)->text(), "P1");

  first.clear();
  EXPECT_EQ(base.topCount(), 0);
}
