// The status-bar text of the loaded objects' counts per status:
// "Abnormal 3 · Stopped 5 · Starting 2 · Started 1,204".
#pragma once

#include <QString>

#include "ncp/TXPNetObjList.h"

QString StatusCountsText(const TXPNetObjList& registry);
