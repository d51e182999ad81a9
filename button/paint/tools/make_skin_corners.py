#!/usr/bin/env python3
"""Draws the corner pieces of the pixel-map skin (button style 10) and writes them, with the
skin's edge profiles and centre colours, as C++ data.

    python3 button/paint/tools/make_skin_corners.py button/paint/Style10CornerMaps.inc
    python3 button/paint/tools/make_skin_corners.py --check button/paint/Style10CornerMaps.inc

Which pixels a corner sets is drawn below as masks ('#' set, '.' not set), one line per row.
On the surface a corner sets exactly the pixels inside the button's window outline, the rounded
rectangle of ellipse 18: nothing shows through the window, nothing painted is cut away.
Left corners are columns 0..17; right corners are columns W-17..W, the last character being
column W, just past the surface. Top corners start at row 0; bottom corners end with row H, just
past the surface. Pixels past the surface are invisible; they are kept because the skin's pixel
counts include them.

A pixel's colour comes from the edge profiles: along the straight parts a corner repeats the
profile of the edge it joins, so it meets the edge lines without a seam; around the rounded
part it follows an ellipse, blending the side profile into the top or bottom profile by angle,
and fades to white outside the outline. A few rows are fixed by hand (HAND_DRAWN_ROWS).

Change a mask or an ellipse, run the first command, rebuild; the generator refuses masks that
leave the window outline or drift from the counts, and the tests check the outline and the seams.
"""

import math
import sys

# Edge profiles, as 0xRRGGBB. Columns from the outer edge inward; the right columns run
# W-17..W-1 and the bottom rows H-11..H, as the painter draws them.
PROFILES = {
    "Grey": {
        "centre": 0xE8E7EA,
        "left": [0xF7F7F7, 0xA0A0A0, 0x999999, 0xC3C3C3, 0xC9C9C9, 0xD5D5D5, 0xD7D7D7, 0xDFDFDF, 0xE0E0E0,
                 0xE0E0E0, 0xE4E4E4, 0xE6E8E6, 0xE7E7E8, 0xE8E7EA, 0xE8E7EA, 0xE8E7EA, 0xE8E7EA, 0xE8E7EA],
        "right": [0xE8E7EA, 0xE8E7EA, 0xE8E7EA, 0xE8E7EA, 0xE7E7E7, 0xE6E6E6, 0xE4E4E4, 0xE0E0E0, 0xE0E0E0,
                  0xDEDEDE, 0xD9D9D9, 0xD3D3D3, 0xCCCCCC, 0xC3C3C3, 0xA3A3A3, 0x9C9C9C, 0xF6F6F6],
        "top": [0x6A6967, 0xF6F4F5, 0xF4F2F3, 0xEEEEEE, 0xEBEBEB, 0xEAE8EB, 0xEAE8EB, 0xEAEAEA, 0xE1E1E1,
                0xE3E2E5, 0xE8E7EA, 0xE9EBE8],
        "bottom": [0xE9EBE8, 0xEFF1EE, 0xF2F2F2, 0xF5F5F5, 0xFEFEFF, 0xFFFFFF, 0xFDFDFD, 0xFEFEFE, 0xFBFBFB,
                   0x545454, 0xC5C5C5, 0xECECEC],
    },
    "Blue": {
        "centre": 0x6AA6E2,
        "left": [0xF7F7F7, 0x9EA0B0, 0x132E71, 0x145FBD, 0x2773D1, 0x317FD4, 0x3D8CD9, 0x4B94D9, 0x4F94D7,
                 0x559CDC, 0x579BDC, 0x62A3E3, 0x65A2E3, 0x67A3E2, 0x65A1E0, 0x6AA6E3, 0x6AA6E3, 0x6AA6E2],
        "right": [0x6AA6E2, 0x6AA6E2, 0x64A4E1, 0x63A3E0, 0x63A3E0, 0x61A1E1, 0x5B9FE0, 0x5598DE, 0x5297DC,
                  0x4B93DB, 0x398DD6, 0x2D7FD1, 0x2674D6, 0x135DC0, 0x14357C, 0x989BAB, 0xF6F6F6],
        "top": [0x080645, 0xC9D4F1, 0xBDC8E5, 0xA1C0E8, 0x98B8E0, 0x8EB4E3, 0x8BB1E0, 0x7FB4E9, 0x6399CE,
                0x64A0DD, 0x6AA6E2, 0x76ACE6],
        "bottom": [0x76ACE6, 0x81B6F1, 0x8ABDF3, 0x92C5FC, 0x97CEF8, 0x9ED5FE, 0xA3DDF7, 0xADE6FF, 0xC5E2E9,
                   0x405D63, 0xC5C5C5, 0xECECEC],
    },
    "DarkBlue": {
        "centre": 0x6A9BCC,
        "left": [0xF7F7F7, 0x9B9DA9, 0x172D63, 0x1D5AA6, 0x2E6CB9, 0x3877BC, 0x4282C1, 0x4E89C2, 0x528AC1,
                 0x5791C5, 0x5991C5, 0x6398CC, 0x6596CC, 0x6797CB, 0x6595C9, 0x6A9ACC, 0x6A9ACC, 0x6A9BCC],
        "right": [0x6A9BCC, 0x6A9BCC, 0x6498CA, 0x6397C9, 0x6397C9, 0x6295CA, 0x5D94C9, 0x578EC6, 0x558CC4,
                  0x4E88C3, 0x3E82BE, 0x3476B9, 0x2D6DBD, 0x1C58A8, 0x19336D, 0x9497A4, 0xF6F6F6],
        "top": [0x0A093C, 0xBEC7DE, 0xB2BCD3, 0x9AB3D4, 0x92ACCC, 0x8AA8CF, 0x87A5CC, 0x7DA7D2, 0x628EB9,
                0x6494C6, 0x6A9BCC, 0x75A1D0],
        "bottom": [0x75A1D0, 0x7FAADA, 0x87B0DC, 0x8EB8E4, 0x93BFE1, 0x99C6E7, 0x9DCCE2, 0xA6D5E9, 0xBAD2D7,
                   0x3E565A, 0xC5C5C5, 0xECECEC],
    },
}

