#include "engine/core/cNetRequest.h"

namespace Engine
{

bool isConnectionLost(Platform::SocketError error)
{
    switch (error)
    {
    case Platform::SocketError::NetworkDown:
    case Platform::SocketError::NetworkReset:
    case Platform::SocketError::ConnectionAborted:
    case Platform::SocketError::ConnectionReset:
    case Platform::SocketError::ShutDown:
    case Platform::SocketError::TimedOut:
        return true;
    default:
        return false;
    }
}

cNetRequest::cNetRequest(const cNetRequest& other)
    : m_output(other.m_output), m_value1(other.m_value1), m_value2(other.m_value2), m_answer(other.m_answer),
      m_tunnel(other.m_tunnel), m_notifyOnLoss(other.m_notifyOnLoss),
      m_notifyOnTimeout(other.m_notifyOnTimeout)
{
    m_output.seek(0);
}

void cNetRequest::attach(Platform::Socket& socket, std::int64_t now, const std::string& preamble)
{
    m_packet.setSocket(&socket);
    m_packet.reset();
    m_connectTime = now;
    m_sentTime = now;
    m_sent = false;
    // The preamble is not kept in the output bytes, so a request that attaches again (or a
    // copy queued again) never sends it twice.
    m_pending.clear();
    m_pending.write(preamble.data(), preamble.size());
    m_pending.write(m_output.data(), m_output.end());
}

int cNetRequest::sendPending()
{
    Platform::Socket* socket = m_packet.socket();
    if (!socket)
        return -1;
    while (m_pending.remaining() != 0)
    {
        const long sent = socket->send(m_pending.data() + m_pending.position(), m_pending.remaining());
        if (sent > 0)
        {
            m_pending.seek(m_pending.position() + static_cast<std::size_t>(sent));
            continue;
        }
        if (sent == 0)
            return 0;
        const Platform::SocketError error = socket->error();
        if (error == Platform::SocketError::NotConnected || error == Platform::SocketError::NotSocket ||
            isConnectionLost(error))
            return -1;
        return 0;
    }
    return 1;
}

void cNetRequest::markSent(std::int64_t now)
{
    m_sent = true;
    m_sentTime = now;
    m_packet.reset();
}

} // namespace Engine
