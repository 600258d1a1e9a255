// NodeWriter: the object tree as ncpctl prints it, in text or JSON.
//
// Text: one node text a line, indented two blanks per level, as the window's
// tree shows it. JSON: each node as {"type", "name", "status", "text",
// "children"}; type and status from the registry entry bound to the node
// ("host" and a null status for the root, which has none; a null status for
// the PATHMON nodes). Host text is Latin-1: it is written as UTF-8, and
// every control character is escaped, so that no host can drive the
// operator's terminal: text output writes C0, DEL and C1 (128 to 159) as
// "\xHH", JSON strings escape them by the JSON rules.
//
// Reads the tree and the registry given to it, which must not change while it
// writes; owns neither. Called by NcpCtl once a command's answers are in.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "ncp/TXPNetObjList.h"
#include "ncp/TreeNode.h"

class NodeWriter {
 public:
  // With file set, the output string is written out and emptied whenever it
  // grows past kSpillSize, so a large tree never sits in memory twice. An
  // output string reserved with kBufferSize then never grows: it stays below
  // the size whose allocation or release makes the C library's allocator
  // sweep all its small free blocks, a sweep that costs more than the writing.
  static constexpr size_t kSpillSize = 16 * 1024;
  static constexpr size_t kBufferSize = 32 * 1024;
  explicit NodeWriter(const TXPNetObjList& registry, std::FILE* file = nullptr);

  // The type word of a node: "host" when no entry is bound to it.
  std::string typeOf(const ncp::TreeNode& node) const;
  // The name of a node: its entry's name, the trimmed text for the host node.
  std::string nameOf(const ncp::TreeNode& node) const;

  // The node and its descendants, depth levels of indentation first.
  void appendText(std::string& out, const ncp::TreeNode& node, int depth = 0) const;
  // The node and its descendants as one JSON object.
  void appendJson(std::string& out, const ncp::TreeNode& node) const;
  // The node alone: its text line; its JSON object up to the opening of its
  // children's array, which the caller fills and closes ("]}").
  void appendTextLine(std::string& out, const ncp::TreeNode& node, int depth) const;
  void appendJsonHead(std::string& out, const ncp::TreeNode& node) const;
  // Moves the output to the file once it is large (with a file given).
  void spill(std::string& out) const;

  // The status a node shows: its entry's, none for a host or PATHMON node.
  std::optional<TXPNetStatus> statusOf(const ncp::TreeNode& node) const;
  static std::optional<TXPNetStatus> statusOf(const ExtInfo& entry);

  // Latin-1 bytes as UTF-8 for a terminal, each control character (C0, DEL,
  // C1) as "\xHH". Every text ncpctl prints outside JSON goes through here.
  static void appendPrintable(std::string& out, std::string_view latin1);
  static std::string printable(std::string_view latin1);
  // A JSON string literal (quotes included) of Latin-1 bytes.
  static void appendJsonString(std::string& out, const std::string& latin1);

 private:
  const ExtInfo* entryOf(const ncp::TreeNode& node) const;

  const TXPNetObjList& m_registry;
  std::FILE* m_file;
};
