#pragma once

#include "host/gfx/Raster.h"

#include <array>
#include <cstdint>
#include <span>

// The pixel-map skin: fixed artwork in three colourings, grey at rest, blue under the pointer
// or with the focus, dark blue pressed. Colours are 0xRRGGBB.
namespace paint::skin {

struct SkinArt {
    std::uint32_t centre;
    std::array<std::uint32_t, 18> left;   // columns 0..17
    std::array<std::uint32_t, 17> right;  // columns W-17..W-1
    std::array<std::uint32_t, 12> top;    // rows 0..11
    std::array<std::uint32_t, 12> bottom; // rows H-11..H
    // Anchored at (0, 0), (0, H), (W, 0) and (W, H); some pixels lie just past the surface.
    std::span<const host::ArtPixel> topLeft, bottomLeft, topRight, bottomRight;
};

const SkinArt& Grey();
const SkinArt& Blue();
const SkinArt& DarkBlue();
const SkinArt& SkinFor(std::int32_t drawState, bool hasFocus);

} // namespace paint::skin
