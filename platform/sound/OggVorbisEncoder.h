#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace Platform
{

// Why sound could not be encoded.
class SoundEncodeError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The bytes of an Ogg Vorbis file holding `samples` (interleaved frames of `channels` values,
// -1..1; values beyond are clipped) at `rate` samples per second, encoded at a variable bit rate
// of `quality` (-0.1 small .. 1 best). The stream's serial number is fixed, so the same sound
// always gives the same bytes and generated data files change only when their sources do.
// Throws SoundEncodeError for a rate or channel count the encoder does not take.
std::string encodeOggVorbis(const std::vector<float>& samples, int rate, int channels = 1,
                            float quality = 0.4f);

} // namespace Platform
