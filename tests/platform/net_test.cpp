#include "platform/net/Socket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace
{

using Platform::SocketError;

// A listening socket on an ephemeral port of 127.0.0.1.
struct Listener
{
    Listener()
    {
        handle = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(handle, reinterpret_cast<sockaddr*>(&address), length), 0);
        EXPECT_EQ(::listen(handle, 4), 0);
        EXPECT_EQ(::getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length), 0);
        port = ntohs(address.sin_port);
    }
    ~Listener()
    {
        if (handle >= 0)
            ::close(handle);
    }
    int handle = -1;
    std::uint16_t port = 0;
};

std::uint32_t loopback()
{
    std::uint32_t address = 0;
    EXPECT_TRUE(Platform::parseIPv4("127.0.0.1", address));
    return address;
}

// Starts a non-blocking connect; returns once it is writable or has failed.
bool connectLoopback(Platform::Socket& socket, std::uint16_t port)
{
    EXPECT_TRUE(socket.create());
    EXPECT_TRUE(socket.setNonBlocking());
    EXPECT_TRUE(socket.setNoDelay());
    if (!socket.connect(loopback(), port) && socket.error() != SocketError::WouldBlock)
        return false;
    return socket.isWritable(5, 0);
}

TEST(Socket, ErrnoValuesMapToTheClientsCodes)
{
    EXPECT_EQ(Platform::socketErrorFromErrno(0), SocketError::None);
    EXPECT_EQ(Platform::socketErrorFromErrno(EINPROGRESS), SocketError::WouldBlock);
    EXPECT_EQ(Platform::socketErrorFromErrno(EAGAIN), SocketError::WouldBlock);
    EXPECT_EQ(Platform::socketErrorFromErrno(EPIPE), SocketError::ConnectionReset);
    EXPECT_EQ(Platform::socketErrorFromErrno(ENOTCONN), SocketError::NotConnected);
    EXPECT_EQ(Platform::socketErrorFromErrno(ECONNREFUSED), SocketError::ConnectionRefused);
    EXPECT_EQ(Platform::socketErrorFromErrno(ENOMEM), SocketError::Other);
    EXPECT_EQ(static_cast<int>(SocketError::WouldBlock), 10035);
    EXPECT_EQ(static_cast<int>(SocketError::ConnectionReset), 10054);
}

TEST(Socket, RefusedConnectIsAnErrorNotAWritableSocket)
{
    std::uint16_t port = 0;
    {
        Listener closed;
        port = closed.port;
    }
    Platform::Socket socket;
    EXPECT_FALSE(connectLoopback(socket, port));
    EXPECT_EQ(socket.error(), SocketError::ConnectionRefused);
    // Polled again after the failure: still not writable.
    EXPECT_FALSE(socket.isWritable());
    EXPECT_NE(socket.error(), SocketError::None);
}

TEST(Socket, ExchangeAndAClosedPeer)
{
    Listener listener;
    Platform::Socket socket;
    ASSERT_TRUE(connectLoopback(socket, listener.port));
    EXPECT_EQ(socket.error(), SocketError::None);
    const int peer = ::accept(listener.handle, nullptr, nullptr);
    ASSERT_GE(peer, 0);

    char byte = 0;
    EXPECT_FALSE(socket.isReadable());
    EXPECT_EQ(socket.recv(&byte, 1), -1);
    EXPECT_EQ(socket.error(), SocketError::WouldBlock);

    EXPECT_EQ(socket.send("hi", 2), 2);
    char got[2] = {};
    EXPECT_EQ(::recv(peer, got, 2, MSG_WAITALL), 2);
    EXPECT_EQ(::send(peer, "!", 1, 0), 1);
    for (int i = 0; i < 5000 && !socket.isReadable(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(socket.recv(&byte, 1), 1);
    EXPECT_EQ(byte, '!');

    ::close(peer);
    for (int i = 0; i < 5000 && !socket.isReadable(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(socket.recv(&byte, 1), 0);

    // Sending to the closed peer fails with an error, without a SIGPIPE ending the test.
    long sent = 0;
    for (int i = 0; i < 100 && sent >= 0; ++i)
    {
        sent = socket.send("more", 4);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(sent, -1);
    EXPECT_EQ(socket.error(), SocketError::ConnectionReset);
}

TEST(Socket, ClosedSocketReportsItself)
{
    Platform::Socket socket;
    EXPECT_FALSE(socket.isOpen());
    EXPECT_FALSE(socket.close());
    EXPECT_EQ(socket.error(), SocketError::NotSocket);
    EXPECT_TRUE(socket.create());
    EXPECT_TRUE(socket.isOpen());
    EXPECT_TRUE(socket.close());
    EXPECT_FALSE(socket.isOpen());
    EXPECT_FALSE(socket.isReadable());
    EXPECT_FALSE(socket.isWritable());
    EXPECT_EQ(socket.send("x", 1), -1);
    EXPECT_EQ(socket.error(), SocketError::NotSocket);
}

} // namespace
