#include "platform/sound/OggVorbisEncoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>

namespace Platform
{

namespace
{

// The libvorbis and libogg state of one encoding, released however it ends.
struct Encoder
{
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool analysing = false;
    std::string out;

    Encoder()
    {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~Encoder()
    {
        if (analysing)
        {
            ogg_stream_clear(&stream);
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    void write(const ogg_page& page)
    {
        out.append(reinterpret_cast<const char*>(page.header), static_cast<size_t>(page.header_len));
        out.append(reinterpret_cast<const char*>(page.body), static_cast<size_t>(page.body_len));
    }

    // Takes the packets of every block the encoder has ready and writes the full pages.
    void drain()
    {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&dsp, &block) == 1)
        {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1)
            {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0)
                    write(page);
            }
        }
    }
};

} // namespace

std::string encodeOggVorbis(const std::vector<float>& samples, int rate, int channels, float quality)
{
    if (channels < 1 || channels > 2)
        throw SoundEncodeError("Ogg Vorbis: " + std::to_string(channels) + " channels cannot be encoded");
    Encoder e;
    if (vorbis_encode_init_vbr(&e.info, channels, rate, std::clamp(quality, -0.1f, 1.0f)) != 0)
        throw SoundEncodeError("Ogg Vorbis: a rate of " + std::to_string(rate) +
                               " per second cannot be encoded");
    vorbis_comment_add_tag(&e.comment, "ENCODER", "Quillmoor");
    vorbis_analysis_init(&e.dsp, &e.info);
    vorbis_block_init(&e.dsp, &e.block);
    ogg_stream_init(&e.stream, 0x51554C4D);
    e.analysing = true;

    // The three header packets, each kind on pages of its own as players expect.
    ogg_packet identification;
    ogg_packet comments;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&e.dsp, &e.comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&e.stream, &identification);
    ogg_stream_packetin(&e.stream, &comments);
    ogg_stream_packetin(&e.stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&e.stream, &page) != 0)
        e.write(page);

    const size_t frames = samples.size() / static_cast<size_t>(channels);
    constexpr size_t kChunk = 4096;
    for (size_t done = 0; done < frames; done += kChunk)
    {
        const size_t count = std::min(kChunk, frames - done);
        float** buffer = vorbis_analysis_buffer(&e.dsp, static_cast<int>(count));
        for (size_t i = 0; i < count; ++i)
            for (int c = 0; c < channels; ++c)
                buffer[c][i] =
                    std::clamp(samples[(done + i) * static_cast<size_t>(channels) + static_cast<size_t>(c)],
                               -1.0f, 1.0f);
        vorbis_analysis_wrote(&e.dsp, static_cast<int>(count));
        e.drain();
    }
    // The end of the sound: the last packets and the page that ends the stream.
    vorbis_analysis_wrote(&e.dsp, 0);
    e.drain();
    while (ogg_stream_flush(&e.stream, &page) != 0)
        e.write(page);
    return e.out;
}

} // namespace Platform
