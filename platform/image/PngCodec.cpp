#include "platform/image/PngCodec.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

namespace Platform
{

namespace
{

// libpng reports a fatal error by calling our error function, which must not return. It jumps
// back to the setjmp of the stage that was running; every stage function below therefore
// holds no object with a destructor, and all C++ objects live in the caller's frame.
struct PngState
{
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    std::vector<uint8_t>* out = nullptr;
    char message[256] = {};
};

void onPngError(png_structp png, png_const_charp text)
{
    PngState* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof(state->message), "%s", text ? text : "unknown error");
    png_longjmp(png, 1);
}

// Warnings (a damaged ancillary chunk, an unknown sRGB profile) leave the picture usable.
void onPngWarning(png_structp, png_const_charp) {}

void readFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    PngState* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (count > state->size - state->pos)
        png_error(png, "unexpected end of data");
    std::memcpy(out, state->data + state->pos, count);
    state->pos += count;
}

void writeToMemory(png_structp png, png_bytep data, png_size_t count)
{
    PngState* state = static_cast<PngState*>(png_get_io_ptr(png));
    try
    {
        state->out->insert(state->out->end(), data, data + count);
    }
    catch (const std::bad_alloc&)
    {
        png_error(png, "out of memory");
    }
}

void flushMemory(png_structp) {}

bool readInfo(png_structp png, png_infop info, uint32_t maxSide, png_uint_32* width, png_uint_32* height,
              size_t* rowBytes)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_user_limits(png, maxSide, maxSide);
    png_read_info(png, info);
    const int colorType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (depth == 16)
        png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    *rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool readRows(png_structp png, png_infop info, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    // Reads up to IEND, so a file cut after its pixel data is still found out.
    png_read_end(png, info);
    return true;
}

// The first `count` rows of a picture that is not interlaced: the rest of the file is left
// unread.
bool readTopRows(png_structp png, png_bytepp rows, png_uint_32 count)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_rows(png, rows, nullptr, count);
    return true;
}

bool writeImage(png_structp png, png_infop info, uint32_t width, uint32_t height, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Rows are written unfiltered. The game's pictures (flat colours, wide transparent spaces,
    // glyphs) pack about as small this way as with libpng's choice of filters per row, and a
    // reader then has no filter to undo: the game's art decodes in about 60% of the time.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

class ReadGuard
{
public:
    ReadGuard(png_structp png, png_infop info) : m_png(png), m_info(info) {}
    ~ReadGuard() { png_destroy_read_struct(&m_png, &m_info, nullptr); }
    ReadGuard(const ReadGuard&) = delete;
    ReadGuard& operator=(const ReadGuard&) = delete;

private:
    png_structp m_png;
    png_infop m_info;
};

class WriteGuard
{
public:
    WriteGuard(png_structp png, png_infop info) : m_png(png), m_info(info) {}
    ~WriteGuard() { png_destroy_write_struct(&m_png, &m_info); }
    WriteGuard(const WriteGuard&) = delete;
    WriteGuard& operator=(const WriteGuard&) = delete;

private:
    png_structp m_png;
    png_infop m_info;
};

// Reads the header and sets up the transforms to B, G, R, A; `target` is told the picture's
// size and points the rows to decode where they go, or answers false to have nothing decoded.
// False then. The rows are the top `wanted` ones, or all of them for an interlaced picture, whose
// top rows are whole only after its last pass.
template <class Target>
bool decodePngRows(const uint8_t* data, size_t size, const ImageLimits& limits, Target target,
                   uint32_t wanted = UINT32_MAX)
{
    PngState state;
    state.data = data;
    state.size = size;
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0)
        throw ImageError("PNG: bad signature");

    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
    if (!png)
        throw ImageError("PNG: can't create the reader");
    png_infop info = png_create_info_struct(png);
    const ReadGuard guard(png, info);
    if (!info)
        throw ImageError("PNG: can't create the reader");
    png_set_read_fn(png, &state, readFromMemory);
    // Every chunk's CRC-32 is checked, the compressed pixels' included: damaged bytes are found
    // there. The zlib stream's own Adler-32 over the inflated rows would only check the same
    // bytes a second time, at about a sixth of the decoding's cost.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    // No ancillary chunk but tRNS changes the pixels (no gamma or background is applied): the
    // others are passed over unread, a few bytes at a time through their CRC. libpng would otherwise allocate
    // and clear the whole length a text chunk claims before reading it, its chunk size limit being a mere
    // warning: a file of a few hundred bytes claiming 2 GB cost 2 GB and seconds to refuse.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);

    png_uint_32 width = 0;
    png_uint_32 height = 0;
    size_t rowBytes = 0;
    if (!readInfo(png, info, limits.maxSide, &width, &height, &rowBytes))
        throw ImageError(std::string("PNG: ") + state.message);
    checkImageSize(width, height, limits);
    if (rowBytes != static_cast<size_t>(width) * 4)
        throw ImageError("PNG: unexpected row layout");

    const bool top = wanted < height && png_get_interlace_type(png, info) == PNG_INTERLACE_NONE;
    std::vector<png_bytep> rows(top ? wanted : height);
    if (!target(width, height, rows))
        return false;
    if (!(top ? readTopRows(png, rows.data(), wanted) : readRows(png, info, rows.data())))
        throw ImageError(std::string("PNG: ") + state.message);
    return true;
}

} // namespace

