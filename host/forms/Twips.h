#pragma once

// Positions and sizes in designer data and on forms are twips; drawing is in pixels.
namespace host {

inline constexpr int TwipsPerPixel = 15;

constexpr int PixelsFromTwips(int twips)
{
    // Floor, so that a negative position lands on the pixel that holds it.
    return twips >= 0 ? twips / TwipsPerPixel : -((-twips + TwipsPerPixel - 1) / TwipsPerPixel);
}

constexpr int TwipsFromPixels(int pixels) { return pixels * TwipsPerPixel; }

} // namespace host
