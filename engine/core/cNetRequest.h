#pragma once

#include "engine/core/cNetBuffer.h"
#include "engine/core/cNetPacket.h"
#include "platform/net/Socket.h"

#include <boost/function.hpp>

#include <cstdint>
#include <string>

namespace Engine
{

// True for the errors that end a connection for good: network down, network reset,
// connection aborted, connection reset, shut down, timed out.
bool isConnectionLost(Platform::SocketError error);

// One request of `cNetClient`: the bytes to send, the caller's two values, the callback that
// learns the outcome, and three flags. The caller fills it and queues it; the client runs the
// exchange (attaching the request to its connection, sending, reading the answer).
//
// The output bytes go out as they are: build a packet with `cNetBuffer::writePacket` when the
// server expects one.
class cNetRequest
{
public:
    // (caller value 1, caller value 2, answer packet or null, status): status 1 with the
    // packet for an answer (without it for a client's first request); status -1 and no
    // packet for every failure (refused or lost connection, timeout, socket error). The
    // packet lives only during the call.
    using AnswerCallback =
        boost::function<void(int value1, int value2, const cNetPacket* answer, int status)>;

    cNetRequest() = default;
    // A copy carries what the caller gave (bytes, values, callback, flags) and starts afresh:
    // nothing of it sent, no packet, no connection, so it can be queued again.
    cNetRequest(const cNetRequest& other);
    cNetRequest& operator=(const cNetRequest&) = delete;

    cNetBuffer& output() { return m_output; }
    const cNetBuffer& output() const { return m_output; }

    void setCallerValues(int value1, int value2)
    {
        m_value1 = value1;
        m_value2 = value2;
    }
    int callerValue1() const { return m_value1; }
    int callerValue2() const { return m_value2; }

    void setAnswerCallback(AnswerCallback callback) { m_answer = std::move(callback); }
    const AnswerCallback& answerCallback() const { return m_answer; }

    // Send "CONNECT host:port HTTP/1.0" and an empty line before the bytes when this request
    // opens the connection (to pass through an HTTP proxy). Off by default.
    void setTunnel(bool tunnel) { m_tunnel = tunnel; }
    bool tunnel() const { return m_tunnel; }
    // Hand a copy of the request to the client's connection-lost callback (and drop the rest
    // of the queue) when the connection is lost or refused. Off by default.
    void setNotifyOnLoss(bool notify) { m_notifyOnLoss = notify; }
    bool notifyOnLoss() const { return m_notifyOnLoss; }
    // The same when the request times out. Off by default.
    void setNotifyOnTimeout(bool notify) { m_notifyOnTimeout = notify; }
    bool notifyOnTimeout() const { return m_notifyOnTimeout; }

    // The exchange, run by the client.

    // Attaches the request to `socket`: both times become `now`, nothing is sent yet, and the
    // bytes to send are `preamble` followed by the output bytes.
    void attach(Platform::Socket& socket, std::int64_t now, const std::string& preamble);
    void detach() { m_packet.setSocket(nullptr); }
    bool isAttached() const { return m_packet.socket() != nullptr; }
    // Sends the pending bytes, repeating while they go out: 1 when all are sent (or none
    // were pending), 0 to try again later, -1 when the connection is gone (not connected, no
    // socket, or an error of `isConnectionLost`).
    int sendPending();
    // Marks the bytes as sent at `now` and readies the packet for the answer.
    void markSent(std::int64_t now);
    bool isSent() const { return m_sent; }
    std::int64_t connectTime() const { return m_connectTime; }
    std::int64_t sentTime() const { return m_sentTime; }
    cNetPacket& packet() { return m_packet; }
    const cNetPacket& packet() const { return m_packet; }

private:
    cNetBuffer m_output;
    // What goes on the wire for this exchange; its position is the send position.
    cNetBuffer m_pending;
    cNetPacket m_packet;
    int m_value1 = 0;
    int m_value2 = 0;
    AnswerCallback m_answer;
    std::int64_t m_connectTime = 0;
    std::int64_t m_sentTime = 0;
    bool m_sent = false;
    bool m_tunnel = false;
    bool m_notifyOnLoss = false;
    bool m_notifyOnTimeout = false;
};

} // namespace Engine
