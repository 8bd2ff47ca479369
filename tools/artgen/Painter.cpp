#include "tools/artgen/Painter.h"

#include "tools/artgen/Noise.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ArtGen
{

namespace
{

constexpr double kPi = 3.14159265358979323846;

void setColour(cairo_t* cr, const Colour& colour, double alpha)
{
    cairo_set_source_rgba(cr, colour.r, colour.g, colour.b, colour.a * alpha);
}

// The path in device space: drawing with the identity transform keeps widths and the light's
// direction in pixels of the picture however the shape was moved, turned or mirrored.
cairo_path_t* devicePath(cairo_t* cr)
{
    cairo_identity_matrix(cr);
    return cairo_copy_path(cr);
}

// Fills the part of the shape that the shape moved by (dx, dy) does not cover: a rim along
// the edges facing away from the move. The clip must already be the shape.
void fillRim(cairo_t* cr, cairo_path_t* path, double dx, double dy, const Colour& colour, double alpha)
{
    cairo_new_path(cr);
    cairo_append_path(cr, path);
    cairo_translate(cr, dx, dy);
    cairo_append_path(cr, path);
    cairo_identity_matrix(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    setColour(cr, colour, alpha);
    cairo_fill(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

// Narrows the clip to the pixels of the box (x1, y1)-(x2, y2) grown by `margin` and rounded out
// to whole pixels, in device space: a group pushed after it is only as large as the shape, not
// the whole frame, and a clip along pixel edges changes no pixel.
void clipToBox(cairo_t* cr, double x1, double y1, double x2, double y2, double margin)
{
    cairo_save(cr);
    cairo_identity_matrix(cr);
    const double left = std::floor(x1 - margin);
    const double top = std::floor(y1 - margin);
    cairo_new_path(cr);
    cairo_rectangle(cr, left, top, std::ceil(x2 + margin) - left, std::ceil(y2 + margin) - top);
    cairo_restore(cr);
    cairo_clip(cr);
}

double userScale(cairo_t* cr)
{
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    return std::sqrt(std::fabs(m.xx * m.yy - m.xy * m.yx));
}

} // namespace

void pathRect(cairo_t* cr, double x, double y, double width, double height, double radius)
{
    cairo_new_path(cr);
    radius = std::min({radius, width / 2.0, height / 2.0});
    if (radius <= 0.0)
    {
        cairo_rectangle(cr, x, y, width, height);
        return;
    }
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -kPi / 2.0, 0.0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0.0, kPi / 2.0);
    cairo_arc(cr, x + radius, y + height - radius, radius, kPi / 2.0, kPi);
    cairo_arc(cr, x + radius, y + radius, radius, kPi, 1.5 * kPi);
    cairo_close_path(cr);
}

void pathEllipse(cairo_t* cr, double cx, double cy, double rx, double ry)
{
    cairo_new_path(cr);
    if (rx <= 0.0 || ry <= 0.0)
        return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0.0, 0.0, 1.0, 0.0, 2.0 * kPi);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void pathPolygon(cairo_t* cr, const std::vector<Point>& points)
{
    pathPolyline(cr, points);
    if (!points.empty())
        cairo_close_path(cr);
}

void pathPolyline(cairo_t* cr, const std::vector<Point>& points)
{
    cairo_new_path(cr);
    for (size_t i = 0; i < points.size(); ++i)
    {
        if (i == 0)
            cairo_move_to(cr, points[i].x, points[i].y);
        else
            cairo_line_to(cr, points[i].x, points[i].y);
    }
}

namespace
{

// Catmull-Rom through p1..p2 with neighbours p0 and p3, as one cubic Bézier segment.
void curveSegment(cairo_t* cr, const Point& p0, const Point& p1, const Point& p2, const Point& p3)
{
    cairo_curve_to(cr, p1.x + (p2.x - p0.x) / 6.0, p1.y + (p2.y - p0.y) / 6.0, p2.x - (p3.x - p1.x) / 6.0,
                   p2.y - (p3.y - p1.y) / 6.0, p2.x, p2.y);
}

} // namespace

void pathBlob(cairo_t* cr, const std::vector<Point>& points)
{
    cairo_new_path(cr);
    const size_t n = points.size();
    if (n < 3)
    {
        pathPolygon(cr, points);
        return;
    }
    cairo_move_to(cr, points[0].x, points[0].y);
    for (size_t i = 0; i < n; ++i)
        curveSegment(cr, points[(i + n - 1) % n], points[i], points[(i + 1) % n], points[(i + 2) % n]);
    cairo_close_path(cr);
}

void pathCurve(cairo_t* cr, const std::vector<Point>& points)
{
    cairo_new_path(cr);
    const size_t n = points.size();
    if (n < 3)
    {
        pathPolyline(cr, points);
        return;
    }
    cairo_move_to(cr, points[0].x, points[0].y);
    for (size_t i = 0; i + 1 < n; ++i)
        curveSegment(cr, points[i == 0 ? 0 : i - 1], points[i], points[i + 1],
                     points[std::min(n - 1, i + 2)]);
}

void pathArc(cairo_t* cr, double cx, double cy, double radius, double from, double to)
{
    cairo_new_path(cr);
    // Screen y grows downwards, so counter-clockwise on screen is the negative direction here.
    cairo_arc_negative(cr, cx, cy, radius, -from * kPi / 180.0, -to * kPi / 180.0);
}

void pathWedge(cairo_t* cr, double cx, double cy, double radius, double from, double to)
{
    cairo_new_path(cr);
    cairo_move_to(cr, cx, cy);
    cairo_arc_negative(cr, cx, cy, radius, -from * kPi / 180.0, -to * kPi / 180.0);
    cairo_close_path(cr);
}

void pathStar(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn)
{
    cairo_new_path(cr);
    points = std::max(points, 2);
    for (int i = 0; i < points * 2; ++i)
    {
        const double radius = i % 2 == 0 ? outer : inner;
        const double angle = (90.0 + turn + 180.0 * i / points) * kPi / 180.0;
        const double x = cx + radius * std::cos(angle);
        const double y = cy - radius * std::sin(angle);
        if (i == 0)
            cairo_move_to(cr, x, y);
        else
            cairo_line_to(cr, x, y);
    }
    cairo_close_path(cr);
}

void fillPath(cairo_t* cr, const FillStyle& style)
{
    cairo_save(cr);
    cairo_path_t* path = devicePath(cr);
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    cairo_fill_extents(cr, &x1, &y1, &x2, &y2);
    cairo_new_path(cr);
    if (x2 > x1 && y2 > y1)
    {
        const Colour& colour = style.colour;
        clipToBox(cr, x1, y1, x2, y2, style.outline + 2.0);
        cairo_push_group(cr);
        cairo_append_path(cr, path);
        if (style.gradient > 0.0)
        {
            // Along the light: from the upper-left corner of the shape's box to the lower-right.
            const double cx = (x1 + x2) / 2.0;
            const double cy = (y1 + y2) / 2.0;
            const double reach = ((x2 - x1) + (y2 - y1)) / 4.0;
            cairo_pattern_t* gradient =
                cairo_pattern_create_linear(cx - reach, cy - reach, cx + reach, cy + reach);
            const Colour lit = lighter(colour, style.gradient * 0.55);
            const Colour dim = darker(colour, style.gradient * 0.45);
            cairo_pattern_add_color_stop_rgb(gradient, 0.0, lit.r, lit.g, lit.b);
            cairo_pattern_add_color_stop_rgb(gradient, 1.0, dim.r, dim.g, dim.b);
            cairo_set_source(cr, gradient);
            cairo_pattern_destroy(gradient);
        }
        else
            setColour(cr, {colour.r, colour.g, colour.b, 1.0}, 1.0);
        cairo_fill_preserve(cr);
        cairo_save(cr);
        cairo_clip(cr);
        if (style.highlight > 0.0)
            fillRim(cr, path, style.rim, style.rim, lighter(colour, 0.6), style.highlight);
        if (style.shade > 0.0)
            fillRim(cr, path, -style.rim, -style.rim, darker(colour, 0.4), style.shade);
        cairo_restore(cr);
        if (style.outline > 0.0)
        {
            cairo_new_path(cr);
            cairo_append_path(cr, path);
            cairo_set_line_width(cr, style.outline);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            setColour(cr, saturated(darker(colour, style.outlineDark), 1.15), 1.0);
            cairo_stroke(cr);
        }
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, std::clamp(style.alpha * colour.a, 0.0, 1.0));
    }
    cairo_path_destroy(path);
    cairo_restore(cr);
    cairo_new_path(cr);
}

void strokePath(cairo_t* cr, const LineStyle& style)
{
    cairo_save(cr);
    const double scale = userScale(cr);
    const double width = style.width * scale;
    cairo_path_t* path = devicePath(cr);
    cairo_new_path(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (!style.dash.empty())
    {
        std::vector<double> dash;
        for (const double piece : style.dash)
            dash.push_back(piece * scale);
        cairo_set_dash(cr, dash.data(), static_cast<int>(dash.size()), 0.0);
    }
    {
        cairo_append_path(cr, path);
        cairo_set_line_width(cr, width + 2.0 * style.outline);
        double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
        cairo_stroke_extents(cr, &x1, &y1, &x2, &y2);
        cairo_new_path(cr);
        if (x2 <= x1 || y2 <= y1)
        {
            cairo_path_destroy(path);
            cairo_restore(cr);
            cairo_new_path(cr);
            return;
        }
        clipToBox(cr, x1, y1, x2, y2, 2.0);
    }
    cairo_push_group(cr);
    if (style.outline > 0.0)
    {
        cairo_append_path(cr, path);
        cairo_set_line_width(cr, width + 2.0 * style.outline);
        setColour(cr, saturated(darker(style.colour, style.outlineDark), 1.15), 1.0);
        cairo_stroke(cr);
    }
    cairo_append_path(cr, path);
    cairo_set_line_width(cr, width);
    setColour(cr, {style.colour.r, style.colour.g, style.colour.b, 1.0}, 1.0);
    cairo_stroke(cr);
    cairo_pop_group_to_source(cr);
    cairo_paint_with_alpha(cr, std::clamp(style.alpha * style.colour.a, 0.0, 1.0));
    cairo_path_destroy(path);
    cairo_restore(cr);
    cairo_new_path(cr);
}

void erasePath(cairo_t* cr)
{
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
    cairo_restore(cr);
}

void clipPath(cairo_t* cr)
{
    cairo_clip(cr);
}

void paintGlow(cairo_t* cr, double cx, double cy, double radius, const Colour& colour)
{
    cairo_new_path(cr);
    if (radius <= 0.0)
        return;
    cairo_pattern_t* light = cairo_pattern_create_radial(cx, cy, 0.0, cx, cy, radius);
    cairo_pattern_add_color_stop_rgba(light, 0.0, colour.r, colour.g, colour.b, colour.a);
    cairo_pattern_add_color_stop_rgba(light, 0.45, colour.r, colour.g, colour.b, colour.a * 0.45);
    cairo_pattern_add_color_stop_rgba(light, 1.0, colour.r, colour.g, colour.b, 0.0);
    cairo_save(cr);
    cairo_set_source(cr, light);
    cairo_arc(cr, cx, cy, radius, 0.0, 2.0 * kPi);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(light);
}

void paintTint(cairo_t* cr, const Colour& colour)
{
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_ATOP);
    setColour(cr, colour, 1.0);
    cairo_paint(cr);
    cairo_restore(cr);
}

namespace
{

// How many device pixels the smallest lattice step of the noise spans: the field's scale times
// the smaller stretch of the transform, halved for every octave after the first.
double finestStep(const cairo_matrix_t& toDevice, double scale, int octaves)
{
    const double a = toDevice.xx, b = toDevice.xy, c = toDevice.yx, d = toDevice.yy;
    const double sum = a * a + b * b + c * c + d * d;
    const double det = a * d - b * c;
    const double smaller =
        std::sqrt(std::max(0.0, (sum - std::sqrt(std::max(0.0, sum * sum - 4.0 * det * det))) / 2.0));
    return scale * smaller / std::pow(2.0, std::max(0, octaves - 1));
}

} // namespace

void paintNoise(cairo_t* cr, const NoiseStyle& style)
{
    cairo_surface_t* target = cairo_get_target(cr);
    const int surfaceWidth = cairo_image_surface_get_width(target);
    const int surfaceHeight = cairo_image_surface_get_height(target);
    cairo_matrix_t toDevice;
    cairo_get_matrix(cr, &toDevice);
    cairo_matrix_t toUser = toDevice;
    if (cairo_matrix_invert(&toUser) != CAIRO_STATUS_SUCCESS)
        return;
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    cairo_restore(cr);
    const int left = std::max(0, static_cast<int>(std::floor(x1)));
    const int top = std::max(0, static_cast<int>(std::floor(y1)));
    const int right = std::min(surfaceWidth, static_cast<int>(std::ceil(x2)));
    const int bottom = std::min(surfaceHeight, static_cast<int>(std::ceil(y2)));
    if (right <= left || bottom <= top)
        return;
    const double scale = style.scale > 0.0 ? style.scale : 1.0;
    const NoiseField field(style.start, style.octaves);
    // A field whose finest waves span many pixels is sampled on a coarser grid and filled in
    // between: the same picture for a fraction of the work.
    const double finest = finestStep(toDevice, scale, style.octaves);
    const int step = finest >= 12.0 ? 4 : finest >= 5.0 ? 2 : 1;
    const int width = right - left;
    const int height = bottom - top;
    const int columns = width / step + 2;
    const int rows = height / step + 2;
    std::vector<double> grid(static_cast<size_t>(columns) * static_cast<size_t>(rows));
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i)
        {
            double ux = left + i * step + 0.5;
            double uy = top + j * step + 0.5;
            cairo_matrix_transform_point(&toUser, &ux, &uy);
            grid[static_cast<size_t>(j) * static_cast<size_t>(columns) + static_cast<size_t>(i)] =
                field.at(ux / scale, uy / scale);
        }
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    unsigned char* data = cairo_image_surface_get_data(mask);
    const int stride = cairo_image_surface_get_stride(mask);
    const double span = style.high - style.low;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const int i = x / step;
            const int j = y / step;
            const double fx = static_cast<double>(x % step) / step;
            const double fy = static_cast<double>(y % step) / step;
            const double* row = &grid[static_cast<size_t>(j) * static_cast<size_t>(columns)];
            const double* next = row + columns;
            const double n = (row[i] * (1.0 - fx) + row[i + 1] * fx) * (1.0 - fy) +
                             (next[i] * (1.0 - fx) + next[i + 1] * fx) * fy;
            double t =
                span > 1e-9 ? std::clamp((n - style.low) / span, 0.0, 1.0) : (n >= style.low ? 1.0 : 0.0);
            t = t * t * (3.0 - 2.0 * t);
            data[y * stride + x] =
                static_cast<unsigned char>(std::lround(255.0 * std::clamp(t * style.alpha, 0.0, 1.0)));
        }
    cairo_surface_mark_dirty(mask);
    cairo_save(cr);
    cairo_identity_matrix(cr);
    if (style.keep)
        cairo_set_operator(cr, CAIRO_OPERATOR_ATOP);
    setColour(cr, style.colour, 1.0);
    cairo_mask_surface(cr, mask, left, top);
    cairo_restore(cr);
    cairo_surface_destroy(mask);
}

} // namespace ArtGen
