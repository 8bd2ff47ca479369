#include "engine/core/cNetAddrIn.h"
#include "engine/core/cNetBuffer.h"
#include "engine/core/cNetClient.h"
#include "engine/core/cNetPacket.h"
#include "engine/core/cNetRequest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

using Platform::SocketError;

std::string packetBytes(const std::string& body)
{
    Engine::cNetBuffer buffer;
    buffer.writePacket(body.data(), body.size());
    return std::string(reinterpret_cast<const char*>(buffer.data()), buffer.end());
}

// Feeds bytes to a packet in chunks of at most `chunk` bytes; the result of the last call.
int feed(Engine::cNetPacket& packet, const std::string& bytes, std::size_t chunk)
{
    int result = 0;
    std::size_t at = 0;
    while (at < bytes.size() && result != 1)
    {
        const std::size_t count = std::min({chunk, packet.wanted(), bytes.size() - at});
        std::memcpy(packet.receiveArea(), bytes.data() + at, count);
        result = packet.received(static_cast<long>(count), SocketError::None);
        at += count;
    }
    return result;
}

std::string bodyOf(const Engine::cNetPacket& packet)
{
    return std::string(reinterpret_cast<const char*>(packet.body()), packet.size());
}

TEST(NetPacket, ReassemblesALengthAndBodySplitByteByByte)
{
    Engine::cNetPacket packet;
    const std::string wire = packetBytes(std::string("\0hello", 6));
    for (std::size_t i = 0; i + 1 < wire.size(); ++i)
    {
        std::memcpy(packet.receiveArea(), &wire[i], 1);
        ASSERT_EQ(packet.received(1, SocketError::None), 0) << "byte " << i;
        EXPECT_TRUE(packet.hasPartial());
    }
    std::memcpy(packet.receiveArea(), &wire.back(), 1);
    EXPECT_EQ(packet.received(1, SocketError::None), 1);
    EXPECT_TRUE(packet.isComplete());
    EXPECT_EQ(packet.kind(), 0);
    EXPECT_EQ(bodyOf(packet), std::string("\0hello", 6));
    EXPECT_EQ(packet.wanted(), 0u);
}

TEST(NetPacket, LargestBodyAndResetForTheNextPacket)
{
    Engine::cNetPacket packet;
    const std::string body(0xFFFF, '\x07');
    EXPECT_EQ(feed(packet, packetBytes(body), 4096), 1);
    EXPECT_EQ(packet.size(), 0xFFFFu);
    EXPECT_EQ(packet.kind(), 7);

    packet.reset();
    EXPECT_FALSE(packet.isComplete());
    EXPECT_EQ(packet.size(), 0u);
    EXPECT_EQ(feed(packet, packetBytes("\x01z"), 100), 1);
    EXPECT_EQ(bodyOf(packet), "\x01z");
}

TEST(NetPacket, EmptyLengthIsSkippedAndOnlyAClosedPeerGivesAnEmptyPacket)
{
    Engine::cNetPacket packet;
    EXPECT_EQ(feed(packet, std::string("\0\0", 2) + packetBytes("\x03"), 1), 1);
    EXPECT_EQ(bodyOf(packet), "\x03");

    // The peer closing halfway through a body: the part received is not handed on as a whole
    // packet.
    packet.reset();
    const std::string wire = packetBytes("\0abcdefgh");
    EXPECT_EQ(feed(packet, wire.substr(0, 5), 16), 0);
    EXPECT_EQ(packet.received(0, SocketError::None), 1);
    EXPECT_TRUE(packet.isComplete());
    EXPECT_EQ(packet.size(), 0u);
    EXPECT_EQ(packet.kind(), -1);
}

TEST(NetPacket, FailedReceives)
{
    Engine::cNetPacket packet;
    EXPECT_EQ(packet.received(-1, SocketError::WouldBlock), 0);
    EXPECT_EQ(packet.received(-1, SocketError::ConnectionReset), -1);
    EXPECT_FALSE(packet.isComplete());
    EXPECT_THROW(packet.received(3, SocketError::None), std::out_of_range);
    // A packet without a socket reads nothing.
    EXPECT_EQ(packet.readPacket(), 0);
}

