#include "Style10Skin.h"

#include "ButtonFace.h"
#include "Face.h"
#include "Styles.h"

namespace paint::skin {
namespace {
#include "Style10CornerMaps.inc"

COLORREF FromHex(std::uint32_t rgb) { return host::RGB(int(rgb >> 16), int(rgb >> 8), int(rgb)); }

} // namespace

const SkinArt& Grey() { return GreySkin; }
const SkinArt& Blue() { return BlueSkin; }
const SkinArt& DarkBlue() { return DarkBlueSkin; }

const SkinArt& SkinFor(std::int32_t drawState, bool hasFocus)
{
    if (drawState == Pressed)
        return DarkBlueSkin;
    return drawState == Hover || hasFocus ? BlueSkin : GreySkin;
}

} // namespace paint::skin

namespace paint {

// Centre, corners, then the edge lines stretched between them; where pieces meet on a small
// button, the later one wins. Colour properties play no part.
void PaintSkin(Face& face)
{
    const skin::SkinArt& art = skin::SkinFor(face.State(), face.fields.HasFocus);
    const int W = face.W(), H = face.H();
    FillBox(face.dc, 18, 11, W - 34, H - 19, skin::FromHex(art.centre));
    face.dc.SetPixels(art.topLeft, {0, 0});
    face.dc.SetPixels(art.bottomLeft, {0, H});
    face.dc.SetPixels(art.topRight, {W, 0});
    face.dc.SetPixels(art.bottomRight, {W, H});
    for (int i = 0; i < int(art.left.size()); ++i)
        face.DrawLine(i, 11, i, H - 10, skin::FromHex(art.left[std::size_t(i)]));
    for (int i = 0; i < int(art.right.size()); ++i)
        face.DrawLine(W - 17 + i, 11, W - 17 + i, H - 10, skin::FromHex(art.right[std::size_t(i)]));
    for (int i = 0; i < int(art.top.size()); ++i)
        face.DrawLine(17, i, W - 17, i, skin::FromHex(art.top[std::size_t(i)]));
    for (int i = 0; i < int(art.bottom.size()); ++i)
        face.DrawLine(17, H - 11 + i, W - 17, H - 11 + i, skin::FromHex(art.bottom[std::size_t(i)]));
}

} // namespace paint
