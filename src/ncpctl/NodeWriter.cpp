#include "ncpctl/NodeWriter.h"

#include <string_view>

#include "ncp/ControlBytes.h"
#include "ncp/MemoryTree.h"
#include "ncp/NcpParsing.h"

NodeWriter::NodeWriter(const TXPNetObjList& registry, std::FILE* file) : m_registry(registry), m_file(file) {}

const ExtInfo* NodeWriter::entryOf(const ncp::TreeNode& node) const {
  // The registry answers a node of no entry with its last entry.
  const ExtInfo* entry = m_registry.FindByNode(&node);
  return entry && entry->Node == &node ? entry : nullptr;
}

std::string NodeWriter::typeOf(const ncp::TreeNode& node) const {
  const ExtInfo* entry = entryOf(node);
  return entry ? XPNetTypeWord(entry->NetType) : "host";
}

std::string NodeWriter::nameOf(const ncp::TreeNode& node) const {
  const ExtInfo* entry = entryOf(node);
  return entry ? entry->Name : ncp::trim(node.text());
}

void NodeWriter::appendText(std::string& out, const ncp::TreeNode& node, int depth) const {
  appendTextLine(out, node, depth);
  for (int i = 0; i < node.childCount(); ++i) appendText(out, *node.child(i), depth + 1);
}

void NodeWriter::appendTextLine(std::string& out, const ncp::TreeNode& node, int depth) const {
  out.append(static_cast<size_t>(depth) * 2, ' ');
  // A node of the in-memory tree, the console's own, lends its text: a large
  // tree is written without a copy of each text.
  if (const auto* memoryNode = dynamic_cast<const ncp::MemoryTree::Node*>(&node)) {
    appendPrintable(out, memoryNode->view());
  } else {
    appendPrintable(out, node.text());
  }
  out += '\n';
  spill(out);
}

void NodeWriter::spill(std::string& out) const {
  if (!m_file || out.size() < kSpillSize) return;
  std::fwrite(out.data(), 1, out.size(), m_file);
  out.clear();
}

void NodeWriter::appendJson(std::string& out, const ncp::TreeNode& node) const {
  appendJsonHead(out, node);
  for (int i = 0; i < node.childCount(); ++i) {
    if (i > 0) out += ',';
    spill(out);
    appendJson(out, *node.child(i));
  }
  out += "]}";
}

void NodeWriter::appendJsonHead(std::string& out, const ncp::TreeNode& node) const {
  out += "{\"type\":\"";
  out += typeOf(node);
  out += "\",\"name\":";
  appendJsonString(out, nameOf(node));
  out += ",\"status\":";
  const auto status = statusOf(node);
  if (status) {
    out += '"';
    out += XPNetStatusWord(*status);
    out += '"';
  } else {
    out += "null";
  }
  out += ",\"text\":";
  appendJsonString(out, node.text());
  out += ",\"children\":[";
}

std::optional<TXPNetStatus> NodeWriter::statusOf(const ncp::TreeNode& node) const {
  const ExtInfo* entry = entryOf(node);
  if (!entry) return std::nullopt;
  return statusOf(*entry);
}

std::optional<TXPNetStatus> NodeWriter::statusOf(const ExtInfo& entry) {
  if (entry.NetType == xpPathmon) return std::nullopt;
  return entry.Status;
}

void NodeWriter::appendPrintable(std::string& out, std::string_view latin1) {
  size_t i = 0;
  while (i < latin1.size()) {
    const size_t from = i;
    while (i < latin1.size() && latin1[i] >= 0x20 && latin1[i] < 0x7F) ++i;
    out.append(latin1.substr(from, i - from));
    if (i == latin1.size()) break;
    const auto c = static_cast<unsigned char>(latin1[i++]);
    if (ncp::isControlByte(c)) {
      out += ncp::escapedControlByte(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

std::string NodeWriter::printable(std::string_view latin1) {
  std::string out;
  appendPrintable(out, latin1);
  return out;
}

void NodeWriter::appendJsonString(std::string& out, const std::string& latin1) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  for (unsigned char c : latin1) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else if (c < 0x80) {
          out += static_cast<char>(c);
        } else {
          out += static_cast<char>(0xC0 | (c >> 6));
          out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
  }
  out += '"';
}
