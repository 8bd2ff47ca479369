#include "tools/artgen/Canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace ArtGen
{

namespace
{

struct Pixel
{
    // Premultiplied.
    float r, g, b, a;
};

Pixel over(const Pixel& top, const Pixel& under)
{
    const float keep = 1.0f - top.a;
    return {top.r + under.r * keep, top.g + under.g * keep, top.b + under.b * keep, top.a + under.a * keep};
}

Pixel readPixel(const uint8_t* row, int x)
{
    uint32_t word = 0;
    std::copy(row + x * 4, row + x * 4 + 4, reinterpret_cast<uint8_t*>(&word));
    return {static_cast<float>((word >> 16) & 0xFF) / 255.0f, static_cast<float>((word >> 8) & 0xFF) / 255.0f,
            static_cast<float>(word & 0xFF) / 255.0f, static_cast<float>(word >> 24) / 255.0f};
}

// One pass of a running-sum box blur along rows (step 1) or columns (step = width).
void boxBlur(std::vector<float>& values, int count, int lines, int step, int lineStep, int radius)
{
    std::vector<float> line(static_cast<size_t>(count));
    const float scale = 1.0f / static_cast<float>(2 * radius + 1);
    for (int l = 0; l < lines; ++l)
    {
        float* base = values.data() + static_cast<size_t>(l) * lineStep;
        for (int i = 0; i < count; ++i)
            line[static_cast<size_t>(i)] = base[static_cast<size_t>(i) * step];
        float sum = 0.0f;
        for (int i = -radius; i <= radius; ++i)
            sum += (i >= 0 && i < count) ? line[static_cast<size_t>(i)] : 0.0f;
        for (int i = 0; i < count; ++i)
        {
            base[static_cast<size_t>(i) * step] = sum * scale;
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            if (leaving >= 0)
                sum -= line[static_cast<size_t>(leaving)];
            if (entering < count)
                sum += line[static_cast<size_t>(entering)];
        }
    }
}

} // namespace

Canvas::Canvas(int width, int height) : m_width(width), m_height(height)
{
    for (size_t i = 0; i < m_surfaces.size(); ++i)
    {
        m_surfaces[i] = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        m_contexts[i] = cairo_create(m_surfaces[i]);
        if (cairo_status(m_contexts[i]) != CAIRO_STATUS_SUCCESS)
            throw std::runtime_error("cannot make a picture of " + std::to_string(width) + "x" +
                                     std::to_string(height));
        cairo_set_antialias(m_contexts[i], CAIRO_ANTIALIAS_GOOD);
    }
}

Canvas::~Canvas()
{
    for (size_t i = 0; i < m_surfaces.size(); ++i)
    {
        cairo_destroy(m_contexts[i]);
        cairo_surface_destroy(m_surfaces[i]);
    }
}

void Canvas::compose(Platform::Image& into, int x0, int y0, const ShadowStyle& shadow) const
{
    for (cairo_surface_t* surface : m_surfaces)
        cairo_surface_flush(surface);
    const auto rowOf = [&](Layer layer, int y)
    {
        return cairo_image_surface_get_data(m_surfaces[layer]) +
               static_cast<size_t>(y) *
                   static_cast<size_t>(cairo_image_surface_get_stride(m_surfaces[layer]));
    };

    // The body's coverage moved to the lower right and blurred.
    std::vector<float> cast(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0.0f);
    const int dx = static_cast<int>(std::lround(shadow.dx));
    const int dy = static_cast<int>(std::lround(shadow.dy));
    if (shadow.alpha > 0.0)
    {
        for (int y = 0; y < m_height; ++y)
        {
            const int from = y - dy;
            if (from < 0 || from >= m_height)
                continue;
            const uint8_t* row = rowOf(Body, from);
            for (int x = 0; x < m_width; ++x)
            {
                const int fromX = x - dx;
                if (fromX >= 0 && fromX < m_width)
                    cast[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)] =
                        readPixel(row, fromX).a;
            }
        }
        const int radius = static_cast<int>(std::lround(shadow.blur));
        if (radius > 0)
        {
            for (int pass = 0; pass < 3; ++pass)
            {
                boxBlur(cast, m_width, m_height, 1, m_width, radius);
                boxBlur(cast, m_height, m_width, m_width, 1, radius);
            }
        }
    }

    const float shadowAlpha = static_cast<float>(std::clamp(shadow.alpha, 0.0, 1.0));
    for (int y = 0; y < m_height; ++y)
    {
        const int ty = y0 + y;
        if (ty < 0 || ty >= static_cast<int>(into.height))
            continue;
        const uint8_t* ground = rowOf(Ground, y);
        const uint8_t* body = rowOf(Body, y);
        const uint8_t* top = rowOf(Top, y);
        uint8_t* out = into.row(static_cast<uint32_t>(ty));
        for (int x = 0; x < m_width; ++x)
        {
            const int tx = x0 + x;
            if (tx < 0 || tx >= static_cast<int>(into.width))
                continue;
            Pixel pixel = readPixel(ground, x);
            const float s =
                cast[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)] *
                shadowAlpha;
            if (s > 0.0f)
                pixel =
                    over({static_cast<float>(shadow.colour.r) * s, static_cast<float>(shadow.colour.g) * s,
                          static_cast<float>(shadow.colour.b) * s, s},
                         pixel);
            pixel = over(readPixel(body, x), pixel);
            pixel = over(readPixel(top, x), pixel);
            uint8_t* p = out + static_cast<size_t>(tx) * 4;
            // What lay there before (another frame never overlaps, but a scene stamps pictures
            // over its ground).
            const float oldA = p[3] / 255.0f;
            const Pixel before{p[2] / 255.0f * oldA, p[1] / 255.0f * oldA, p[0] / 255.0f * oldA, oldA};
            pixel = over(pixel, before);
            const auto byte = [](float value)
            { return static_cast<uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); };
            if (pixel.a <= 0.0f)
            {
                p[0] = p[1] = p[2] = p[3] = 0;
                continue;
            }
            p[0] = byte(pixel.b / pixel.a);
            p[1] = byte(pixel.g / pixel.a);
            p[2] = byte(pixel.r / pixel.a);
            p[3] = byte(pixel.a);
        }
    }
}

cairo_surface_t* surfaceOf(const Platform::Image& image, int left, int top, int width, int height)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int row = 0; row < height; ++row)
    {
        const uint8_t* from = image.row(static_cast<uint32_t>(top + row)) + static_cast<size_t>(left) * 4;
        auto* to = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(row) * static_cast<size_t>(stride));
        for (int column = 0; column < width; ++column)
        {
            // Cairo keeps colours premultiplied by their alpha.
            const uint8_t* p = from + static_cast<size_t>(column) * 4;
            const uint32_t a = p[3];
            const auto pre = [a](uint8_t c) { return static_cast<uint32_t>((c * a + 127) / 255); };
            to[column] = (a << 24) | (pre(p[2]) << 16) | (pre(p[1]) << 8) | pre(p[0]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

} // namespace ArtGen
