#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A TCP socket for the engine's request client: non-blocking connect, zero-timeout polls,
// send and receive. The engine never sees the socket headers; it sees this class and the
// error codes below.
namespace Platform
{

// Socket failures as the client logic tests them. The numbers are the Windows Sockets codes,
// so a code in a trace reads the same on every platform; `socketErrorFromErrno` maps the
// Linux error numbers onto them.
enum class SocketError : int
{
    None = 0,
    WouldBlock = 10035,
    NotSocket = 10038,
    NetworkDown = 10050,
    NetworkUnreachable = 10051,
    NetworkReset = 10052,
    ConnectionAborted = 10053,
    ConnectionReset = 10054,
    NotConnected = 10057,
    ShutDown = 10058,
    TimedOut = 10060,
    ConnectionRefused = 10061,
    HostUnreachable = 10065,
    // Any failure without a code of its own; `Socket::systemError` holds the errno.
    Other = -1,
};

SocketError socketErrorFromErrno(int error);

// A dotted IPv4 text as the C library's inet_addr reads it, in network byte order. False
// when the text is no such address; "255.255.255.255" reads as the error value and is
// refused too. Host names are not resolved.
bool parseIPv4(const std::string& text, std::uint32_t& address);

class Socket
{
public:
    Socket() = default;
    // Closes the handle when one is open.
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Each operation stores the error of its own call: `error` is None after a success.

    // A TCP stream socket (closing the old handle first).
    bool create();
    bool close();
    // Starts a connect to `address` (network byte order) and `port` (host byte order). A
    // non-blocking connect that is under way fails with WouldBlock.
    bool connect(std::uint32_t address, std::uint16_t port);
    bool setNonBlocking();
    bool setNoDelay();
    // Bytes sent, or -1. Never raises SIGPIPE: a closed peer is a ConnectionReset error.
    long send(const void* data, std::size_t count);
    // Bytes received, 0 when the peer has closed, or -1.
    long recv(void* buffer, std::size_t count);
    // Polls with a zero timeout. A socket in error or closed by its peer counts as readable,
    // so that the next `recv` reports what happened.
    bool isReadable();
    // Polls for writing with the given timeout. A connect that failed is not writable: the
    // call answers false with the connect's error (refused, unreachable, ...).
    bool isWritable(long seconds = 0, long microseconds = 0);

    bool isOpen() const { return m_handle >= 0; }
    int handle() const { return m_handle; }
    SocketError error() const { return m_error; }
    // The errno behind `error`, 0 after a success.
    int systemError() const { return m_systemError; }

private:
    bool store(bool ok);
    void storeErrno(int error);

    int m_handle = -1;
    SocketError m_error = SocketError::None;
    int m_systemError = 0;
};

} // namespace Platform
