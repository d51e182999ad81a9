#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace bench {

// Which pixels of a window have been drawn since it was mapped. A client may put its
// first frame in several pieces, and pieces may overlap, so a running sum of areas
// would call a frame complete too early.
class DamageCoverage {
public:
    // A new size starts over: the earlier pieces belonged to another frame.
    void Resize(int width, int height)
    {
        if (width == m_width && height == m_height)
            return;
        m_width = std::max(0, width);
        m_height = std::max(0, height);
        m_drawn.assign(std::size_t(m_width) * std::size_t(m_height), 0);
        m_covered = 0;
    }

    // Marks a drawn rectangle, clipped to the window; true once every pixel is drawn.
    bool Add(int x, int y, int width, int height)
    {
        const int left = std::max(0, x);
        const int top = std::max(0, y);
        const int right = std::min(m_width, x + std::max(0, width));
        const int bottom = std::min(m_height, y + std::max(0, height));
        for (int row = top; row < bottom; ++row)
            for (int col = left; col < right; ++col) {
                std::uint8_t& pixel = m_drawn[std::size_t(row) * std::size_t(m_width) + std::size_t(col)];
                m_covered += pixel == 0;
                pixel = 1;
            }
        return Complete();
    }

    bool Complete() const { return m_width > 0 && m_height > 0 && m_covered == m_drawn.size(); }
    std::size_t Covered() const { return m_covered; }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint8_t> m_drawn;
    std::size_t m_covered = 0;
};

} // namespace bench
