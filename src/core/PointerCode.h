// The main window's pointer codes, shared by every handler that shows work going on.
#pragma once

namespace PointerCode {
inline constexpr int Default = 0;
inline constexpr int Busy = 11;
inline constexpr int Custom = 99;
} // namespace PointerCode
