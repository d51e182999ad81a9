#pragma once

#include <QColor>

#include <array>
#include <cstdint>

namespace host {

// Colours as the program stores them: 0x00BBGGRR, or 0x80000000 + a system colour index.
using OleColor = std::uint32_t;

inline constexpr int SystemColorCount = 31;
using SystemColorTable = std::array<std::uint32_t, SystemColorCount>; // 0x00BBGGRR each

// The platform's standard colours; the table in use starts as a copy of it.
const SystemColorTable& StandardSystemColors();
std::uint32_t GetSysColor(int index);
void SetSystemColors(const SystemColorTable& table);

// A plain colour stays as it is; a system colour is looked up. -1 for an unknown one.
std::int64_t TranslateColor(OleColor color);
QColor ToQColor(std::uint32_t colorref);
// Translated, with black standing in for an unknown system colour.
QColor QColorFromOle(OleColor color);

} // namespace host