# The grey skin's corners are two rows taller at the top and two rows shorter at the bottom
# than the blue ones; the two blue skins share one set of masks.
MASKS = {
    ("Grey", "TopLeft"): """
        ......############
        ....##############
        ...###############
        ..################
        .#################
        .#################
        ##################
        ##################
        ##################
        ##################
        ##################
        ##################
        ##################""",
    ("Grey", "BottomLeft"): """
        ##################
        ##################
        ##################
        ##################
        .#################
        .#################
        ..################
        ...###############
        ....##############
        ......############
        ........##########""",
    ("Grey", "TopRight"): """
        ###########.......
        #############.....
        ##############...#
        ###############..#
        ################.#
        ################.#
        ##################
        ##################
        ##################
        ##################
        ##################
        ##################
        ##################""",
    ("Grey", "BottomRight"): """
        ##################
        ##################
        ##################
        #################.
        ################..
        ################..
        ###############...
        ##############....
        #############.....
        ###########.......
        ..................""",
    ("Blue", "TopLeft"): """
        ......############
        ....##############
        ...###############
        ..################
        .#################
        .#################
        ##################
        ##################
        ##################
        ##################
        ##################""",
    ("Blue", "BottomLeft"): """
        ##################
        ##################
        ##################
        ##################
        ##################
        ##################
        .#################
        .#################
        ..################
        ...###############
        ....##############
        ......############
        ...###############""",
    ("Blue", "TopRight"): """
        ###########.......
        #############.....
        ##############...#
        ###############..#
        ################.#
        ################.#
        ##################
        ##################
        ##################
        ##################
        ##################""",
    ("Blue", "BottomRight"): """
        ##################
        ##################
        ##################
        ##################
        ##################
        #################.
        ################..
        ################..
        ###############...
        ##############....
        #############.....
        ###########.......
        ######............""",
}

# The skin's pixel counts per corner (761 grey, 772 each blue); a mask that drifts from them is
# refused. They count every pixel inside the window outline that the corner covers, and those
# past the surface.
EXPECTED_COUNTS = {
    "Grey": {"TopLeft": 217, "BottomLeft": 173, "TopRight": 215, "BottomRight": 156},
    "Blue": {"TopLeft": 181, "BottomLeft": 214, "TopRight": 179, "BottomRight": 198},
}

# The rounded part of each corner: an ellipse with its outline at `edge` (u, v) profile steps
# in from the outer column and row, of radii (ru, rv). u counts columns in from the outer side
# (W-1 on the right), v rows in from the outer row (row H at the bottom, where the profile
# starts). The ellipses reach no further in than the last corner row and column drawn before
# the edge lines, so the straight parts carry the edge profiles exactly.
ELLIPSES = {
    "TopLeft": {"edge": (1.5, 0.0), "radii": (9.8, 9.8)},
    "TopRight": {"edge": (1.5, 0.0), "radii": (9.8, 9.8)},
    "BottomLeft": {"edge": (1.5, 2.0), "radii": (10.4, 8.0)},
    "BottomRight": {"edge": (1.5, 2.0), "radii": (10.4, 8.0)},
}

