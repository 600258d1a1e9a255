// Where the main window comes up: the saved bounds (the design size when none
// are saved) brought onto the available area of the screen the saved
// position falls on (the primary screen when none). The window, its frame
// included, is never larger than that area, at any scale factor, and lies
// wholly inside it; bounds that fit are kept as saved. Used by the main
// window when it is first shown.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

#include "ui/SettingsFile.h"

// The frame's top left corner and the window's own size; frame: the widths
// the window system's frame adds on each side.
QRect FitOnScreen(const WindowPlacement& placement, QSize designSize, QMargins frame);
