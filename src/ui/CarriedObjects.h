// CarriedObjects: the stations and lines below an object in the tree (what
// stopping it would take down), counted by status from the registry.
#pragma once

#include <QString>
#include <array>

#include "ncp/TXPNetObjList.h"

struct CarriedObjects {
  // By TXPNetStatus.
  std::array<int, 4> stations{};
  std::array<int, 4> lines{};

  static CarriedObjects Below(const TXPNetObjList& registry, const ncp::TreeNode* node);
  // "3 stations (2 Started, 1 Stopped)", "1 station (1 Started)"; "no stations".
  static QString Text(const std::array<int, 4>& byStatus, const QString& singular, const QString& plural);
};