# Rows drawn by hand: (skin, corner, row index in the mask) -> colours, left to right, of the
# set pixels next to the edge line; any set pixels further out are computed.
HAND_DRAWN_ROWS = {
    ("Grey", "TopLeft", 0): [0xFEFEFE, 0xE6E6E6, 0xACACAC, 0x7A7A7A, 0x6C6C6C, 0x6B6B6B, 0x6F6F6F, 0x6F6F71,
                             0x707072, 0x666867, 0x6B6D6C, 0x6A6967],
    ("Grey", "TopLeft", 1): [0xEFEFEF, 0x939393, 0x676767, 0x797979, 0xB3B3B3, 0xDBDBDB, 0xEEEDEB, 0xF6F4F5,
                             0xF6F4F5, 0xF6F4F5, 0xF6F4F5, 0xF6F4F5, 0xF6F4F5],
    ("Blue", "TopLeft", 0): [0xFEFEFE, 0xE5E5E6, 0xA5A5A9, 0x5E5E6C, 0x292748, 0x0C0D37, 0x060737, 0x050636,
                             0x06063A, 0x070841, 0x070745, 0x080645],
    ("DarkBlue", "TopLeft", 0): [0xFEFEFE, 0xE4E4E5, 0xA2A2A5, 0x5C5C67, 0x292742, 0x0D0E30, 0x090A30,
                                 0x08092F, 0x090933, 0x0A0A39, 0x0A0A3C, 0x0A093C],
    ("Grey", "BottomRight", 9): [0xC5C5C5, 0xC5C5C5, 0xC6C6C6, 0xC6C6C6, 0xC6C6C6, 0xC9C9C9, 0xCECECE,
                                 0xD7D7D7, 0xE1E1E1, 0xECECEC, 0xF6F6F6],
}

CORNERS = ["TopLeft", "BottomLeft", "TopRight", "BottomRight"]
SKINS = ["Grey", "Blue", "DarkBlue"]
WHITE = 0xFFFFFF


def mask_of(skin, corner):
    shared = "Grey" if skin == "Grey" else "Blue"
    lines = [line.strip() for line in MASKS[(shared, corner)].strip().splitlines()]
    assert all(len(line) == 18 and set(line) <= {"#", "."} for line in lines), (skin, corner)
    return lines


