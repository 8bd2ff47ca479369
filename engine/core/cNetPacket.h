#pragma once

#include "engine/core/cNetBuffer.h"
#include "platform/net/Socket.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Engine
{

// One packet received from the server: a 2-byte little-endian body length, then the body,
// whose first byte is the message kind (0 an answer, anything else a message the server
// pushes on its own).
//
// The packet reassembles what arrives in chunks of any size: it asks for exactly the bytes it
// still lacks (`receiveArea`, `wanted`), so it never reads into the next packet, and a length
// split across two receives is joined. The body is never larger than the 65535 bytes its
// length can name. `readPacket` does one receive from the packet's socket; the reassembly
// itself (`received`) needs no socket, so it can be driven by tests and the fuzzer directly.
class cNetPacket
{
public:
    // The body capacity after `reset`, enough for the usual small answer.
    static constexpr std::size_t kInitialCapacity = 1024;

    cNetPacket();

    // Clears the counts and the state for the next packet (the socket stays).
    void reset();

    // The socket the packet reads from (borrowed); null when it has none.
    void setSocket(Platform::Socket* socket) { m_socket = socket; }
    Platform::Socket* socket() const { return m_socket; }

    // One receive from the socket, then `received`. A complete packet answers 1 again
    // without touching the socket.
    int readPacket();

    // Where the next received bytes go, and how many may go there (0 once complete).
    std::uint8_t* receiveArea();
    std::size_t wanted() const;
    // Takes the outcome of one receive of at most `wanted` bytes into `receiveArea`:
    //   count > 0: the bytes are added; 1 when they complete the packet, else 0;
    //   count == 0: the peer closed the connection: the packet completes empty (a packet cut
    //               short is dropped, never handed on as if it were whole); 1;
    //   count < 0: a failed receive: -1 when `error` is ConnectionReset, else 0 (the caller
    //              looks at the error).
    // A length of 0 carries no message (the kind byte is missing): it is skipped and the
    // next length is read, so an empty complete packet always means a closed connection.
    // Throws std::out_of_range when `count` is more than was asked for.
    int received(long count, Platform::SocketError error);

    bool isComplete() const { return m_complete; }
    // True while some bytes of a packet have arrived but not all.
    bool hasPartial() const { return !m_complete && (m_lengthBytes != 0 || m_bodyBytes != 0); }
    // The body bytes received (the whole body once complete; 0 for a closed connection).
    std::size_t size() const { return m_bodyBytes; }
    // The body length that the packet announced (0 until the length has arrived).
    std::size_t expectedSize() const { return m_expected; }
    const std::uint8_t* body() const { return m_body.data(); }
    // The first body byte, -1 when the body is empty.
    int kind() const { return m_bodyBytes == 0 ? -1 : m_body[0]; }
    // A copy of the body to read from, kind byte included.
    cNetBuffer reader() const { return cNetBuffer(m_body.data(), m_bodyBytes); }

private:
    Platform::Socket* m_socket = nullptr;
    std::uint8_t m_length[2] = {0, 0};
    std::size_t m_lengthBytes = 0;
    std::size_t m_expected = 0;
    std::size_t m_bodyBytes = 0;
    std::vector<std::uint8_t> m_body;
    bool m_complete = false;
};

} // namespace Engine