Image decodePng(const uint8_t* data, size_t size, const ImageLimits& limits)
{
    Image image;
    decodePngRows(data, size, limits,
                  [&image](uint32_t width, uint32_t height, std::vector<png_bytep>& rows)
                  {
                      image.width = width;
                      image.height = height;
                      image.pixels.resize(static_cast<size_t>(width) * height * 4);
                      for (uint32_t y = 0; y < height; ++y)
                          rows[y] = image.row(y);
                      return true;
                  });
    return image;
}

Image decodePngTop(const uint8_t* data, size_t size, uint32_t rows, const ImageLimits& limits)
{
    Image image;
    decodePngRows(
        data, size, limits,
        [&image](uint32_t width, uint32_t, std::vector<png_bytep>& top)
        {
            image.width = width;
            image.height = static_cast<uint32_t>(top.size());
            image.pixels.resize(static_cast<size_t>(width) * image.height * 4);
            for (uint32_t y = 0; y < image.height; ++y)
                top[y] = image.row(y);
            return true;
        },
        rows);
    return image;
}

bool decodePngInto(const uint8_t* data, size_t size, uint8_t* pixels, uint32_t width, uint32_t height,
                   uint32_t& pictureWidth, uint32_t& pictureHeight, const ImageLimits& limits)
{
    return decodePngRows(data, size, limits,
                         [&](uint32_t w, uint32_t h, std::vector<png_bytep>& rows)
                         {
                             pictureWidth = w;
                             pictureHeight = h;
                             if (w > width || h > height)
                                 return false;
                             for (uint32_t y = 0; y < h; ++y)
                                 rows[y] = pixels + static_cast<size_t>(y) * width * 4;
                             return true;
                         });
}

std::vector<uint8_t> encodePng(const Image& image)
{
    if (image.width == 0 || image.height == 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height * 4)
        throw ImageError("PNG: nothing to encode");
    std::vector<uint8_t> bytes;
    PngState state;
    state.out = &bytes;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
    if (!png)
        throw ImageError("PNG: can't create the writer");
    png_infop info = png_create_info_struct(png);
    const WriteGuard guard(png, info);
    if (!info)
        throw ImageError("PNG: can't create the writer");
    png_set_write_fn(png, &state, writeToMemory, flushMemory);
    std::vector<png_bytep> rows(image.height);
    for (uint32_t y = 0; y < image.height; ++y)
        rows[y] = const_cast<png_bytep>(image.row(y));
    if (!writeImage(png, info, image.width, image.height, rows.data()))
        throw ImageError(std::string("PNG: ") + state.message);
    return bytes;
}

} // namespace Platform