def channels(c):
    return (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF


def mix(a, b, t):
    """a at t = 0, b at t = 1, channel by channel."""
    t = min(max(t, 0.0), 1.0)
    return tuple(ca + (cb - ca) * t for ca, cb in zip(a, b))


def sample(profile, t):
    """The profile at a fractional step; before its first step it fades to white."""
    if t <= 0:
        return mix(channels(profile[0]), channels(WHITE), -t)
    if t >= len(profile) - 1:
        return channels(profile[-1])
    i = int(math.floor(t))
    return mix(channels(profile[i]), channels(profile[i + 1]), t - i)


def pack(rgb):
    r, g, b = (min(255, max(0, round(c))) for c in rgb)
    return (r << 16) | (g << 8) | b


def corner_profiles(skin, corner):
    """The side profile by u and the top or bottom profile by v, both from the outer edge."""
    p = PROFILES[skin]
    side = p["left"] if corner.endswith("Left") else list(reversed(p["right"]))
    across = p["top"] if corner.startswith("Top") else list(reversed(p["bottom"]))
    return side, across


def local(corner, column, row, rows):
    """(u, v) of a mask cell: u columns in from the outer side, v rows in from the outer row."""
    u = column if corner.endswith("Left") else 16 - column  # the mask's last column is W: u = -1
    v = row if corner.startswith("Top") else rows - 1 - row  # the mask's last row is H: v = 0
    return u, v


def colour_at(skin, corner, u, v):
    side, across = corner_profiles(skin, corner)
    (eu, ev), (ru, rv) = ELLIPSES[corner]["edge"], ELLIPSES[corner]["radii"]
    cu, cv = eu + ru, ev + rv
    if u >= cu and v >= cv:  # inside both straight parts: the nearer edge's profile
        return pack(sample(side, u) if u - eu < v - ev else sample(across, v))
    if u >= cu:
        return pack(sample(across, v))
    if v >= cv:
        return pack(sample(side, u))
    du, dv = cu - u, cv - v
    q = math.hypot(du / ru, dv / rv)
    gradient = math.hypot(du / ru**2, dv / rv**2) / q
    depth = (1 - q) / gradient  # pixels inside the outline, negative outside
    angle = math.atan2(dv, du) / (math.pi / 2)
    towards_across = angle * angle * (3 - 2 * angle)  # eased, so the straight parts join smoothly
    return pack(mix(sample(side, eu + depth), sample(across, ev + depth), towards_across))


def hand_drawn(skin, corner, row, columns):
    """Mask column -> colour of a hand-drawn row, laid from the inner end of the row, where it
    joins the edge line; pixels nearer the outline than the drawing reaches are computed."""
    colours = HAND_DRAWN_ROWS.get((skin, corner, row), [])
    assert len(colours) <= len(columns), (skin, corner, row)
    inner_first = columns[::-1] if corner.endswith("Left") else columns
    return dict(zip(inner_first, colours[::-1] if corner.endswith("Left") else colours))


def corner_pixels(skin, corner):
    """(x, y, colour) with x from 0 (left) or from W (right), y from 0 (top) or from H (bottom)."""
    mask = mask_of(skin, corner)
    rows = len(mask)
    pixels = []
    for row, line in enumerate(mask):
        columns = [c for c, cell in enumerate(line) if cell == "#"]
        fixed = hand_drawn(skin, corner, row, columns)
        for column in columns:
            u, v = local(corner, column, row, rows)
            colour = fixed.get(column) or colour_at(skin, corner, u, v)
            x = column if corner.endswith("Left") else column - 17
            y = row if corner.startswith("Top") else row - (rows - 1)
            pixels.append((x, y, colour))
    return pixels


def window_cuts():
    """Per row from the outer one inward, the pixels the button's window outline leaves out at
    each end: the rounded rectangle of ellipse 18 that the look asks of its window (the same
    rows as host::CreateRoundRectRgn, far enough from the other end of the button)."""
    radius, cuts = 9.0, []
    for row in range(int(radius)):
        dy = radius - (row + 0.5)
        inset = radius - radius * math.sqrt(max(0.0, 1 - (dy / radius) ** 2))
        cuts.append(math.ceil(inset - 0.5))
    while cuts and cuts[-1] == 0:
        cuts.pop()
    return cuts


def check_outline():
    """Every visible row of a corner sets exactly the pixels inside the window outline: a
    pixel left out would show the background through the window, one set beyond it is lost."""
    want = window_cuts()
    for skin in ("Grey", "Blue"):
        for corner in CORNERS:
            mask = mask_of(skin, corner)
            visible = mask if corner.startswith("Top") else list(reversed(mask[:-1]))
            for k, line in enumerate(visible):
                line = line if corner.endswith("Left") else line[16::-1]  # outer visible column first
                cut = want[k] if k < len(want) else 0
                if line != "." * cut + "#" * (len(line) - cut):
                    sys.exit(f"{skin} {corner}, row {k} in from the outline: {line} leaves out other than {cut} pixels")


def check_counts():
    for skin in SKINS:
        shared = "Grey" if skin == "Grey" else "Blue"
        for corner in CORNERS:
            n = len(corner_pixels(skin, corner))
            want = EXPECTED_COUNTS[shared][corner]
            if n != want:
                sys.exit(f"{skin} {corner}: the mask sets {n} pixels, the skin needs {want}")


def hex_list(values, per_line, indent):
    items = [f"0x{v:06X}" for v in values]
    lines = [", ".join(items[i:i + per_line]) for i in range(0, len(items), per_line)]
    return (",\n" + indent).join(lines)


def render():
    check_outline()
    check_counts()
    out = [
        "// Generated by button/paint/tools/make_skin_corners.py; do not edit by hand. To change the",
        "// skin, edit the generator and run",
        "//   python3 button/paint/tools/make_skin_corners.py button/paint/Style10CornerMaps.inc",
        "// Colours are 0xRRGGBB. Corner pixels: x from column 0 (left corners) or from W (right),",
        "// y from row 0 (top corners) or from H (bottom).",
        "",
    ]
    for skin in SKINS:
        for corner in CORNERS:
            pixels = corner_pixels(skin, corner)
            items = [f"{{{x}, {y}, 0x{c:06X}}}" for x, y, c in pixels]
            body = ",\n    ".join(", ".join(items[i:i + 4]) for i in range(0, len(items), 4))
            out.append(f"inline constexpr host::ArtPixel {skin}{corner}[{len(pixels)}] = {{\n    {body},\n}};")
        out.append("")
    for skin in SKINS:
        p = PROFILES[skin]
        out.append(f"inline constexpr SkinArt {skin}Skin = {{")
        out.append(f"    0x{p['centre']:06X},")
        for key in ("left", "right", "top", "bottom"):
            out.append(f"    {{{hex_list(p[key], 6, '     ')}}},")
        out.append(f"    {skin}TopLeft, {skin}BottomLeft, {skin}TopRight, {skin}BottomRight,")
        out.append("};")
    return "\n".join(out) + "\n"


def main(argv):
    args = argv[1:]
    check = bool(args) and args[0] == "--check"
    if check:
        args = args[1:]
    if len(args) != 1:
        sys.exit(__doc__)
    text = render()
    if check:
        with open(args[0], encoding="utf-8") as f:
            if f.read() != text:
                sys.exit(f"{args[0]} differs from what {argv[0]} makes; run it without --check")
        return
    with open(args[0], "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main(sys.argv)
