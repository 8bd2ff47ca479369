#pragma once

#include <cairo.h>

#include <string>

namespace ArtGen
{

// Letters as shapes: the outlines of DejaVu Sans (Bold or Book), found through fontconfig's
// own program as the game's text raster finds its face, opened with FreeType and handed to
// Cairo without hinting, so that a word is a path like any other shape and is filled in the
// house look. Faces are opened on first use and kept for the life of the process.
class Lettering
{
public:
    // Throws std::runtime_error naming the face when it is not installed.
    static cairo_font_face_t* face(bool bold);

    // Sets the face and the size (the height of the em in user units) on the context, with the
    // outline options every word is drawn with.
    static void use(cairo_t* cr, bool bold, double size);

    // Appends the outline of the UTF-8 text to the current path with its baseline at y; `align`
    // 0 puts the text's left end at x, 0.5 its middle, 1 its right end. `spacing` is added
    // after every letter. Throws std::runtime_error for text that is not UTF-8.
    static void appendText(cairo_t* cr, const std::string& text, double x, double y, double align,
                           double spacing);

    // The advance width of the text with the context's face and size.
    static double width(cairo_t* cr, const std::string& text, double spacing);

    // Gives back the faces, lets Cairo drop what it caches and closes FreeType: the last thing
    // the program does with Cairo, so the leak checker sees a clean exit.
    static void shutDown();
};

} // namespace ArtGen
