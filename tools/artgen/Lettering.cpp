#include "tools/artgen/Lettering.h"

#include "platform/text/FontRaster.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <array>
#include <stdexcept>
#include <vector>

namespace ArtGen
{

namespace
{

struct Book
{
    FT_Library library = nullptr;
    std::array<cairo_font_face_t*, 2> faces{};
};

Book& book()
{
    static Book shelf;
    return shelf;
}

const cairo_user_data_key_t kFaceKey{};

void closeFace(void* face)
{
    FT_Done_Face(static_cast<FT_Face>(face));
}

cairo_font_face_t* openFace(bool bold)
{
    Book& shelf = book();
    const std::string style = bold ? "Bold" : "Book";
    const std::string path = Platform::FontRaster::findFontFile("DejaVu Sans", style);
    if (path.empty())
        throw std::runtime_error("the font \"DejaVu Sans " + style +
                                 "\" is not installed (Debian packages fontconfig and fonts-dejavu-core)");
    if (!shelf.library && FT_Init_FreeType(&shelf.library) != 0)
        throw std::runtime_error("FreeType cannot be started");
    FT_Face face = nullptr;
    if (FT_New_Face(shelf.library, path.c_str(), 0, &face) != 0)
        throw std::runtime_error(path + ": the font cannot be opened");
    cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    // Cairo may keep the face in its caches after the last user lets go: the FreeType face is
    // closed when Cairo drops it.
    if (cairo_font_face_set_user_data(cairoFace, &kFaceKey, face, closeFace) != CAIRO_STATUS_SUCCESS)
    {
        cairo_font_face_destroy(cairoFace);
        FT_Done_Face(face);
        throw std::runtime_error("out of memory opening " + path);
    }
    return cairoFace;
}

} // namespace

cairo_font_face_t* Lettering::face(bool bold)
{
    cairo_font_face_t*& face = book().faces[bold ? 1 : 0];
    if (!face)
        face = openFace(bold);
    return face;
}

void Lettering::use(cairo_t* cr, bool bold, double size)
{
    cairo_set_font_face(cr, face(bold));
    cairo_set_font_size(cr, size);
    // Outlines as the font draws them, the same on every machine with the same font file.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

namespace
{

std::vector<cairo_glyph_t> glyphsOf(cairo_t* cr, const std::string& text, double x, double y, double spacing)
{
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    const cairo_status_t status = cairo_scaled_font_text_to_glyphs(
        cairo_get_scaled_font(cr), x, y, text.data(), static_cast<int>(text.size()), &glyphs, &count, nullptr,
        nullptr, nullptr);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("\"" + text + "\" cannot be lettered: " + cairo_status_to_string(status));
    std::vector<cairo_glyph_t> out(glyphs, glyphs + count);
    cairo_glyph_free(glyphs);
    for (size_t i = 0; i < out.size(); ++i)
        out[i].x += spacing * static_cast<double>(i);
    return out;
}

} // namespace

double Lettering::width(cairo_t* cr, const std::string& text, double spacing)
{
    const std::vector<cairo_glyph_t> glyphs = glyphsOf(cr, text, 0.0, 0.0, spacing);
    if (glyphs.empty())
        return 0.0;
    cairo_text_extents_t last;
    cairo_glyph_extents(cr, &glyphs.back(), 1, &last);
    return glyphs.back().x + last.x_advance;
}

void Lettering::appendText(cairo_t* cr, const std::string& text, double x, double y, double align,
                           double spacing)
{
    const double left = x - width(cr, text, spacing) * align;
    const std::vector<cairo_glyph_t> glyphs = glyphsOf(cr, text, left, y, spacing);
    cairo_glyph_path(cr, glyphs.data(), static_cast<int>(glyphs.size()));
}

void Lettering::shutDown()
{
    Book& shelf = book();
    for (cairo_font_face_t*& face : shelf.faces)
        if (face)
        {
            cairo_font_face_destroy(face);
            face = nullptr;
        }
    // Cairo lets go of the faces it caches here; only then may FreeType close.
    cairo_debug_reset_static_data();
    if (shelf.library)
    {
        FT_Done_FreeType(shelf.library);
        shelf.library = nullptr;
    }
}

} // namespace ArtGen