TEST(NetBuffer, ReadsStopAtTheEndAndMarkTheBufferBad)
{
    Engine::cNetBuffer buffer;
    buffer.writeU8(1);
    buffer.writeU16(0x0302);
    buffer.writeU32(0x07060504);
    EXPECT_EQ(buffer.end(), 7u);
    EXPECT_EQ(buffer.readU8(), 1);
    EXPECT_EQ(buffer.readU16(), 0x0302);
    EXPECT_EQ(buffer.readU16(), 0x0504);
    EXPECT_FALSE(buffer.isBad());
    EXPECT_EQ(buffer.readU32(), 0u);
    EXPECT_TRUE(buffer.isBad());
    EXPECT_EQ(buffer.state() & Engine::cNetBuffer::kBadBit, 4u);
    EXPECT_EQ(buffer.position(), 5u);
    EXPECT_EQ(buffer.readU16(), 0x0706);
}

TEST(NetBuffer, PacketFraming)
{
    Engine::cNetBuffer buffer;
    buffer.writePacket("ab", 2);
    ASSERT_EQ(buffer.end(), 4u);
    EXPECT_EQ(buffer.readU16(), 2);
    const std::string tooLong(0x10000, 'x');
    EXPECT_THROW(buffer.writePacket(tooLong.data(), tooLong.size()), std::length_error);
    EXPECT_EQ(buffer.end(), 4u);
}

TEST(NetAddrIn, AcceptsOnlyDottedAddresses)
{
    EXPECT_EQ(Engine::cNetAddrIn("127.0.0.1", 80).address(), htonl(INADDR_LOOPBACK));
    for (const char* host : {"", "localhost", "255.255.255.255", "1.2.3.4 ", "-1", "1..2"})
    {
        try
        {
            Engine::cNetAddrIn address(host, 80);
            ADD_FAILURE() << "accepted \"" << host << "\"";
        }
        catch (const std::invalid_argument& error)
        {
            EXPECT_STREQ(error.what(), "0 == EDefaultAddress for cNetAddrIn");
        }
    }
    EXPECT_THROW(Engine::cNetClient("example.org", 80), std::invalid_argument);
}

TEST(NetRequest, ConnectionLostErrors)
{
    for (SocketError error :
         {SocketError::NetworkDown, SocketError::NetworkReset, SocketError::ConnectionAborted,
          SocketError::ConnectionReset, SocketError::ShutDown, SocketError::TimedOut})
        EXPECT_TRUE(Engine::isConnectionLost(error)) << static_cast<int>(error);
    for (SocketError error : {SocketError::None, SocketError::WouldBlock, SocketError::NotConnected,
                              SocketError::ConnectionRefused, SocketError::Other})
        EXPECT_FALSE(Engine::isConnectionLost(error)) << static_cast<int>(error);
}

