#pragma once

// The button's properties in one table: the name the host is told of a change, the key in
// stored data, the stored default and what a change redraws. Setters, reading and writing of
// stored data all follow it, so a name or a default is spelled once.

#include "button/paint/ButtonFace.h"
#include "host/gfx/Raster.h"

#include <cstddef>
#include <cstdint>
#include <variant>

namespace button {

using paint::ButtonFields;

// Unsigned fields are colours: stored as hexadecimal text, defaulting to a system colour.
using Field = std::variant<std::int32_t ButtonFields::*, std::uint32_t ButtonFields::*, bool ButtonFields::*,
                           QString ButtonFields::*, std::optional<QImage> ButtonFields::*, QFont ButtonFields::*>;

// What a change redraws once the host has been told.
enum class Redraw {
    Layout,   // rectangles, outline and face anew
    Face,     // the face only
    OwnSetter // the setter does it in its own order
};

// A value equal to the stored default is left out, unless stored data has always carried it.
enum class Saved { UnlessDefault, Always };

struct Property {
    const char* name;
    const char* key; // spelled as stored data has always spelled it
    Field field;
    std::int32_t storedDefault; // for colours, the system colour's index; unused for texts, picture and font
    Redraw redraw;
    Saved saved = Saved::UnlessDefault;
};

// In the order they are stored.
inline constexpr Property Properties[] = {
    {"Icon", "Icon", &ButtonFields::Icon, 0, Redraw::Layout},
    {"Style", "Style", &ButtonFields::Style, 3, Redraw::Layout},
    {"Caption", "Caption", &ButtonFields::Caption, 0, Redraw::Layout},
    {"IconSize", "IconSize", &ButtonFields::IconSize, 16, Redraw::Layout},
    {"IconAlign", "IconAlign", &ButtonFields::IconAlign, 0, Redraw::Layout},
    {"CaptionAlign", "CaptionAlign", &ButtonFields::CaptionAlign, 0, Redraw::Layout},
    {"NonThemeStyle", "iNonThemeStyle", &ButtonFields::NonThemeStyle, 5, Redraw::Layout},
    {"Enabled", "Enabled", &ButtonFields::Enabled, true, Redraw::OwnSetter},
    {"ShowFocus", "ShowFocus", &ButtonFields::ShowFocus, false, Redraw::Face},
    {"UseCustomColors", "USeCustomColors", &ButtonFields::UseCustomColors, false, Redraw::Face},
    {"BackColor", "BackColor", &ButtonFields::BackColor, host::COLOR_BTNFACE, Redraw::Face},
    {"HighlightColor", "HighlightColor", &ButtonFields::HighlightColor, host::COLOR_HIGHLIGHT, Redraw::Face},
    {"FontColor", "FontColor", &ButtonFields::FontColor, host::COLOR_BTNTEXT, Redraw::Face},
    {"FontHighlightColor", "FontHighlightColor", &ButtonFields::FontHighlightColor, host::COLOR_BTNTEXT,
     Redraw::Face},
    // Its default is the host's own tooltip text (see ReadProperties).
    {"ToolTipText", "ToolTipText", &ButtonFields::ToolTip, 0, Redraw::Face},
    {"TooltipTitle", "Tooltiptitle", &ButtonFields::ToolTipTitle, 0, Redraw::Face, Saved::Always},
    {"TooltipIcon", "ToolTipIcon", &ButtonFields::ToolTipIcon, 0, Redraw::Face, Saved::Always},
    {"ToolTipType", "ToolTipType", &ButtonFields::ToolTipType, 1, Redraw::Face, Saved::Always},
    // The tooltip defaults are crossed (text colour for the background and back), as the
    // stored format has always had them.
    {"ToolTipBackColor", "ttBackColor", &ButtonFields::ToolTipBackColor, host::COLOR_INFOTEXT, Redraw::Face},
    {"ToolTipForeColor", "ttForeColor", &ButtonFields::ToolTipForeColor, host::COLOR_INFOBK, Redraw::Face},
    {"Font", "Font", &ButtonFields::Font, 0, Redraw::OwnSetter, Saved::Always},
    {"ButtonType", "ButtonType", &ButtonFields::ButtonType, 0, Redraw::Face},
    {"Value", "Value", &ButtonFields::Value, false, Redraw::Face},
};

// The table's row of a field; a field missing from the table does not compile.
template <auto Member>
consteval const Property& PropertyOf()
{
    for (const Property& property : Properties)
        if (property.field == Field(Member))
            return property;
    throw "a button field without a row in the property table";
}

// One callable from several lambdas, for std::visit over a Field.
template <typename... Lambdas>
struct Overloaded : Lambdas... {
    using Lambdas::operator()...;
};
// clang 14 does not deduce an aggregate's arguments by itself.
template <typename... Lambdas>
Overloaded(Lambdas...) -> Overloaded<Lambdas...>;

} // namespace button
