#include "engine/core/cNetClient.h"

#include <chrono>
#include <utility>

namespace Engine
{
namespace
{

std::int64_t steadySeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool isFailure(Platform::SocketError error)
{
    return error != Platform::SocketError::None && error != Platform::SocketError::WouldBlock;
}

} // namespace

cNetClient::cNetClient(const std::string& host, std::uint16_t port, Clock clock)
    : m_address(host, port), m_host(host), m_port(port),
      m_clock(clock ? std::move(clock) : Clock(&steadySeconds))
{
}

void cNetClient::stop()
{
    m_started = false;
    closeSocket();
}

void cNetClient::queueRequest(std::unique_ptr<cNetRequest> request)
{
    if (request)
        m_requests.push_back(std::move(request));
}

void cNetClient::setAveragingPeriod(float seconds)
{
    if (!(seconds > 0.0f))
        return;
    m_period = seconds;
    m_countdown = seconds;
}

void cNetClient::update(float frameTime)
{
    if (!m_started)
        return;
    // A message that began to arrive between requests is read to its end first, so that the
    // next answer is not read from the middle of it.
    if (m_requests.empty() || m_receiving)
        receiveIdle();
    else
        serveFront();
    updateStatistics(frameTime);
}

std::string cNetClient::tunnelLine() const
{
    return "CONNECT " + m_host + ":" + std::to_string(m_port) + " HTTP/1.0\r\n\r\n";
}

bool cNetClient::openSocket()
{
    m_connectError = Platform::SocketError::None;
    if (!m_socket.create() || !m_socket.setNonBlocking() || !m_socket.setNoDelay())
        return false;
    if (!m_socket.connect(m_address.address(), m_address.port()) &&
        m_socket.error() != Platform::SocketError::WouldBlock)
        m_connectError = m_socket.error();
    return true;
}

void cNetClient::closeSocket()
{
    if (m_socket.isOpen())
        m_socket.close();
    m_connectError = Platform::SocketError::None;
    m_connected = false;
    m_receiving = false;
    m_idlePacket.setSocket(nullptr);
    m_idlePacket.reset();
    for (const auto& request : m_requests)
        request->detach();
}

void cNetClient::receiveIdle()
{
    if (!m_socket.isOpen())
    {
        m_receiving = false;
        return;
    }
    m_receiving = true;
    if (!m_idlePacket.socket())
    {
        m_idlePacket.setSocket(&m_socket);
        m_idlePacket.reset();
    }
    if (!m_socket.isReadable())
    {
        m_receiving = m_idlePacket.hasPartial();
        return;
    }
    const int result = m_idlePacket.readPacket();
    if (result == 1)
    {
        m_receiving = false;
        if (m_idlePacket.size() == 0)
        {
            // The server closed the connection; the next request opens a new one.
            closeSocket();
            return;
        }
        if (m_idlePacket.kind() != 0)
            push(m_idlePacket);
        else
            m_idlePacket.reset(); // An answer that no request waits for (one given up on).
        return;
    }
    if (result == -1 || isFailure(m_socket.error()))
    {
        // Lost while no request waited: nothing to report; the next request reconnects.
        closeSocket();
        return;
    }
    m_receiving = m_idlePacket.hasPartial();
}

void cNetClient::serveFront()
{
    cNetRequest& request = *m_requests.front();
    bool opened = false;
    if (!m_socket.isOpen())
    {
        if (!openSocket())
        {
            connectionError();
            return;
        }
        opened = true;
    }
    if (!request.isAttached())
        request.attach(m_socket, now(), opened && request.tunnel() ? tunnelLine() : std::string());
    if (!m_firstRequestDone)
    {
        serveFirst(request);
        return;
    }
    if (m_connectError != Platform::SocketError::None)
    {
        failFront(request.notifyOnLoss(), true);
        return;
    }
    if (!request.isSent())
        sendFront(request);
    else
        readFront(request);
}

void cNetClient::serveFirst(cNetRequest& request)
{
    if (!m_connected)
    {
        // Until its bytes are out, a failed connect or send, or too long a wait, ends it.
        bool failed = m_connectError != Platform::SocketError::None;
        if (!failed && m_socket.isWritable(0, 0))
        {
            const int result = request.sendPending();
            if (result == 1)
            {
                m_connected = true;
                request.markSent(now());
                return;
            }
            failed = result == -1 || isFailure(m_socket.error());
        }
        else if (!failed)
            failed = isFailure(m_socket.error());
        if (failed || now() - request.connectTime() >= kTimeoutSeconds)
            finishFirst(-1);
        return;
    }
    if (!m_socket.isReadable())
    {
        if (isFailure(m_socket.error()) || now() - request.sentTime() >= kTimeoutSeconds)
            finishFirst(-1);
        return;
    }
    cNetPacket& packet = request.packet();
    const int result = packet.readPacket();
    if (result == 1)
    {
        if (packet.size() == 0)
            finishFirst(-1); // the server closed the connection instead of answering
        else if (packet.kind() != 0)
            push(packet);
        else
            finishFirst(1);
        return;
    }
    if (result == -1 || isFailure(m_socket.error()))
        finishFirst(-1);
}

void cNetClient::finishFirst(int status)
{
    m_firstRequestDone = true;
    if (status == 1)
        answerFront(false);
    else
        failFront(false, true);
}

void cNetClient::sendFront(cNetRequest& request)
{
    if (m_socket.isWritable(0, 0))
    {
        const int result = request.sendPending();
        if (result == 1)
        {
            request.markSent(now());
            m_connected = true;
            return;
        }
        if (result == -1)
        {
            connectionError();
            return;
        }
    }
    else if (isFailure(m_socket.error()))
    {
        // The connect failed (refused, unreachable) or the connection broke.
        failFront(request.notifyOnLoss(), true);
        return;
    }
    // Not connected, or the bytes do not go out, for too long.
    if (now() - request.connectTime() >= kTimeoutSeconds)
        failFront(request.notifyOnTimeout(), false);
}

void cNetClient::readFront(cNetRequest& request)
{
    if (!m_socket.isReadable())
    {
        if (isFailure(m_socket.error()))
            connectionError();
        else if (now() - request.sentTime() >= kTimeoutSeconds)
            failFront(request.notifyOnTimeout(), false);
        return;
    }
    // Read also for a request without an answer callback: its answer must leave the stream,
    // and the request leaves the queue with it.
    cNetPacket& packet = request.packet();
    const int result = packet.readPacket();
    if (result == 1)
    {
        if (packet.size() == 0)
            failFront(request.notifyOnLoss(), true);
        else if (packet.kind() != 0)
            push(packet);
        else
            answerFront(true);
        return;
    }
    if (result == -1 || isFailure(m_socket.error()))
        connectionError();
}

void cNetClient::push(cNetPacket& packet)
{
    // The callback gets its own copy, so whatever it does to the client (queue, stop) cannot
    // pull the packet away under it; the packet itself is ready for the next message.
    const cNetPacket message(packet);
    packet.reset();
    if (m_onPush)
        m_onPush(message.kind(), message);
}

std::unique_ptr<cNetRequest> cNetClient::popFront()
{
    std::unique_ptr<cNetRequest> request = std::move(m_requests.front());
    m_requests.pop_front();
    return request;
}

void cNetClient::answerFront(bool withPacket)
{
    const std::unique_ptr<cNetRequest> request = popFront();
    addAnswerSample(ageOf(*request));
    if (request->answerCallback())
        request->answerCallback()(request->callerValue1(), request->callerValue2(),
                                  withPacket ? &request->packet() : nullptr, 1);
}

void cNetClient::failFront(bool notify, bool sample)
{
    const std::unique_ptr<cNetRequest> request = popFront();
    if (sample)
        addFailureSample(ageOf(*request));
    closeSocket();
    std::unique_ptr<cNetRequest> copy;
    if (notify)
    {
        copy = std::make_unique<cNetRequest>(*request);
        m_requests.clear();
    }
    if (request->answerCallback())
        request->answerCallback()(request->callerValue1(), request->callerValue2(), nullptr, -1);
    if (copy && m_onConnectionLost)
        m_onConnectionLost(*copy);
}

void cNetClient::connectionError()
{
    const Platform::SocketError error = m_socket.error();
    const int systemError = m_socket.systemError();
    std::unique_ptr<cNetRequest> request;
    if (!m_requests.empty())
        request = popFront();
    closeSocket();
    m_requests.clear();
    if (request && request->answerCallback())
        request->answerCallback()(request->callerValue1(), request->callerValue2(), nullptr, -1);
    if (m_onSocketError)
        m_onSocketError(error, systemError);
}

float cNetClient::ageOf(const cNetRequest& request) const
{
    return static_cast<float>(now() - request.connectTime());
}

void cNetClient::addAnswerSample(float seconds)
{
    m_samples[m_sampleCount++] = seconds;
    if (m_sampleCount < kMaxSamples)
        return;
    float sum = 0.0f;
    for (float sample : m_samples)
        sum += sample;
    m_average = sum / static_cast<float>(kMaxSamples);
    m_sampleCount = 0;
}

void cNetClient::addFailureSample(float seconds)
{
    if (m_sampleCount < kMaxSamples)
        m_samples[m_sampleCount++] = seconds;
    float sum = 0.0f;
    for (std::size_t i = 0; i < m_sampleCount; ++i)
        sum += m_samples[i];
    m_average = sum / static_cast<float>(m_sampleCount);
}

void cNetClient::updateStatistics(float frameTime)
{
    m_countdown -= frameTime;
    if (m_countdown > 0.0f)
        return;
    m_countdown += m_period;
    // A frame longer than the period does not leave the countdown behind for good.
    if (m_countdown <= 0.0f)
        m_countdown = m_period;
    float sum = 0.0f;
    for (std::size_t i = 0; i < m_sampleCount; ++i)
        sum += m_samples[i];
    std::size_t count = m_sampleCount;
    // The request in progress counts with its age so far once its connection is up, so a
    // server that stops answering shows in the average before the request times out.
    if (!m_requests.empty() && m_connected && m_requests.front()->isAttached())
    {
        sum += ageOf(*m_requests.front());
        ++count;
    }
    if (count != 0)
        m_average = sum / static_cast<float>(count);
    m_sampleCount = 0;
}

} // namespace Engine