// A server on an ephemeral port of 127.0.0.1, driven from the test's own thread with
// non-blocking sockets, so each step of an exchange happens when the test says.
class LoopbackServer
{
public:
    LoopbackServer()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_listener, 4) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error(std::string("loopback server: ") + std::strerror(errno));
        m_port = ntohs(address.sin_port);
    }
    ~LoopbackServer()
    {
        closePeer();
        ::close(m_listener);
    }

    std::uint16_t port() const { return m_port; }
    int connections() const { return m_connections; }
    const std::string& received() const { return m_received; }
    void clearReceived() { m_received.clear(); }
    bool peerClosed() const { return m_peerClosed; }

    // Accepts a waiting connection and reads what has arrived on it. One connection at a
    // time; `received` holds what the current (or last) one sent.
    void poll()
    {
        if (m_peer < 0)
        {
            m_peer = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK);
            if (m_peer < 0)
                return;
            ++m_connections;
            m_peerClosed = false;
            m_received.clear();
        }
        char chunk[4096];
        for (;;)
        {
            const ssize_t count = ::recv(m_peer, chunk, sizeof chunk, 0);
            if (count > 0)
                m_received.append(chunk, static_cast<std::size_t>(count));
            else
            {
                if (count == 0)
                {
                    // The client hung up: ready for its next connection.
                    m_peerClosed = true;
                    closePeer();
                }
                return;
            }
        }
    }

    void send(const std::string& bytes)
    {
        std::size_t at = 0;
        while (at < bytes.size())
        {
            const ssize_t count = ::send(m_peer, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
            if (count < 0 && errno != EAGAIN)
                throw std::runtime_error(std::string("loopback send: ") + std::strerror(errno));
            if (count > 0)
                at += static_cast<std::size_t>(count);
        }
    }

    // Closes the accepted connection; `reset` makes the close abortive (the client gets a
    // connection reset instead of an end of stream).
    void closePeer(bool reset = false)
    {
        if (m_peer < 0)
            return;
        if (reset)
        {
            const linger abortive{1, 0};
            ::setsockopt(m_peer, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
        }
        ::close(m_peer);
        m_peer = -1;
    }

    // Closes the listener as well, so connecting to the port is refused.
    void closeListener()
    {
        ::close(m_listener);
        m_listener = -1;
    }

private:
    int m_listener = -1;
    int m_peer = -1;
    std::uint16_t m_port = 0;
    int m_connections = 0;
    bool m_peerClosed = false;
    std::string m_received;
};

struct Answer
{
    int value1 = 0;
    int value2 = 0;
    int status = 0;
    bool hadPacket = false;
    std::string body;
};

constexpr float kFrame = 1.0f / 60.0f;

class NetClientTest : public ::testing::Test
{
protected:
    NetClientTest() : client("127.0.0.1", server.port(), [this] { return now; })
    {
        wire(client);
        client.start();
    }

    // Records what the client's callbacks report.
    void wire(Engine::cNetClient& target)
    {
        target.setPushCallback(
            [this](int kind, const Engine::cNetPacket& packet) {
                pushes.push_back({kind, bodyOf(packet)});
            });
        target.setConnectionLostCallback(
            [this](const Engine::cNetRequest& copy)
            {
                lost.push_back(
                    std::string(reinterpret_cast<const char*>(copy.output().data()), copy.output().end()));
                lostValues.push_back(copy.callerValue1());
            });
        target.setSocketErrorCallback([this](SocketError error, int) { socketErrors.push_back(error); });
    }

    std::unique_ptr<Engine::cNetRequest> request(const std::string& body, int value1 = 1, int value2 = 2)
    {
        auto made = std::make_unique<Engine::cNetRequest>();
        made->output().writePacket(body.data(), body.size());
        made->setCallerValues(value1, value2);
        made->setAnswerCallback(
            [this](int v1, int v2, const Engine::cNetPacket* packet, int status) {
                answers.push_back(
                    {v1, v2, status, packet != nullptr, packet ? bodyOf(*packet) : std::string()});
            });
        return made;
    }

    // Runs frames (and the server) until `done`, giving up after a few seconds of real time so
    // a broken exchange fails instead of hanging.
    bool pump(const std::function<bool()>& done, Engine::cNetClient* target = nullptr)
    {
        for (int frame = 0; frame < 5000; ++frame)
        {
            (target ? *target : client).update(kFrame);
            server.poll();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // A few frames, for checking that something does not happen.
    void frames(int count)
    {
        for (int frame = 0; frame < count; ++frame)
        {
            client.update(kFrame);
            server.poll();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    bool serverHas(const std::string& bytes) { return server.received() == bytes; }

    // Runs the client's first request, which opens the connection, to its answer; what the
    // server received is cleared.
    void openConnection()
    {
        client.queueRequest(request("hello"));
        ASSERT_TRUE(pump([&] { return serverHas(packetBytes("hello")); }));
        server.send(packetBytes(std::string("\0", 1)));
        ASSERT_TRUE(pump([&] { return !answers.empty(); }));
        ASSERT_EQ(answers[0].status, 1);
        answers.clear();
        server.clearReceived();
    }

    std::int64_t now = 1000;
    LoopbackServer server;
    Engine::cNetClient client;
    std::vector<Answer> answers;
    std::vector<std::pair<int, std::string>> pushes;
    std::vector<std::string> lost;
    std::vector<int> lostValues;
    std::vector<SocketError> socketErrors;
};

TEST_F(NetClientTest, RequestsAreAnsweredOverOneConnection)
{
    client.queueRequest(request("first", 5, 6));
    const std::string first = packetBytes("first");
    ASSERT_TRUE(pump([&] { return serverHas(first); }));
    EXPECT_TRUE(client.isConnected());

    // A message pushed before the first answer is no answer: the request keeps waiting.
    server.send(packetBytes("\x07news"));
    ASSERT_TRUE(pump([&] { return !pushes.empty(); }));
    EXPECT_EQ(pushes[0].first, 7);
    EXPECT_TRUE(answers.empty());

    // The first request learns that it was answered, without the packet.
    server.send(packetBytes(std::string("\0one", 4)));
    ASSERT_TRUE(pump([&] { return !answers.empty(); }));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].status, 1);
    EXPECT_FALSE(answers[0].hadPacket);
    EXPECT_EQ(answers[0].value1, 5);
    EXPECT_EQ(answers[0].value2, 6);
    EXPECT_EQ(client.queuedRequests(), 0u);

    // The next requests go over the same connection and get their answers.
    client.queueRequest(request("second"));
    ASSERT_TRUE(pump([&] { return serverHas(first + packetBytes("second")); }));
    server.send(packetBytes(std::string("\0two", 4)));
    ASSERT_TRUE(pump([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers[1].status, 1);
    EXPECT_TRUE(answers[1].hadPacket);
    EXPECT_EQ(answers[1].body, std::string("\0two", 4));
    EXPECT_EQ(server.connections(), 1);
    EXPECT_TRUE(lost.empty());
    EXPECT_TRUE(socketErrors.empty());
}

TEST_F(NetClientTest, PushedMessagesReachThePushCallback)
{
    openConnection();
    client.queueRequest(request("ask"));
    ASSERT_TRUE(pump([&] { return serverHas(packetBytes("ask")); }));

    // While the request waits, a pushed message does not answer it.
    server.send(packetBytes("\x07news"));
    ASSERT_TRUE(pump([&] { return !pushes.empty(); }));
    EXPECT_EQ(pushes[0].first, 7);
    EXPECT_EQ(pushes[0].second, "\x07news");
    EXPECT_TRUE(answers.empty());
    EXPECT_EQ(client.queuedRequests(), 1u);

    server.send(packetBytes(std::string("\0ok", 3)));
    ASSERT_TRUE(pump([&] { return !answers.empty(); }));
    EXPECT_EQ(answers[0].status, 1);
    EXPECT_EQ(answers[0].body, std::string("\0ok", 3));

    // With no request queued, pushed messages still arrive; a stray answer is dropped.
    server.send(packetBytes(std::string("\0stray", 6)) + packetBytes("\x02later"));
    ASSERT_TRUE(pump([&] { return pushes.size() == 2; }));
    EXPECT_EQ(pushes[1].second, "\x02later");
    EXPECT_EQ(answers.size(), 1u);
    EXPECT_TRUE(client.hasSocket());
}

TEST_F(NetClientTest, TunnelLineGoesFirstOnANewConnectionOnly)
{
    auto tunnelled = request("body");
    tunnelled->setTunnel(true);
    client.queueRequest(std::move(tunnelled));
    const std::string expected =
        "CONNECT 127.0.0.1:" + std::to_string(server.port()) + " HTTP/1.0\r\n\r\n" + packetBytes("body");
    ASSERT_TRUE(pump([&] { return server.received().size() >= expected.size(); }));
    EXPECT_EQ(server.received(), expected);

    server.send(packetBytes(std::string("\0", 1)));
    ASSERT_TRUE(pump([&] { return !answers.empty(); }));
    auto again = request("more");
    again->setTunnel(true);
    client.queueRequest(std::move(again));
    ASSERT_TRUE(pump([&] { return server.received().size() >= expected.size() + 6; }));
    EXPECT_EQ(server.received(), expected + packetBytes("more"));
}

TEST_F(NetClientTest, AnswerSplitByteByByteIsReassembled)
{
    openConnection();
    client.queueRequest(request("q"));
    ASSERT_TRUE(pump([&] { return serverHas(packetBytes("q")); }));
    const std::string wire = packetBytes(std::string("\0split answer", 13));
    for (char byte : wire)
    {
        server.send(std::string(1, byte));
        frames(3);
    }
    ASSERT_TRUE(pump([&] { return !answers.empty(); }));
    EXPECT_EQ(answers[0].status, 1);
    EXPECT_EQ(answers[0].body, std::string("\0split answer", 13));
}

TEST_F(NetClientTest, RefusedConnectionIsReportedAsLoss)
{
    server.closeListener();
    // The first request fails alone: no loss notice, the queue stays.
    auto first = request("a", 10);
    first->setNotifyOnLoss(true);
    client.queueRequest(std::move(first));
    auto second = request("b", 20);
    second->setNotifyOnLoss(true);
    client.queueRequest(std::move(second));
    client.queueRequest(request("c", 30));
    ASSERT_TRUE(pump([&] { return !answers.empty(); }));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].status, -1);
    EXPECT_FALSE(answers[0].hadPacket);
    EXPECT_EQ(answers[0].value1, 10);
    EXPECT_TRUE(lost.empty());
    EXPECT_EQ(client.queuedRequests(), 2u);

    // Later requests: the loss callback gets a copy to queue again; the rest of the queue is
    // dropped.
    ASSERT_TRUE(pump([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers[1].value1, 20);
    EXPECT_EQ(answers[1].status, -1);
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0], packetBytes("b"));
    EXPECT_EQ(lostValues[0], 20);
    EXPECT_EQ(client.queuedRequests(), 0u);
    EXPECT_FALSE(client.hasSocket());

    // Without the flag, the failed request leaves alone and the next one tries again.
    client.queueRequest(request("d", 40));
    client.queueRequest(request("e", 50));
    ASSERT_TRUE(pump([&] { return answers.size() == 4; }));
    EXPECT_EQ(answers[2].value1, 40);
    EXPECT_EQ(answers[3].value1, 50);
    EXPECT_EQ(answers[3].status, -1);
    EXPECT_EQ(lost.size(), 1u);
    EXPECT_TRUE(socketErrors.empty());
}

TEST_F(NetClientTest, SilentServerTimesOutAfterFifteenSeconds)
{
    for (int value : {3, 4})
    {
        // The first request times out without a notice; the second one notifies.
        auto waiting = request("hello?", value);
        waiting->setNotifyOnTimeout(true);
        client.queueRequest(std::move(waiting));
        ASSERT_TRUE(pump([&] { return serverHas(packetBytes("hello?")); }));

        now += 14;
        frames(5);
        EXPECT_TRUE(answers.empty());

        now += 1;
        ASSERT_TRUE(pump([&] { return !answers.empty(); }));
        EXPECT_EQ(answers[0].status, -1);
        EXPECT_FALSE(answers[0].hadPacket);
        EXPECT_EQ(answers[0].value1, value);
        EXPECT_EQ(lost.size(), value == 3 ? 0u : 1u);
        EXPECT_FALSE(client.hasSocket());
        ASSERT_TRUE(pump([&] { return server.peerClosed(); }));
        answers.clear();
    }
    EXPECT_EQ(lostValues, std::vector<int>{4});
    EXPECT_EQ(server.connections(), 2);
}

TEST_F(NetClientTest, FirstRequestFailuresEndOnlyThatRequest)
{
    // The server hangs up, resets, or hangs up halfway through an answer: the first request
    // gets -1, notifies nobody, and the one behind it goes out on a new connection.
    const std::function<void()> failures[] = {
        [&] { server.closePeer(); },
        [&] { server.closePeer(true); },
        [&]
        {
            server.send(std::string("\x10\x00\x00", 3));
            frames(3);
            server.closePeer();
        },
    };
    for (const auto& fail : failures)
    {
        Engine::cNetClient fresh("127.0.0.1", server.port(), [this] { return now; });
        wire(fresh);
        fresh.start();
        auto first = request("one", 1);
        first->setNotifyOnLoss(true);
        first->setNotifyOnTimeout(true);
        fresh.queueRequest(std::move(first));
        fresh.queueRequest(request("two", 2));
        ASSERT_TRUE(pump([&] { return serverHas(packetBytes("one")); }, &fresh));
        fail();
        ASSERT_TRUE(pump([&] { return !answers.empty(); }, &fresh));
        EXPECT_EQ(answers[0].status, -1);
        EXPECT_FALSE(answers[0].hadPacket);
        EXPECT_EQ(answers[0].value1, 1);
        EXPECT_TRUE(lost.empty());
        EXPECT_TRUE(socketErrors.empty());
        EXPECT_EQ(fresh.queuedRequests(), 1u);
        ASSERT_TRUE(pump([&] { return serverHas(packetBytes("two")); }, &fresh));
        answers.clear();
        server.closePeer();
    }
    EXPECT_EQ(server.connections(), 6);
}

TEST_F(NetClientTest, TimeoutWithoutTheNotifyFlagKeepsTheQueue)
{
    openConnection();
    client.queueRequest(request("x", 1));
    client.queueRequest(request("y", 2));
    ASSERT_TRUE(pump([&] { return serverHas(packetBytes("x")); }));
    now += 20;
    ASSERT_TRUE(pump([&] { return !answers.empty(); }));
    EXPECT_EQ(answers[0].status, -1);
    EXPECT_TRUE(lost.empty());
    // The next request opens a new connection.
    ASSERT_TRUE(pump([&] { return server.connections() == 2 && serverHas(packetBytes("y")); }));
    EXPECT_EQ(client.queuedRequests(), 1u);
}

TEST_F(NetClientTest, PeerClosingMidPacketIsLoss)
{
    openConnection();
    auto cut = request("give", 8);
    cut->setNotifyOnLoss(true);
    client.queueRequest(std::move(cut));
    ASSERT_TRUE(pump([&] { return serverHas(packetBytes("give")); }));
    // The largest length a packet can announce, then a fraction of the body.
    server.send(std::string("\xff\xff\x00", 3) + std::string(300, 'p'));
    frames(3);
    server.closePeer();
    ASSERT_TRUE(pump([&] { return !answers.empty(); }));
    EXPECT_EQ(answers[0].status, -1);
    EXPECT_FALSE(answers[0].hadPacket);
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lostValues[0], 8);
    EXPECT_FALSE(client.hasSocket());
}

TEST_F(NetClientTest, ResetConnectionIsASocketError)
{
    openConnection();
    client.queueRequest(request("r", 4));
    client.queueRequest(request("s", 5));
    ASSERT_TRUE(pump([&] { return serverHas(packetBytes("r")); }));
    server.closePeer(true);
    ASSERT_TRUE(pump([&] { return !socketErrors.empty(); }));
    EXPECT_EQ(socketErrors[0], SocketError::ConnectionReset);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].value1, 4);
    EXPECT_EQ(answers[0].status, -1);
    EXPECT_EQ(client.queuedRequests(), 0u);
    EXPECT_FALSE(client.hasSocket());
}

