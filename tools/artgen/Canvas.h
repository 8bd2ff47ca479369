#pragma once

#include "platform/image/Image.h"
#include "tools/artgen/Palette.h"

#include <cairo.h>

#include <array>

namespace ArtGen
{

// The soft shadow that the body of a picture casts to the lower right.
struct ShadowStyle
{
    double dx = 4.0;
    double dy = 3.0;
    // Radius of the blur; 0 leaves the edge hard.
    double blur = 2.0;
    // Opacity of the shadow's darkest part; 0 casts none.
    double alpha = 0.4;
    Colour colour;
};

// One frame being drawn: three layers of the frame's size. The ground layer lies under the
// shadow (roads, puddles, scorch marks), the body casts the shadow, and the top layer lies over
// everything without casting one (smoke, sparks, glints).
class Canvas
{
public:
    enum Layer
    {
        Ground = 0,
        Body = 1,
        Top = 2
    };

    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* context(Layer layer) const { return m_contexts[layer]; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // Ground, shadow, body and top, blended into `into` (straight-alpha B, G, R, A) with the
    // frame's upper-left corner at (x, y).
    void compose(Platform::Image& into, int x, int y, const ShadowStyle& shadow) const;

private:
    int m_width;
    int m_height;
    std::array<cairo_surface_t*, 3> m_surfaces{};
    std::array<cairo_t*, 3> m_contexts{};
};

// A new Cairo surface holding the part of a picture at (left, top), width x height; the caller
// destroys it.
cairo_surface_t* surfaceOf(const Platform::Image& image, int left, int top, int width, int height);

} // namespace ArtGen
