// The status-bar text of the loaded objects' counts per status:
// "Abnormal 3 · Stopped 5 · Starting 2 · Started 1,204".
#pragma once

#include <QString>
#include <vector>

#include "ncp/TXPNetObjList.h"

// Summed over the registries of every connection shown.
QString StatusCountsText(const std::vector<const TXPNetObjList*>& registries);
