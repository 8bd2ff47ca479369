#include "tools/artgen/ContactSheet.h"

#include "tools/artgen/Canvas.h"
#include "tools/artgen/Lettering.h"

#include <cairo.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace ArtGen
{

namespace
{

constexpr int kPageWidth = 1200;
constexpr int kPageHeight = 900;
constexpr int kGap = 14;
constexpr int kLabel = 16;

void save(cairo_surface_t* surface, const std::string& path, std::vector<std::string>& written)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    if (cairo_surface_write_to_png(surface, path.c_str()) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot write " + path);
    written.push_back(path);
}

struct Page
{
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    int x = kGap;
    int y = kGap;
    int rowHeight = 0;

    void open()
    {
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kPageWidth, kPageHeight);
        cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 0.49, 0.66, 0.33);
        cairo_paint(cr);
        Lettering::use(cr, false, 11.0);
        x = y = kGap;
        rowHeight = 0;
    }
    void close(const std::string& path, std::vector<std::string>& written)
    {
        if (!cr)
            return;
        save(surface, path, written);
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
        cr = nullptr;
        surface = nullptr;
    }
};

} // namespace

std::vector<std::string> writeContactSheets(const std::vector<const SheetOutput*>& outputs,
                                            const std::string& folder, int zoom)
{
    std::vector<std::string> written;
    Page page;
    int number = 0;
    const auto pagePath = [&]() { return folder + "/contact_" + std::to_string(number) + ".png"; };
    for (const SheetOutput* output : outputs)
    {
        cairo_surface_t* picture = surfaceOf(output->image, 0, 0, static_cast<int>(output->image.width),
                                             static_cast<int>(output->image.height));
        if (output->scene)
        {
            save(picture, folder + "/" + output->info.path, written);
            cairo_surface_destroy(picture);
            continue;
        }
        int scale = zoom;
        while (scale > 1 &&
               (static_cast<int>(output->image.width) * scale > kPageWidth - 2 * kGap ||
                static_cast<int>(output->image.height) * scale > kPageHeight - 2 * kGap - kLabel))
            --scale;
        const int width = static_cast<int>(output->image.width) * scale;
        const int height = static_cast<int>(output->image.height) * scale;
        const int labelWidth = static_cast<int>(output->info.path.size()) * 7;
        const int boxWidth = std::max(width, labelWidth);
        if (!page.cr)
            page.open();
        if (page.x + boxWidth > kPageWidth - kGap && page.x > kGap)
        {
            page.x = kGap;
            page.y += page.rowHeight + kGap;
            page.rowHeight = 0;
        }
        if (page.y + height + kLabel > kPageHeight - kGap && page.y > kGap)
        {
            page.close(pagePath(), written);
            ++number;
            page.open();
        }
        cairo_save(page.cr);
        cairo_translate(page.cr, page.x, page.y);
        // The frame grid, faintly, so that frames can be told apart.
        cairo_set_source_rgba(page.cr, 0.0, 0.0, 0.0, 0.08);
        cairo_rectangle(page.cr, 0, 0, width, height);
        cairo_fill(page.cr);
        cairo_scale(page.cr, scale, scale);
        cairo_set_source_surface(page.cr, picture, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(page.cr), CAIRO_FILTER_NEAREST);
        cairo_paint(page.cr);
        cairo_restore(page.cr);
        cairo_set_source_rgb(page.cr, 0.1, 0.1, 0.12);
        cairo_move_to(page.cr, page.x, page.y + height + 12);
        const std::string label =
            output->info.path +
            (output->info.frames > 1 ? " [" + std::to_string(output->info.frames) + "]" : "");
        cairo_show_text(page.cr, label.c_str());
        page.x += boxWidth + kGap;
        page.rowHeight = std::max(page.rowHeight, height + kLabel);
        cairo_surface_destroy(picture);
    }
    page.close(pagePath(), written);
    return written;
}

void writeScreenSheet(const std::vector<std::string>& screens, const std::string& path)
{
    constexpr int columns = 4;
    constexpr int tileWidth = 256;
    constexpr int tileHeight = 192;
    const int rows = std::max(1, static_cast<int>((screens.size() + columns - 1) / columns));
    const int width = columns * tileWidth + (columns + 1) * kGap;
    const int height = rows * (tileHeight + kLabel) + (rows + 1) * kGap;
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.22);
    cairo_paint(cr);
    Lettering::use(cr, false, 11.0);
    for (size_t i = 0; i < screens.size(); ++i)
    {
        cairo_surface_t* screen = cairo_image_surface_create_from_png(screens[i].c_str());
        if (cairo_surface_status(screen) != CAIRO_STATUS_SUCCESS)
        {
            cairo_surface_destroy(screen);
            cairo_destroy(cr);
            cairo_surface_destroy(sheet);
            throw std::runtime_error("cannot read " + screens[i]);
        }
        const int x = kGap + static_cast<int>(i % columns) * (tileWidth + kGap);
        const int y = kGap + static_cast<int>(i / columns) * (tileHeight + kLabel + kGap);
        const double scale =
            std::min(static_cast<double>(tileWidth) / cairo_image_surface_get_width(screen),
                     static_cast<double>(tileHeight) / cairo_image_surface_get_height(screen));
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, scale, scale);
        cairo_set_source_surface(cr, screen, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_set_source_rgb(cr, 0.92, 0.9, 0.85);
        cairo_move_to(cr, x, y + tileHeight + 12);
        cairo_show_text(cr, std::filesystem::path(screens[i]).filename().string().c_str());
        cairo_surface_destroy(screen);
    }
    cairo_destroy(cr);
    std::vector<std::string> written;
    try
    {
        save(sheet, path, written);
    }
    catch (...)
    {
        cairo_surface_destroy(sheet);
        throw;
    }
    cairo_surface_destroy(sheet);
}

} // namespace ArtGen
