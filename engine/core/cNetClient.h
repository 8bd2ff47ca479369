#pragma once

#include "engine/core/cNetAddrIn.h"
#include "engine/core/cNetPacket.h"
#include "engine/core/cNetRequest.h"
#include "platform/net/Socket.h"

#include <boost/function.hpp>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace Engine
{

// A small request/answer client over one TCP connection, driven by one `update` a frame and
// never blocking: the socket is non-blocking and every wait is a zero-timeout poll.
//
// Requests wait in a queue; the front one is connected, sent and answered (or timed out)
// over successive frames, then leaves the queue. The connection is opened for the front
// request when there is none and kept for the requests after it. Messages the server pushes
// on its own go to the push callback, also between requests.
//
// Every request that leaves the queue at the front has its answer callback called exactly
// once: with the answer, or with -1 when it failed. The request is out of the queue by then,
// so callbacks may queue new requests. Callbacks must not destroy the client.
//
// The first request of a client opens the connection, and its exchange ends more simply: an
// answer gives status 1 without the packet (it only tells that the server answered), and
// every failure (refused or lost connection, socket error, no answer within the timeout)
// gives -1 and closes the connection, leaving the requests queued behind it to open a new
// one; neither the loss nor the timeout notification is sent for it. From the second request
// on, answers come with their packet, and losses and timeouts notify as each request asks.
class cNetClient
{
public:
    // Whole seconds from any fixed start; the timeouts and response times are measured on it.
    using Clock = boost::function<std::int64_t()>;
    // Gets a fresh copy of the request whose connection was lost or which timed out (when
    // the request asked for it), to queue again if the owner wishes.
    using ConnectionLostCallback = boost::function<void(const cNetRequest& request)>;
    // Gets the error that broke the connection and the system's error number behind it.
    using SocketErrorCallback = boost::function<void(Platform::SocketError error, int systemError)>;
    // Gets the kind byte and the whole packet of a message the server pushed.
    using PushCallback = boost::function<void(int kind, const cNetPacket& packet)>;

    static constexpr std::int64_t kTimeoutSeconds = 15;
    static constexpr std::size_t kMaxSamples = 10;
    static constexpr float kDefaultAveragingPeriod = 5.0f;

    // Throws std::invalid_argument "0 == EDefaultAddress for cNetAddrIn" when the host is no
    // dotted IPv4 address, so a bad address is found when the client is made and not in the
    // middle of a frame. Without a clock, a monotonic clock of the system is used (a wall
    // clock set back would hold a request for as long).
    cNetClient(const std::string& host, std::uint16_t port, Clock clock = Clock());
    cNetClient(const cNetClient&) = delete;
    cNetClient& operator=(const cNetClient&) = delete;

    // A new client is stopped: `update` does nothing until `start`. `stop` also closes the
    // connection; the queued requests stay and start afresh on the next `start`.
    void start() { m_started = true; }
    void stop();
    bool isStarted() const { return m_started; }

    // Requests go to the back of the queue. A null request is ignored.
    void queueRequest(std::unique_ptr<cNetRequest> request);
    std::size_t queuedRequests() const { return m_requests.size(); }

    // One step of the exchange; call once a frame with the frame time in seconds (it paces
    // the response-time average).
    void update(float frameTime);

    // The last computed average response time in seconds: over every `kMaxSamples` answered
    // requests, and every averaging period over what has been collected since.
    float averageResponseTime() const { return m_average; }
    void setAveragingPeriod(float seconds);

    void setConnectionLostCallback(ConnectionLostCallback callback)
    {
        m_onConnectionLost = std::move(callback);
    }
    void setSocketErrorCallback(SocketErrorCallback callback) { m_onSocketError = std::move(callback); }
    void setPushCallback(PushCallback callback) { m_onPush = std::move(callback); }

    const std::string& host() const { return m_host; }
    std::uint16_t port() const { return m_port; }
    // True once a request has been sent over the open connection.
    bool isConnected() const { return m_connected; }
    bool hasSocket() const { return m_socket.isOpen(); }

private:
    std::int64_t now() const { return m_clock(); }
    std::string tunnelLine() const;
    bool openSocket();
    void closeSocket();
    void receiveIdle();
    void serveFront();
    void serveFirst(cNetRequest& request);
    void finishFirst(int status);
    void sendFront(cNetRequest& request);
    void readFront(cNetRequest& request);
    void push(cNetPacket& packet);
    void answerFront(bool withPacket);
    void failFront(bool notify, bool sample);
    void connectionError();
    std::unique_ptr<cNetRequest> popFront();
    float ageOf(const cNetRequest& request) const;
    void addAnswerSample(float seconds);
    void addFailureSample(float seconds);
    void updateStatistics(float frameTime);

    cNetAddrIn m_address;
    std::string m_host;
    std::uint16_t m_port;
    Clock m_clock;

    std::deque<std::unique_ptr<cNetRequest>> m_requests;
    Platform::Socket m_socket;
    // The error of a connect that failed at once (a refused loopback connect may).
    Platform::SocketError m_connectError = Platform::SocketError::None;
    bool m_started = false;
    // Set once the client's first request has been answered or has failed.
    bool m_firstRequestDone = false;
    bool m_connected = false;
    // Set while the idle packet holds part of a message: it is read to its end before the
    // next request goes out.
    bool m_receiving = false;
    cNetPacket m_idlePacket;

    ConnectionLostCallback m_onConnectionLost;
    SocketErrorCallback m_onSocketError;
    PushCallback m_onPush;

    float m_samples[kMaxSamples] = {};
    std::size_t m_sampleCount = 0;
    float m_average = 0.0f;
    float m_countdown = kDefaultAveragingPeriod;
    float m_period = kDefaultAveragingPeriod;
};

} // namespace Engine
