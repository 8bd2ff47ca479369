#pragma once

#include "platform/image/Image.h"

#include <cstddef>
#include <cstdint>

namespace Platform
{

enum class ImageFormat
{
    Png,
    Jng,
    Jpeg,
    Bmp,
    Tga,
    Dds,
    Pvr,
    Unknown
};

// The format the first bytes announce. TGA has no signature: it is recognised by a header
// whose image type and pixel depth are ones a TGA file can have.
ImageFormat detectImageFormat(const uint8_t* data, size_t size);
// "PNG", "JNG", ... for messages.
const char* imageFormatName(ImageFormat format);

// True for the JNG and PNG signatures (the first four bytes).
bool hasJngOrPngSignature(const uint8_t* data, size_t size);
bool hasJngSignature(const uint8_t* data, size_t size);
// A PVR file: more than 48 bytes with "PVR!" at offset 44.
bool hasPvrSignature(const uint8_t* data, size_t size);

// The picture's size as the header of PNG, JNG, JPEG, BMP, TGA or DDS bytes gives it, without
// decoding the picture. Throws ImageError for anything else, for a header that is cut short and
// for sizes beyond the limits.
void readImageSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height,
                   const ImageLimits& limits = ImageLimits());

// Decodes a picture into the top-left corner of a buffer of `width` x `height` pixels (pitch
// `width`), transparent black beyond it; a picture larger than the buffer is cut. A PNG or JPEG
// picture that fits is decoded straight into the buffer. Stores the picture's own size. Throws
// like `decodeImage`.
void decodeImageInto(const uint8_t* data, size_t size, uint32_t* pixels, uint32_t width, uint32_t height,
                     uint32_t& pictureWidth, uint32_t& pictureHeight);

// Decodes PNG, JNG, JPEG, BMP, TGA or DDS bytes; throws ImageError for anything else (PVR among
// them), for data that is truncated or corrupt, and for pictures beyond the limits.
Image decodeImage(const uint8_t* data, size_t size, const ImageLimits& limits = ImageLimits());

} // namespace Platform
