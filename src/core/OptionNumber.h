// The window's option buttons by what they mean; the numbers are the buttons' own
// (Option1 ... Option9) and are what the settings store keeps for the icon size.
#pragma once

namespace OptionNumber {
inline constexpr int Size16 = 1;
inline constexpr int Size24 = 2;
inline constexpr int Size32 = 3;
inline constexpr int Size48 = 4;
inline constexpr int Size64 = 5;
inline constexpr int Size72 = 6;
inline constexpr int UserDefinedSize = 7;
inline constexpr int SaveToFolder = 8;
inline constexpr int SaveBesideSource = 9;
} // namespace OptionNumber
