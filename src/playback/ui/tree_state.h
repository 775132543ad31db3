#pragma once
// A song node of the main window's library tree carries a state image index (1 playing, 2 paused,
// 3 stopped) in this item data role, as an int; a node without it has none.

#include <Qt>

namespace playback {

inline constexpr int kTreeStateIndexRole = Qt::UserRole + 1;

}  // namespace playback
