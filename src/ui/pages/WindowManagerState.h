#pragma once

#include <optional>

class QWidget;

// Whether the window manager holds the top-level window full screen, asked of the display
// server itself. Qt's own state can lag behind: a change the window manager makes while the
// reader is busy may never reach it. Empty where the platform cannot tell (offscreen, Wayland).
std::optional<bool> windowManagerFullScreen(const QWidget &window);
