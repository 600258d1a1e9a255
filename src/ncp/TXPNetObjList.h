// TXPNetObjList: the registry of the XPNET objects the window shows. One
// ExtInfo entry per PATHMON, process, station and line, bound to the tree node
// that shows it; it gives that node its text and picture from the object's
// status, finds objects again by name and type (status answers) or by node
// (the node the operator clicked), and drops everything but the PATHMONs when
// another NCP logon reloads them.
//
// Owns its entries; the nodes it creates belong to the tree set by
// SetTreeNodes, which must outlive every node use (destroy and Clear leave the
// nodes alone). Before SetTreeNodes the add operations do nothing. Names are
// compared exactly, letter case included, never trimmed; a name may be entered
// more than once.
//
// Entries are indexed by (type, name) and by node besides the ordered Items,
// so a status answer or a node look-up costs constant time however large the
// network, and every answer is the one a scan of Items would give. Both
// indexes are open-addressed tables of entry pointers whose keys live in the
// entries themselves; entries of one name and type are linked through the
// entries, so a large network costs no allocation per name. An index takes
// in the entries added since it was last asked when it is asked: a listing's
// worth of entries goes in at once, with the table in the cache, and the
// node index is not built at all while a network loads.
//
// Why hand-made: against the same indexes as an unordered_map from name to a
// vector of entries and one from node to entry (PlainObjList, in
// bench/registry), `ncpctl tree` against `nsksim --stations N --page 20`
// takes 0.10 s of CPU instead of 0.14 s at 10,000 stations and 0.34 s instead
// of 0.60 s at 50,000, and peaks at 14.5 MB instead of 17.2 MB, 33.9 MB
// instead of 48.8 MB; it runs 10 % fewer instructions (callgrind), the rest
// is cache misses and page faults. registry_bench loads and refreshes 50,000
// stations in 22 ms of CPU instead of 262 ms. Reproduce with registry_bench,
// and with bench/ncpctl/run.sh on this ncpctl and on one built with
// PlainObjList's indexes in place of these.
//
// Used only by the window (and the headless console) on the UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ncp/TreeNode.h"
#include "ncp/XPNetTypes.h"
#include "transport/TTnCnx.h"

struct ExtInfo {
  ExtInfo(std::string aName, TXPNetStatus aStatus, TXPNetType aType, ncp::TreeNode* aNode)
      : Name(std::move(aName)), Status(aStatus), NetType(aType), Node(aNode) {}

  std::string Name;
  TXPNetStatus Status;  // the status its node shows
  TXPNetType NetType;

 private:
  friend class TXPNetObjList;
  // Its index in Items (declared here, where it takes no room of its own).
  uint32_t m_place = 0;

 public:
  ncp::TreeNode* Node;  // owned by the tree

 private:
  // The next entry of the same name and type in Items order; the newest one
  // links back to the oldest, closing a ring the name index enters at its
  // newest entry.
  ExtInfo* m_nextSame = nullptr;
};

class TXPNetObjList {
 public:
  TXPNetObjList() = default;
  TXPNetObjList(const TXPNetObjList&) = delete;
  TXPNetObjList& operator=(const TXPNetObjList&) = delete;

  // Called with a null sender by SetStatusObj; unassigned at creation.
  TTnDisplay OnDebug;

  // The entries in the order they were added.
  const std::vector<std::unique_ptr<ExtInfo>>& Items() const { return m_items; }

  void SetTreeNodes(ncp::TreeNodes* aNodes) { m_treeNodes = aNodes; }
  ncp::TreeNodes* TreeNodes() const { return m_treeNodes; }

  void AddPathmon(ncp::TreeNode* aParent, const std::string& aName);
  // Under the first PATHMON (process) entry of that exact name; nothing when
  // there is none.
  void AddProcess(const std::string& aPathmon, const std::string& aName, TXPNetStatus aStatus);
  void AddStation(const std::string& aProcess, const std::string& aName);
  void AddLine(const std::string& aProcess, const std::string& aName);

  // Sets status, text and pictures of every entry of that name and type, in
  // order.
  void SetStatusObj(const std::string& aName, TXPNetType aType, TXPNetStatus aStatus);
  // Deletes every entry but the PATHMONs, with their nodes.
  void DeletePathmonChildren();
  // The first entry bound to aNode; for a node of no entry the last entry;
  // null when the registry is empty. Valid until the entry is removed.
  const ExtInfo* FindByNode(const ncp::TreeNode* aNode) const;
  // Disposes of every entry; keeps TreeNodes and OnDebug.
  void Clear();

  // The node picture of an object: a base by type plus an offset by status.
  static int PictureIndex(TXPNetType aType, TXPNetStatus aStatus);
  // The status as its node shows it: XPNetStatusText.
  static const char* StatusText(TXPNetStatus aStatus);

  // How many objects (processes, stations, lines: not PATHMONs) have that
  // status; kept as entries come, go and change, so a front end may show it
  // after every status event.
  size_t StatusCount(TXPNetStatus aStatus) const;

 private:
  void AddUnder(TXPNetType aParentType, const std::string& aParentName, const std::string& aName, TXPNetType aType,
                TXPNetStatus aStatus);
  void AddObj(ncp::TreeNode* aNode, const std::string& aName, TXPNetType aType, TXPNetStatus aStatus);
  // The first entry of that name and type, or null.
  const ExtInfo* FirstMatch(TXPNetType aType, std::string_view aName);
  // The newest entry of that name and type in the name index as it stands
  // (its m_nextSame is the first), or null.
  ExtInfo* Indexed(TXPNetType aType, std::string_view aName) const;
  // The only entry of that name and type if it follows closely the one the
  // last status change went to; null when none does. Needs every entry
  // indexed by name.
  ExtInfo* FollowingMatch(TXPNetType aType, std::string_view aName) const;
  // The name slot of that key, or the empty slot where it would go.
  size_t NameSlot(TXPNetType aType, std::string_view aName, size_t aHash) const;
  // Needs a free slot.
  void IndexName(ExtInfo* aEntry);
  // Brings the name index up to the end of Items.
  void IndexNames();
  size_t NodeSlot(const ncp::TreeNode* aNode) const;
  // Brings the node index up to the end of Items.
  void IndexNodes() const;
  void ResetIndexes();

  std::vector<std::unique_ptr<ExtInfo>> m_items;
  // (type, name) -> the newest entry of that name and type, tagged with bits
  // of its key's hash, so that a probe reads an entry only when it is likely
  // the one (0: empty); for the Items before m_namesIndexed.
  std::vector<uintptr_t> m_byName;
  size_t m_nameCount = 0;
  size_t m_namesIndexed = 0;
  // Node -> the first entry bound to it (empty slots null), for the Items
  // before m_nodesIndexed. Brought up to date by the look-up by node, so that
  // loading a network, which asks no node, builds none of it.
  mutable std::vector<ExtInfo*> m_byNode;
  mutable size_t m_nodeCount = 0;
  mutable size_t m_nodesIndexed = 0;
  // Items index of the entry the last status change went to.
  size_t m_statusCursor = 0;
  // By statusSlot; see StatusCount.
  size_t m_statusCounts[4] = {};
  ncp::TreeNodes* m_treeNodes = nullptr;
};
