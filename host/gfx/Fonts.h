#pragma once

#include <QFont>
#include <QString>

namespace host {

// "Verdana, 8.25" or "MS Sans Serif, 18, bold": family, points, then flags
// (bold, italic, underline). Sizes are points at 96 dots per inch, as designed.
QFont FontFromText(const QString& text);

// The designed faces are not on every system; maps them to look-alikes that are.
void RegisterFontSubstitutes();

} // namespace host
