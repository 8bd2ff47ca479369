#pragma once

#include "tools/artgen/Palette.h"

#include <cairo.h>

#include <vector>

namespace ArtGen
{

// How a filled shape is finished, so that every picture follows one look with the light from
// the upper left: a gradient from a lighter upper-left to a darker lower-right, a light rim just
// inside the upper-left edge, a dark rim inside the lower-right edge, and an outline in a
// darker tone of the fill's own hue. Widths are pixels of the picture whatever the transform.
struct FillStyle
{
    Colour colour;
    // Outline width; 0 draws none.
    double outline = 1.5;
    // How much darker than the fill the outline is (0 to 1).
    double outlineDark = 0.55;
    // Strength of the upper-left light rim and of the lower-right dark rim (0 to 1).
    double highlight = 0.6;
    double shade = 0.35;
    // Width of both rims.
    double rim = 1.5;
    // Strength of the gradient (0: flat).
    double gradient = 0.35;
    // Opacity of the whole shape, multiplied with the colour's own.
    double alpha = 1.0;
};

struct LineStyle
{
    Colour colour;
    double width = 1.5;
    // A darker edge on both sides of the line, this wide; 0 draws none.
    double outline = 0.0;
    double outlineDark = 0.55;
    double alpha = 1.0;
    // Lengths of the drawn and the left-out pieces, in turn; empty draws the whole line.
    std::vector<double> dash;
};

// Fractal noise painted in one colour: its opacity at a point is how far the noise there lies
// between `low` and `high` (smoothly), times `alpha`. The noise is sampled in the user space of
// the drawing, `scale` units to a lattice step, so it moves and grows with the transform.
struct NoiseStyle
{
    Colour colour;
    double scale = 16.0;
    int octaves = 4;
    double start = 0.0;
    double low = 0.0;
    double high = 1.0;
    double alpha = 1.0;
    // Only over what the layer holds already (a grain on a panel), not over the empty parts.
    bool keep = false;
};

struct Point
{
    double x;
    double y;
};

// Path builders: each starts a new path in the current user space.
void pathRect(cairo_t* cr, double x, double y, double width, double height, double radius);
void pathEllipse(cairo_t* cr, double cx, double cy, double rx, double ry);
void pathPolygon(cairo_t* cr, const std::vector<Point>& points);
// A smooth closed curve through the points (Catmull-Rom as Bézier segments).
void pathBlob(cairo_t* cr, const std::vector<Point>& points);
// A smooth open curve through the points.
void pathCurve(cairo_t* cr, const std::vector<Point>& points);
void pathPolyline(cairo_t* cr, const std::vector<Point>& points);
// Angles in degrees, counter-clockwise on screen from the right (90 is up), as the game turns.
void pathArc(cairo_t* cr, double cx, double cy, double radius, double from, double to);
void pathWedge(cairo_t* cr, double cx, double cy, double radius, double from, double to);
void pathStar(cairo_t* cr, double cx, double cy, double outer, double inner, int points, double turn);

// Fills the current path with the finish of `style`, then clears the path.
void fillPath(cairo_t* cr, const FillStyle& style);
// Strokes the current path with round ends and joins, then clears the path.
void strokePath(cairo_t* cr, const LineStyle& style);
// Removes what lies under the current path from the layer, then clears the path.
void erasePath(cairo_t* cr);
// Narrows the clip to the current path (kept until the enclosing group ends).
void clipPath(cairo_t* cr);
// A soft round light: the colour at the centre fading out at the radius.
void paintGlow(cairo_t* cr, double cx, double cy, double radius, const Colour& colour);
// Lays the colour over everything already drawn on the layer, keeping its shape.
void paintTint(cairo_t* cr, const Colour& colour);
// Paints the noise over the clip of the context (the whole layer when nothing clips).
void paintNoise(cairo_t* cr, const NoiseStyle& style);

} // namespace ArtGen
