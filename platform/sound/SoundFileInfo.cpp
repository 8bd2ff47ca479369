#include "platform/sound/SoundFileInfo.h"

#include <cstdint>
#include <cstring>

namespace Platform
{

namespace
{

uint32_t readU32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t readU16(const unsigned char* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

bool isFormatTagKnown(uint16_t tag)
{
    // PCM, MS ADPCM, IEEE float, A-law, mu-law, IMA ADPCM, extensible.
    return tag == 1 || tag == 2 || tag == 3 || tag == 6 || tag == 7 || tag == 0x11 || tag == 0xFFFE;
}

bool inspectWave(const unsigned char* data, size_t size, SoundFileInfo& info, std::string& error)
{
    if (size < 12 || std::memcmp(data + 8, "WAVE", 4) != 0)
    {
        error = "a RIFF file that is not WAVE sound";
        return false;
    }
    bool haveFormat = false;
    bool haveData = false;
    size_t at = 12;
    while (at + 8 <= size && !(haveFormat && haveData))
    {
        const unsigned char* chunk = data + at;
        const uint32_t length = readU32(chunk + 4);
        const size_t body = at + 8;
        const size_t available = size - body;
        if (std::memcmp(chunk, "fmt ", 4) == 0)
        {
            if (length < 16 || available < 16)
            {
                error = "a WAVE file whose format section is cut short";
                return false;
            }
            const unsigned char* fmt = data + body;
            const uint16_t tag = readU16(fmt);
            info.channels = readU16(fmt + 2);
            const uint32_t rate = readU32(fmt + 4);
            const uint16_t bits = readU16(fmt + 14);
            if (!isFormatTagKnown(tag))
            {
                error = "a WAVE file in an unknown encoding (" + std::to_string(tag) + ")";
                return false;
            }
            if (info.channels < 1 || info.channels > 8 || rate < 1 || rate > 384000 || bits == 0 || bits > 64)
            {
                error = "a WAVE file with an impossible format (" + std::to_string(info.channels) +
                        " channels, " + std::to_string(rate) + " samples per second, " +
                        std::to_string(bits) + " bits)";
                return false;
            }
            info.frequency = static_cast<int>(rate);
            haveFormat = true;
        }
        else if (std::memcmp(chunk, "data", 4) == 0)
        {
            if (!haveFormat)
            {
                error = "a WAVE file whose sound comes before its format";
                return false;
            }
            haveData = true;
        }
        // Sections are padded to an even length; a length past the end ends the walk.
        if (length > available)
            break;
        at = body + length + (length & 1u);
    }
    if (!haveFormat || !haveData)
    {
        error = haveFormat ? "a WAVE file without sound data" : "a WAVE file without a format section";
        return false;
    }
    info.kind = SoundFileInfo::Wave;
    return true;
}

bool inspectOgg(const unsigned char* data, size_t size, SoundFileInfo& info, std::string& error)
{
    // The first page: 27 header bytes, then its segment table, then the first packet.
    if (size < 27 || data[4] != 0)
    {
        error = "an Ogg stream whose first page is cut short";
        return false;
    }
    const size_t segments = data[26];
    size_t packetLength = 0;
    if (27 + segments > size)
    {
        error = "an Ogg stream whose first page is cut short";
        return false;
    }
    for (size_t i = 0; i < segments; ++i)
        packetLength += data[27 + i];
    const size_t start = 27 + segments;
    if (packetLength > size - start)
        packetLength = size - start;
    const unsigned char* packet = data + start;
    if (packetLength >= 16 && packet[0] == 1 && std::memcmp(packet + 1, "vorbis", 6) == 0)
    {
        info.channels = packet[11];
        const uint32_t rate = readU32(packet + 12);
        if (readU32(packet + 7) != 0 || info.channels < 1 || rate < 1 || rate > 384000)
        {
            error = "an Ogg Vorbis stream with an impossible format";
            return false;
        }
        info.frequency = static_cast<int>(rate);
    }
    else if (packetLength >= 10 && std::memcmp(packet, "OpusHead", 8) == 0)
    {
        info.channels = packet[9];
        // Opus always decodes at 48 kHz, whatever rate the encoder was given.
        info.frequency = 48000;
    }
    else
    {
        error = "an Ogg stream that holds neither Vorbis nor Opus sound";
        return false;
    }
    info.kind = SoundFileInfo::Ogg;
    return true;
}

} // namespace

bool inspectSoundFile(const unsigned char* data, size_t size, SoundFileInfo& info, std::string& error)
{
    if (size >= 4 && std::memcmp(data, "RIFF", 4) == 0)
        return inspectWave(data, size, info, error);
    if (size >= 4 && std::memcmp(data, "OggS", 4) == 0)
        return inspectOgg(data, size, info, error);
    error = size == 0 ? "an empty file" : "neither WAVE nor Ogg sound";
    return false;
}

} // namespace Platform
