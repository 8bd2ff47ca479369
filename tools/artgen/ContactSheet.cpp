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

} // namespace ArtGen
