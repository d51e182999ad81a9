#include "SystemColors.h"

namespace host {

namespace {

constexpr std::uint32_t rgb(int r, int g, int b) { return std::uint32_t(r) | (std::uint32_t(g) << 8) | (std::uint32_t(b) << 16); }

constexpr SystemColorTable Standard = {
    rgb(200, 200, 200), // scroll bar
    rgb(0, 0, 0),       // desktop
    rgb(153, 180, 209), // active caption
    rgb(191, 205, 219), // inactive caption
    rgb(240, 240, 240), // menu
    rgb(255, 255, 255), // window
    rgb(100, 100, 100), // window frame
    rgb(0, 0, 0),       // menu text
    rgb(0, 0, 0),       // window text
    rgb(0, 0, 0),       // caption text
    rgb(180, 180, 180), // active border
    rgb(244, 247, 252), // inactive border
    rgb(171, 171, 171), // application workspace
    rgb(51, 153, 255),  // highlight
    rgb(255, 255, 255), // highlight text
    rgb(240, 240, 240), // button face
    rgb(160, 160, 160), // button shadow
    rgb(109, 109, 109), // grey text
    rgb(0, 0, 0),       // button text
    rgb(67, 78, 84),    // inactive caption text
    rgb(255, 255, 255), // button highlight
    rgb(105, 105, 105), // 3-D dark shadow
    rgb(227, 227, 227), // 3-D light
    rgb(0, 0, 0),       // tooltip text
    rgb(255, 255, 225), // tooltip background
    rgb(0, 0, 0),       // (unused)
    rgb(0, 102, 204),   // hot-tracked item
    rgb(185, 209, 234), // active caption gradient
    rgb(215, 228, 242), // inactive caption gradient
    rgb(51, 153, 255),  // menu highlight
    rgb(240, 240, 240), // menu bar
};

SystemColorTable g_table = Standard;

} // namespace

const SystemColorTable& StandardSystemColors() { return Standard; }

std::uint32_t GetSysColor(int index)
{
    return index >= 0 && index < SystemColorCount ? g_table[std::size_t(index)] : 0;
}

void SetSystemColors(const SystemColorTable& table) { g_table = table; }

std::int64_t TranslateColor(OleColor color)
{
    if ((color & 0xFF000000u) == 0)
        return color;
    if ((color & 0x80000000u) == 0)
        return -1; // palette forms are not supported
    const std::uint32_t index = color & 0x7FFFFFFFu;
    if (index >= std::uint32_t(SystemColorCount))
        return -1;
    return g_table[index];
}

QColor ToQColor(std::uint32_t colorref)
{
    return QColor(int(colorref & 0xFF), int((colorref >> 8) & 0xFF), int((colorref >> 16) & 0xFF));
}

QColor QColorFromOle(OleColor color)
{
    const std::int64_t translated = TranslateColor(color);
    return translated < 0 ? QColor(Qt::black) : ToQColor(std::uint32_t(translated));
}

} // namespace host
