#include "platform/image/JngDecoder.h"

#include "platform/image/ByteOrder.h"
#include "platform/image/JpegCodec.h"

#include <zlib.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

namespace Platform
{

namespace
{

constexpr uint8_t kSignature[8] = {0x8B, 'J', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

struct JngHeader
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t colorType = 0;
    uint8_t sampleDepth = 0;
    uint8_t compression = 0;
    uint8_t interlace = 0;
    uint8_t alphaDepth = 0;
    uint8_t alphaCompression = 0;
    uint8_t alphaFilter = 0;
    uint8_t alphaInterlace = 0;

    bool hasAlpha() const { return colorType == 12 || colorType == 14; }
};

// Everything the chunks carry, gathered before anything is decoded.
struct JngChunks
{
    JngHeader header;
    std::vector<uint8_t> jpeg;
    std::vector<uint8_t> zlibAlpha;
    std::vector<uint8_t> jpegAlpha;
};

[[noreturn]] void fail(const std::string& text)
{
    throw ImageError("JNG: " + text);
}

bool isChunk(const uint8_t* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

std::string chunkName(const uint8_t* type)
{
    std::string name;
    for (int i = 0; i < 4; ++i)
        name += (type[i] >= 0x20 && type[i] < 0x7F) ? static_cast<char>(type[i]) : '?';
    return name;
}

JngHeader readHeader(const uint8_t* data, uint32_t length, const ImageLimits& limits)
{
    if (length != 16)
        fail("JHDR chunk has " + std::to_string(length) + " bytes instead of 16");
    JngHeader header;
    header.width = readBE32(data);
    header.height = readBE32(data + 4);
    header.colorType = data[8];
    header.sampleDepth = data[9];
    header.compression = data[10];
    header.interlace = data[11];
    header.alphaDepth = data[12];
    header.alphaCompression = data[13];
    header.alphaFilter = data[14];
    header.alphaInterlace = data[15];

    checkImageSize(header.width, header.height, limits);
    if (header.colorType != 8 && header.colorType != 10 && header.colorType != 12 && header.colorType != 14)
        fail("unknown colour type " + std::to_string(header.colorType));
    if (header.sampleDepth == 12 || header.sampleDepth == 20)
        fail("12-bit samples are not supported");
    if (header.sampleDepth != 8)
        fail("unknown sample depth " + std::to_string(header.sampleDepth));
    if (header.compression != 8)
        fail("unknown compression method " + std::to_string(header.compression));
    if (header.interlace != 0 && header.interlace != 8)
        fail("unknown interlace method " + std::to_string(header.interlace));
    if (!header.hasAlpha())
        return header;
    if (header.alphaCompression == 0)
    {
        const uint8_t d = header.alphaDepth;
        if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16)
            fail("unknown alpha sample depth " + std::to_string(d));
        if (header.alphaFilter != 0)
            fail("unknown alpha filter method " + std::to_string(header.alphaFilter));
        if (header.alphaInterlace != 0)
            fail("interlaced alpha is not supported");
    }
    else if (header.alphaCompression == 8)
    {
        if (header.alphaDepth != 8)
            fail("JPEG alpha must have 8-bit samples");
    }
    else
        fail("unknown alpha compression " + std::to_string(header.alphaCompression));
    return header;
}

JngChunks readChunks(const uint8_t* data, size_t size, const ImageLimits& limits)
{
    if (size < sizeof(kSignature) || std::memcmp(data, kSignature, sizeof(kSignature)) != 0)
        fail("bad signature");
    JngChunks chunks;
    bool haveHeader = false;
    size_t pos = sizeof(kSignature);
    for (;;)
    {
        if (size - pos < 12)
            fail("unexpected end of data (no IEND chunk)");
        const uint32_t length = readBE32(data + pos);
        const uint8_t* type = data + pos + 4;
        const uint8_t* body = data + pos + 8;
        if (length > 0x7FFFFFFFu || length > size - pos - 12)
            fail("chunk " + chunkName(type) + " is truncated");
        const uLong crc = crc32(crc32(0L, Z_NULL, 0), type, static_cast<uInt>(length + 4));
        if (crc != readBE32(body + length))
            fail("bad CRC in chunk " + chunkName(type));
        pos += 12 + static_cast<size_t>(length);

        if (!haveHeader)
        {
            if (!isChunk(type, "JHDR"))
                fail("the first chunk is " + chunkName(type) + ", not JHDR");
            chunks.header = readHeader(body, length, limits);
            haveHeader = true;
            continue;
        }
        if (isChunk(type, "IEND"))
            break;
        const JngHeader& header = chunks.header;
        if (isChunk(type, "JDAT"))
            chunks.jpeg.insert(chunks.jpeg.end(), body, body + length);
        else if (isChunk(type, "IDAT"))
        {
            if (!header.hasAlpha() || header.alphaCompression != 0)
                fail("IDAT chunk in a file without zlib alpha");
            chunks.zlibAlpha.insert(chunks.zlibAlpha.end(), body, body + length);
        }
        else if (isChunk(type, "JDAA"))
        {
            if (!header.hasAlpha() || header.alphaCompression != 8)
                fail("JDAA chunk in a file without JPEG alpha");
            chunks.jpegAlpha.insert(chunks.jpegAlpha.end(), body, body + length);
        }
        else if (isChunk(type, "JHDR") || isChunk(type, "JSEP") || (type[0] & 0x20) == 0)
            fail("unexpected chunk " + chunkName(type));
        // Ancillary chunks (colour space, gamma, text) do not change the pixels we need.
    }
    if (chunks.jpeg.empty())
        fail("no JDAT chunk");
    return chunks;
}

// Inflates exactly `expected` bytes of PNG-style rows.
std::vector<uint8_t> inflateRows(const std::vector<uint8_t>& in, size_t expected)
{
    if (expected > UINT_MAX || in.size() > UINT_MAX)
        fail("alpha data is too large");
    std::vector<uint8_t> out(expected);
    z_stream stream;
    std::memset(&stream, 0, sizeof(stream));
    if (inflateInit(&stream) != Z_OK)
        fail("can't start zlib");
    stream.next_in = const_cast<Bytef*>(in.data());
    stream.avail_in = static_cast<uInt>(in.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const std::string message = stream.msg ? stream.msg : "";
    const bool full = stream.avail_out == 0;
    inflateEnd(&stream);
    if (result == Z_STREAM_END && full)
        return out;
    if ((result == Z_OK || result == Z_BUF_ERROR || result == Z_STREAM_END) && !full)
        fail("alpha data is truncated");
    if (result == Z_OK || result == Z_BUF_ERROR)
        return out; // every row is there; bytes after them are ignored
    fail("alpha data is corrupt" + (message.empty() ? std::string() : " (" + message + ")"));
}

uint8_t paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = p > a ? p - a : a - p;
    const int pb = p > b ? p - b : b - p;
    const int pc = p > c ? p - c : c - p;
    if (pa <= pb && pa <= pc)
        return static_cast<uint8_t>(a);
    return static_cast<uint8_t>(pb <= pc ? b : c);
}

// Undoes the PNG row filters in place; rows keep their leading filter byte.
void unfilterRows(std::vector<uint8_t>& rows, uint32_t height, size_t rowBytes, size_t bpp)
{
    const size_t stride = rowBytes + 1;
    for (uint32_t y = 0; y < height; ++y)
    {
        uint8_t* row = rows.data() + y * stride;
        const uint8_t* prev = y > 0 ? rows.data() + (y - 1) * stride + 1 : nullptr;
        const uint8_t filter = row[0];
        uint8_t* cur = row + 1;
        for (size_t i = 0; i < rowBytes; ++i)
        {
            const int a = i >= bpp ? cur[i - bpp] : 0;
            const int b = prev ? prev[i] : 0;
            const int c = (prev && i >= bpp) ? prev[i - bpp] : 0;
            switch (filter)
            {
            case 0:
                break;
            case 1:
                cur[i] = static_cast<uint8_t>(cur[i] + a);
                break;
            case 2:
                cur[i] = static_cast<uint8_t>(cur[i] + b);
                break;
            case 3:
                cur[i] = static_cast<uint8_t>(cur[i] + ((a + b) >> 1));
                break;
            case 4:
                cur[i] = static_cast<uint8_t>(cur[i] + paeth(a, b, c));
                break;
            default:
                fail("bad alpha row filter " + std::to_string(filter));
            }
        }
    }
}

void applyZlibAlpha(const JngChunks& chunks, Image& image)
{
    const JngHeader& header = chunks.header;
    if (chunks.zlibAlpha.empty())
        fail("no IDAT chunk for the alpha channel");
    const uint32_t depth = header.alphaDepth;
    const size_t rowBytes = (static_cast<size_t>(header.width) * depth + 7) / 8;
    std::vector<uint8_t> rows = inflateRows(chunks.zlibAlpha, (rowBytes + 1) * header.height);
    unfilterRows(rows, header.height, rowBytes, depth >= 8 ? depth / 8 : 1);
    const uint32_t maxValue = depth >= 8 ? 255u : (1u << depth) - 1u;
    for (uint32_t y = 0; y < header.height; ++y)
    {
        const uint8_t* row = rows.data() + y * (rowBytes + 1) + 1;
        uint8_t* out = image.row(y);
        for (uint32_t x = 0; x < header.width; ++x)
        {
            uint32_t alpha;
            if (depth == 16)
                alpha = row[x * 2];
            else if (depth == 8)
                alpha = row[x];
            else
            {
                const size_t bit = static_cast<size_t>(x) * depth;
                const uint32_t value = (row[bit / 8] >> (8 - depth - bit % 8)) & maxValue;
                alpha = value * 255u / maxValue;
            }
            out[x * 4 + 3] = static_cast<uint8_t>(alpha);
        }
    }
}

void applyJpegAlpha(const JngChunks& chunks, Image& image, const ImageLimits& limits)
{
    if (chunks.jpegAlpha.empty())
        fail("no JDAA chunk for the alpha channel");
    uint32_t width = 0;
    uint32_t height = 0;
    const std::vector<uint8_t> alpha =
        decodeJpegGrey(chunks.jpegAlpha.data(), chunks.jpegAlpha.size(), limits, width, height);
    if (width != image.width || height != image.height)
        fail("the alpha picture is " + std::to_string(width) + " x " + std::to_string(height) +
             ", the header says " + std::to_string(image.width) + " x " + std::to_string(image.height));
    for (size_t i = 0; i < alpha.size(); ++i)
        image.pixels[i * 4 + 3] = alpha[i];
}

} // namespace

Image decodeJng(const uint8_t* data, size_t size, const ImageLimits& limits)
{
    const JngChunks chunks = readChunks(data, size, limits);
    const JngHeader& header = chunks.header;
    Image image;
    try
    {
        image = decodeJpeg(chunks.jpeg.data(), chunks.jpeg.size(), limits);
    }
    catch (const ImageError& e)
    {
        fail(std::string("colour data: ") + e.what());
    }
    if (image.width != header.width || image.height != header.height)
        fail("the JPEG picture is " + std::to_string(image.width) + " x " + std::to_string(image.height) +
             ", the header says " + std::to_string(header.width) + " x " + std::to_string(header.height));
    if (header.hasAlpha())
    {
        if (header.alphaCompression == 0)
            applyZlibAlpha(chunks, image);
        else
            applyJpegAlpha(chunks, image, limits);
    }
    return image;
}

} // namespace Platform
