#include "platform/image/JpegCodec.h"

#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

namespace Platform
{

namespace
{

// libjpeg's standard error manager calls exit() on a fatal error. Ours formats the message and
// jumps back to the setjmp of the stage that was running; the stage functions below hold no
// object with a destructor, and every C++ object lives in the caller's frame.
struct JpegErrors
{
    jpeg_error_mgr pub;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

// A progressive file can hold thousands of tiny scans, each of which costs a pass over the
// whole picture; real files have a handful.
constexpr int kMaxScans = 1000;

[[noreturn]] void onJpegError(j_common_ptr cinfo)
{
    JpegErrors* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

// Level -1 is a warning about damaged data ("premature end of data", "corrupt data: bad
// Huffman code"). libjpeg would carry on and fill the picture with grey; a damaged texture is
// an error like any other bad file.
void onJpegMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        onJpegError(cinfo);
}

void onJpegOutput(j_common_ptr) {}

void onJpegProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    {
        JpegErrors* errors = reinterpret_cast<JpegErrors*>(cinfo->err);
        std::snprintf(errors->message, sizeof(errors->message), "too many scans");
        std::longjmp(errors->jump, 1);
    }
}

void installErrors(JpegErrors& errors)
{
    jpeg_std_error(&errors.pub);
    errors.pub.error_exit = onJpegError;
    errors.pub.emit_message = onJpegMessage;
    errors.pub.output_message = onJpegOutput;
    std::snprintf(errors.message, sizeof(errors.message), "unknown error");
}

bool readHeader(jpeg_decompress_struct* cinfo, JpegErrors* errors, jpeg_progress_mgr* progress,
                const uint8_t* data, size_t size, J_COLOR_SPACE space, uint32_t* width, uint32_t* height)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_decompress(cinfo);
    cinfo->progress = progress;
    jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(cinfo, TRUE);
    cinfo->out_color_space = space;
    jpeg_calc_output_dimensions(cinfo);
    *width = cinfo->output_width;
    *height = cinfo->output_height;
    return true;
}

bool readPixels(jpeg_decompress_struct* cinfo, JpegErrors* errors, uint8_t* out, size_t stride)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_start_decompress(cinfo);
    while (cinfo->output_scanline < cinfo->output_height)
    {
        JSAMPROW row = out + static_cast<size_t>(cinfo->output_scanline) * stride;
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            onJpegError(reinterpret_cast<j_common_ptr>(cinfo));
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

bool compress(jpeg_compress_struct* cinfo, JpegErrors* errors, unsigned char** buffer, unsigned long* size,
              const uint8_t* samples, uint32_t width, uint32_t height, int components, int quality)
{
    if (setjmp(errors->jump))
        return false;
    jpeg_create_compress(cinfo);
    jpeg_mem_dest(cinfo, buffer, size);
    cinfo->image_width = width;
    cinfo->image_height = height;
    cinfo->input_components = components;
    cinfo->in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo);
    jpeg_set_quality(cinfo, quality, TRUE);
    jpeg_start_compress(cinfo, TRUE);
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(components);
    while (cinfo->next_scanline < cinfo->image_height)
    {
        JSAMPROW row = const_cast<JSAMPROW>(samples + static_cast<size_t>(cinfo->next_scanline) * stride);
        jpeg_write_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_compress(cinfo);
    return true;
}

class Decompressor
{
public:
    Decompressor()
    {
        std::memset(&cinfo, 0, sizeof(cinfo));
        std::memset(&progress, 0, sizeof(progress));
        installErrors(errors);
        cinfo.err = &errors.pub;
        progress.progress_monitor = onJpegProgress;
    }
    ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    // Reads the header and checks the size against the limits.
    void open(const uint8_t* data, size_t size, J_COLOR_SPACE space, const ImageLimits& limits,
              uint32_t& width, uint32_t& height)
    {
        if (!readHeader(&cinfo, &errors, &progress, data, size, space, &width, &height))
            fail();
        checkImageSize(width, height, limits);
    }
    void read(uint8_t* out, size_t stride)
    {
        if (!readPixels(&cinfo, &errors, out, stride))
            fail();
    }

private:
    [[noreturn]] void fail() const { throw ImageError(std::string("JPEG: ") + errors.message); }

    jpeg_decompress_struct cinfo;
    jpeg_progress_mgr progress;
    JpegErrors errors;
};

} // namespace

Image decodeJpeg(const uint8_t* data, size_t size, const ImageLimits& limits)
{
    Decompressor decompressor;
    Image image;
    decompressor.open(data, size, JCS_EXT_BGRA, limits, image.width, image.height);
    image.pixels.resize(static_cast<size_t>(image.width) * image.height * 4);
    decompressor.read(image.pixels.data(), static_cast<size_t>(image.width) * 4);
    return image;
}

bool decodeJpegInto(const uint8_t* data, size_t size, uint8_t* pixels, uint32_t width, uint32_t height,
                    uint32_t& pictureWidth, uint32_t& pictureHeight, const ImageLimits& limits)
{
    Decompressor decompressor;
    decompressor.open(data, size, JCS_EXT_BGRA, limits, pictureWidth, pictureHeight);
    if (pictureWidth > width || pictureHeight > height)
        return false;
    decompressor.read(pixels, static_cast<size_t>(width) * 4);
    return true;
}

std::vector<uint8_t> decodeJpegGrey(const uint8_t* data, size_t size, const ImageLimits& limits,
                                    uint32_t& width, uint32_t& height)
{
    Decompressor decompressor;
    decompressor.open(data, size, JCS_GRAYSCALE, limits, width, height);
    std::vector<uint8_t> grey(static_cast<size_t>(width) * height);
    decompressor.read(grey.data(), width);
    return grey;
}

std::vector<uint8_t> encodeJpeg(const uint8_t* samples, uint32_t width, uint32_t height, int components,
                                int quality)
{
    if (!samples || width == 0 || height == 0 || (components != 1 && components != 3) || quality < 0 ||
        quality > 100)
        throw ImageError("Invalid input data");
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof(cinfo));
    JpegErrors errors;
    installErrors(errors);
    cinfo.err = &errors.pub;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool done = compress(&cinfo, &errors, &buffer, &size, samples, width, height, components, quality);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes;
    if (done && buffer)
        bytes.assign(buffer, buffer + size);
    std::free(buffer);
    if (!done)
        throw ImageError(std::string("JPEG: ") + errors.message);
    return bytes;
}

bool writeJpeg(const std::string& path, const uint8_t* rgb, uint32_t width, uint32_t height, int quality,
               std::string& error)
{
    std::vector<uint8_t> bytes;
    try
    {
        bytes = encodeJpeg(rgb, width, height, 3, quality);
    }
    catch (const ImageError& e)
    {
        error = e.what();
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        error = "Cannot open " + path;
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
    {
        std::remove(path.c_str());
        error = "Cannot write " + path;
        return false;
    }
    error.clear();
    return true;
}

} // namespace Platform