TEST_F(NetClientTest, AnswerCallbackMayQueueTheNextRequest)
{
    auto first = request("one");
    first->setAnswerCallback(
        [this](int, int, const Engine::cNetPacket* packet, int status)
        {
            answers.push_back({0, 0, status, packet != nullptr, {}});
            client.queueRequest(request("two"));
        });
    client.queueRequest(std::move(first));
    ASSERT_TRUE(pump([&] { return serverHas(packetBytes("one")); }));
    server.send(packetBytes(std::string("\0", 1)));
    ASSERT_TRUE(pump([&] { return serverHas(packetBytes("one") + packetBytes("two")); }));
    EXPECT_EQ(answers.size(), 1u);
    EXPECT_EQ(client.queuedRequests(), 1u);
}

TEST_F(NetClientTest, AverageResponseTime)
{
    client.setAveragingPeriod(1.0f);
    client.queueRequest(request("t"));
    ASSERT_TRUE(pump([&] { return serverHas(packetBytes("t")); }));
    now += 2;
    server.send(packetBytes(std::string("\0", 1)));
    ASSERT_TRUE(pump([&] { return !answers.empty(); }));
    client.update(1.0f);
    EXPECT_FLOAT_EQ(client.averageResponseTime(), 2.0f);
}

TEST_F(NetClientTest, StoppedClientDoesNothingAndRestartsAfresh)
{
    client.stop();
    client.queueRequest(request("later"));
    frames(5);
    EXPECT_EQ(server.connections(), 0);
    client.start();
    ASSERT_TRUE(pump([&] { return serverHas(packetBytes("later")); }));
}

} // namespace
