#include "engine/core/cNetPacket.h"

#include <stdexcept>

namespace Engine
{

cNetPacket::cNetPacket()
{
    reset();
}

void cNetPacket::reset()
{
    m_body.resize(kInitialCapacity);
    m_lengthBytes = 0;
    m_expected = 0;
    m_bodyBytes = 0;
    m_complete = false;
}

int cNetPacket::readPacket()
{
    if (m_complete)
        return 1;
    if (!m_socket)
        return 0;
    const long count = m_socket->recv(receiveArea(), wanted());
    return received(count, m_socket->error());
}

std::uint8_t* cNetPacket::receiveArea()
{
    if (m_lengthBytes < sizeof m_length)
        return m_length + m_lengthBytes;
    return m_body.data() + m_bodyBytes;
}

std::size_t cNetPacket::wanted() const
{
    if (m_complete)
        return 0;
    if (m_lengthBytes < sizeof m_length)
        return sizeof m_length - m_lengthBytes;
    return m_expected - m_bodyBytes;
}

int cNetPacket::received(long count, Platform::SocketError error)
{
    if (count < 0)
        return error == Platform::SocketError::ConnectionReset ? -1 : 0;
    if (count == 0)
    {
        m_lengthBytes = sizeof m_length;
        m_expected = 0;
        m_bodyBytes = 0;
        m_complete = true;
        return 1;
    }
    if (static_cast<std::size_t>(count) > wanted())
        throw std::out_of_range("cNetPacket::received(): more bytes than were asked for");

    if (m_lengthBytes < sizeof m_length)
    {
        m_lengthBytes += static_cast<std::size_t>(count);
        if (m_lengthBytes < sizeof m_length)
            return 0;
        m_expected = static_cast<std::size_t>(m_length[0]) | (static_cast<std::size_t>(m_length[1]) << 8);
        if (m_expected == 0)
            m_lengthBytes = 0;
        else if (m_body.size() < m_expected)
            m_body.resize(m_expected);
        return 0;
    }

    m_bodyBytes += static_cast<std::size_t>(count);
    if (m_bodyBytes < m_expected)
        return 0;
    m_complete = true;
    return 1;
}

} // namespace Engine
