#include "ButtonFace.h"

#include "Face.h"
#include "Styles.h"

#include "host/gfx/SystemColors.h"

#include <array>

namespace paint {

void Surface::SetBackColor(std::uint32_t colorref)
{
    backColor = colorref;
    Cls();
}

void Surface::Cls() { image.fill(host::ToRgb(backColor)); }

const Look& LookOf(std::int32_t style)
{
    static const std::array<Look, 11> looks = {{
        {PaintRaisedEdge, 4, false},
        {PaintThinEdge, 4, false},
        {PaintFlatUntilHot, 4, false},
        {PaintEtched, 4, false},
        {PaintTinted, 4, false},
        {PaintRoundedGradient, 5, true},
        {PaintThemed, 4, true},
        {PaintShaded, 5, true},
        {PaintBevelled, 4, true},
        {PaintCapsule, 7, false},
        {PaintSkin, 7, true},
    }};
    static const Look other{};
    return style >= 0 && style < std::int32_t(looks.size()) ? looks[std::size_t(style)] : other;
}

namespace {

// What the face shows: the designer shows the hover look (the rounded gradient style keeps
// its own), a toggle that is down stays pressed, and a disabled button is disabled.
void SettleDrawState(ButtonFields& fields, Surface& surface)
{
    if (!surface.userMode && fields.Style != 5)
        fields.DrawState = Hover;
    if (fields.ButtonType == 1 && fields.Value)
        fields.DrawState = Pressed;
    if (!fields.Enabled) {
        fields.DrawState = Disabled;
        surface.SetBackColor(host::GetSysColor(host::COLOR_BTNFACE));
    }
}

COLORREF CaptionColor(const ButtonFields& fields)
{
    const COLORREF grey = TranslateColor(0x80000000u | host::COLOR_GRAYTEXT);
    if (fields.DrawState == Disabled)
        return grey;
    if (!fields.UseCustomColors)
        return host::GetSysColor(host::COLOR_BTNTEXT);
    const bool hot = fields.DrawState == Hover || fields.DrawState == Pressed;
    return TranslateColor(hot ? fields.FontHighlightColor : fields.FontColor);
}

bool ShowsFocusMark(const ButtonFields& fields, const Look& look)
{
    return fields.HasFocus && fields.FocusCue && !look.drawsOwnFocus;
}

} // namespace

void DrawFocusMark(Face& face)
{
    const COLORREF color = CaptionColor(face.fields);
    const int left = FocusMarkInset, top = FocusMarkInset;
    const int right = face.W() - 1 - FocusMarkInset, bottom = face.H() - 1 - FocusMarkInset;
    if (right < left || bottom < top)
        return;
    // Dots on even (x + y), so the pattern meets itself at every corner.
    auto dot = [&](int x, int y) {
        if ((x + y) % 2 == 0)
            face.SetPixel(x, y, color);
    };
    for (int x = left; x <= right; ++x) {
        dot(x, top);
        dot(x, bottom);
    }
    for (int y = top + 1; y < bottom; ++y) {
        dot(left, y);
        dot(right, y);
    }
}

void DrawCaption(Face& face)
{
    if (face.fields.Caption.isEmpty())
        return;
    const std::uint32_t previous = face.surface.foreColor;
    face.surface.foreColor = CaptionColor(face.fields);
    face.dc.SetTextColor(face.surface.foreColor);
    face.dc.SetFont(face.fields.Font);
    const Rect& r = face.fields.CaptionRect;
    face.dc.DrawText(face.fields.Caption, {r.Left, r.Top, r.Right, r.Bottom}, unsigned(face.fields.CaptionFormat));
    face.surface.foreColor = previous;
}

QPoint IconPosition(std::int32_t iconAlign, int W, int H, int size, int margin)
{
    const int centreX = Nearest((W - size) / 2.0), centreY = Nearest((H - size) / 2.0);
    switch (iconAlign) {
    case 0: return {centreX, centreY};
    case 1: return {margin, centreY};
    case 2: return {W - size - margin, centreY};
    case 3: return {centreX, margin};
    case 4: return {centreX, H - size - margin};
    default: return {0, 0};
    }
}

void DrawIcon(Face& face, int margin)
{
    const ButtonFields& fields = face.fields;
    if (!fields.Icon || fields.Icon->isNull())
        return;
    const int size = fields.IconSize;
    QPoint at = IconPosition(fields.IconAlign, face.W(), face.H(), size, margin);
    if (fields.DrawState == Pressed)
        at += QPoint(1, 1);
    if (fields.DrawState == Hover && fields.Style == 4) {
        // The icon's silhouette against the face becomes a grey shadow; the icon sits up-left of it.
        face.dc.PaintPicture(*fields.Icon, at.x(), at.y(), size, size);
        const COLORREF background = face.dc.GetPixel(1, 1);
        for (int x = at.x(); x <= at.x() + size; ++x)
            for (int y = at.y(); y <= at.y() + size; ++y)
                if (face.dc.GetPixel(x, y) != background)
                    face.SetPixel(x, y, host::RGB(128, 128, 128));
        at -= QPoint(2, 2);
    }
    face.dc.PaintPicture(*fields.Icon, at.x(), at.y(), size, size);
}

void Refresh(ButtonFields& fields, Surface& surface)
{
    surface.Cls();
    SettleDrawState(fields, surface);
    Face face(fields, surface);
    const Look& look = LookOf(fields.Style);
    if (look.paint)
        look.paint(face); // style 6 may change Style here; the margin stays the one it drew with
    // On the face, under the caption and the icon, which a long caption or a shadowed icon may cross.
    if (look.paint && ShowsFocusMark(fields, look))
        DrawFocusMark(face);
    DrawCaption(face);
    DrawIcon(face, look.iconMargin);
}

QRegion MakeRectRegion(int W, int H) { return host::CreateRectRgn(0, 0, W, H); }

QRegion MakeChamferRegion(int W, int H)
{
    const std::array<QPoint, 8> points = {{{0, 1}, {1, 0}, {W - 1, 0}, {W, 1}, {W, H - 2}, {W - 2, H}, {2, H}, {0, H - 2}}};
    return host::CreatePolygonRgn(points);
}

QRegion MakeWideChamferRegion(int W, int H)
{
    const std::array<QPoint, 8> points = {{{0, 2}, {2, 0}, {W - 3, 0}, {W, 3}, {W, H - 3}, {W - 3, H}, {4, H}, {0, H - 4}}};
    return host::CreatePolygonRgn(points);
}

// The skin's corner maps are drawn to fill exactly this outline.
QRegion MakeRoundRegion(int W, int H) { return host::CreateRoundRectRgn(0, 0, W + 1, H + 1, 18, 18); }

} // namespace paint
