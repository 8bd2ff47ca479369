// Feeds arbitrary bytes to the packet reader as a server would send them, in chunks of
// varying size, and reads every completed packet through the bounds-checked buffer.
//
// Input: the first byte sets the largest chunk handed over per receive (1 to 256), the
// second drives the reads of each completed body; the rest is the byte stream.
#include "engine/core/cNetBuffer.h"
#include "engine/core/cNetPacket.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void readBody(const Engine::cNetPacket& packet, std::uint8_t pattern)
{
    check(packet.size() == packet.expectedSize() && packet.size() >= 1 && packet.size() <= 0xFFFF);
    check(packet.kind() == packet.body()[0]);
    Engine::cNetBuffer reader = packet.reader();
    check(reader.end() == packet.size());
    std::uint8_t scratch[8];
    for (unsigned step = 0; !reader.isBad(); ++step)
    {
        switch ((pattern >> (step % 4 * 2)) & 3)
        {
        case 0:
            reader.readU8();
            break;
        case 1:
            reader.readU16();
            break;
        case 2:
            reader.readU32();
            break;
        default:
            reader.read(scratch, sizeof scratch);
            break;
        }
        check(reader.position() <= reader.end());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t largestChunk = static_cast<std::size_t>(data[0]) + 1;
    const std::uint8_t pattern = data[1];
    data += 2;
    size -= 2;

    Engine::cNetPacket packet;
    std::size_t at = 0;
    std::size_t chunk = 1;
    while (at < size)
    {
        const std::size_t wanted = packet.wanted();
        check(wanted >= 1 && wanted <= 0xFFFF);
        // Chunks grow and shrink so lengths and bodies split at every kind of boundary.
        chunk = chunk % largestChunk + 1;
        std::size_t count = chunk < wanted ? chunk : wanted;
        if (count > size - at)
            count = size - at;
        std::memcpy(packet.receiveArea(), data + at, count);
        at += count;
        if (packet.received(static_cast<long>(count), Platform::SocketError::None) == 1)
        {
            readBody(packet, pattern);
            packet.reset();
        }
    }
    // The peer closes: whatever was cut short is dropped, never handed on.
    check(packet.received(0, Platform::SocketError::None) == 1);
    check(packet.size() == 0 && packet.kind() == -1);
    return 0;
}
