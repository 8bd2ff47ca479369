#pragma once

// Rectangles of the 1024 x 768 screen as views lie and draw on it: a view's own box, the box of
// the letters a text line draws now, and the frame a panel's picture draws around a place, for
// tests that hold a text to its room.

#include "engine/devices/cTexture.h"
#include "engine/ui/cView.h"
#include "platform/gfx/GfxTexture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace GameTest
{

// Left, top, right, bottom; empty until something is added to it.
struct ScreenBox
{
    float left = std::numeric_limits<float>::max();
    float top = std::numeric_limits<float>::max();
    float right = std::numeric_limits<float>::lowest();
    float bottom = std::numeric_limits<float>::lowest();

    bool empty() const { return right < left; }
    bool inside(const ScreenBox& outer) const
    {
        return left >= outer.left && right <= outer.right && top >= outer.top && bottom <= outer.bottom;
    }
    bool meets(const ScreenBox& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
};

inline ScreenBox boxOf(const Engine::cView& view)
{
    const Engine::cVector2 half = view.getSize() * 0.5f;
    return {view.getPosition().x - half.x, view.getPosition().y - half.y, view.getPosition().x + half.x,
            view.getPosition().y + half.y};
}

// Where the letters of a text line (or any view's sprites) are drawn now.
inline ScreenBox lettersOf(Engine::cView& line)
{
    ScreenBox box;
    for (const Engine::cQuad& quad : line.getSprites())
        for (const Engine::cQuadCorner& corner : quad.corners)
        {
            box.left = std::min(box.left, corner.x);
            box.right = std::max(box.right, corner.x);
            box.top = std::min(box.top, corner.y);
            box.bottom = std::max(box.bottom, corner.y);
        }
    return box;
}

// The surface a view's picture shows around a place of the screen, read from the picture's own
// pixels: the paper or the inset a panel draws for its text, up to the first pixel of something
// else (its wooden frame, an inset's edge, a face's ring). A flat surface (an inset of one
// colour) is the pixels of that colour; a grained one (paper) is the pixels within the grain's
// range around the place, a little widened, which the darker wood and outlines stay out of. The
// view draws its whole picture over its box (no atlas region, one frame).
class PictureSurface
{
public:
    PictureSurface(const Engine::cView& view, const Engine::cVector2& place) : m_box(boxOf(view))
    {
        const boost::shared_ptr<Engine::cTexture> texture = view.getTexture();
        if (!texture || !texture->getDeviceTexture() || view.getAtlasIndex() != -1)
            return;
        m_pixels = texture->getDeviceTexture()->pixels();
        m_pitch = texture->getTextureWidth();
        m_width = texture->getImageWidth();
        m_height = texture->getImageHeight();
        m_seedX = static_cast<int>(std::floor(column(place.x)));
        m_seedY = static_cast<int>(std::floor(row(place.y)));
        if (!m_pixels || !within(m_seedX, m_seedY))
        {
            m_pixels = nullptr;
            return;
        }
        const uint32_t seed = at(m_seedX, m_seedY);
        m_flat = true;
        for (int y = m_seedY - 2; y <= m_seedY + 2; ++y)
            for (int x = m_seedX - 2; x <= m_seedX + 2; ++x)
                m_flat = m_flat && within(x, y) && difference(at(x, y), seed) <= FlatSpread;
        for (int channel = 0; channel < 3; ++channel)
        {
            m_low[channel] = m_high[channel] = level(seed, channel);
            if (m_flat)
                continue;
            for (int y = m_seedY - GrainReach; y <= m_seedY + GrainReach; ++y)
                for (int x = m_seedX - GrainReach; x <= m_seedX + GrainReach; ++x)
                    if (within(x, y))
                    {
                        m_low[channel] = std::min(m_low[channel], level(at(x, y), channel));
                        m_high[channel] = std::max(m_high[channel], level(at(x, y), channel));
                    }
        }
        const int widen = m_flat ? FlatSpread : GrainWidening;
        for (int channel = 0; channel < 3; ++channel)
        {
            m_low[channel] -= widen;
            m_high[channel] += widen;
        }
    }

    // Whether the view's picture could be read at the place.
    bool read() const { return m_pixels != nullptr; }

    // The surface's frame: the box from the place along its row and its column to the last
    // pixels of the surface.
    ScreenBox frame() const
    {
        if (!read())
            return {};
        int left = m_seedX;
        int right = m_seedX;
        int top = m_seedY;
        int bottom = m_seedY;
        while (onSurface(left - 1, m_seedY))
            --left;
        while (onSurface(right + 1, m_seedY))
            ++right;
        while (onSurface(m_seedX, top - 1))
            --top;
        while (onSurface(m_seedX, bottom + 1))
            ++bottom;
        return {screenX(left), screenY(top), screenX(right + 1), screenY(bottom + 1)};
    }

    // Whether every pixel of the picture under `box` (a pixel counts when the box covers its
    // middle) lies on the surface.
    bool holds(const ScreenBox& box) const
    {
        if (!read() || box.empty())
            return false;
        const int left = static_cast<int>(std::ceil(column(box.left) - 0.5f));
        const int right = static_cast<int>(std::floor(column(box.right) - 0.5f));
        const int top = static_cast<int>(std::ceil(row(box.top) - 0.5f));
        const int bottom = static_cast<int>(std::floor(row(box.bottom) - 0.5f));
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                if (!onSurface(x, y))
                    return false;
        return true;
    }

private:
    // Levels a flat surface's pixels stray by, and how far around the place the grain is read
    // and how much its range is widened for the grain elsewhere on the paper.
    static constexpr int FlatSpread = 3;
    static constexpr int GrainReach = 15;
    static constexpr int GrainWidening = 16;

    static int level(uint32_t pixel, int channel)
    {
        return static_cast<int>((pixel >> (8 * channel)) & 0xFFu);
    }
    static int difference(uint32_t a, uint32_t b)
    {
        int most = 0;
        for (int channel = 0; channel < 3; ++channel)
            most = std::max(most, std::abs(level(a, channel) - level(b, channel)));
        return most;
    }

    float column(float x) const
    {
        return (x - m_box.left) * static_cast<float>(m_width) / (m_box.right - m_box.left);
    }
    float row(float y) const
    {
        return (y - m_box.top) * static_cast<float>(m_height) / (m_box.bottom - m_box.top);
    }
    float screenX(int x) const
    {
        return m_box.left + static_cast<float>(x) * (m_box.right - m_box.left) / static_cast<float>(m_width);
    }
    float screenY(int y) const
    {
        return m_box.top + static_cast<float>(y) * (m_box.bottom - m_box.top) / static_cast<float>(m_height);
    }
    bool within(int x, int y) const { return x >= 0 && y >= 0 && x < m_width && y < m_height; }
    uint32_t at(int x, int y) const
    {
        return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_pitch) + static_cast<size_t>(x)];
    }
    bool inRange(int x, int y) const
    {
        if (!within(x, y) || (at(x, y) >> 24) != 0xFFu)
            return false;
        for (int channel = 0; channel < 3; ++channel)
            if (level(at(x, y), channel) < m_low[channel] || level(at(x, y), channel) > m_high[channel])
                return false;
        return true;
    }
    // A flat surface's pixel is one with its neighbours too: a grain of the paper around an inset
    // may have the inset's colour by chance, never with all of its neighbours.
    bool onSurface(int x, int y) const
    {
        if (!m_flat)
            return inRange(x, y);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (!inRange(x + dx, y + dy))
                    return false;
        return true;
    }

    ScreenBox m_box;
    const uint32_t* m_pixels = nullptr;
    int m_pitch = 0;
    int m_width = 0;
    int m_height = 0;
    int m_seedX = 0;
    int m_seedY = 0;
    bool m_flat = false;
    int m_low[3] = {};
    int m_high[3] = {};
};

} // namespace GameTest
