#include "platform/net/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Platform
{

SocketError socketErrorFromErrno(int error)
{
    switch (error)
    {
    case 0:
        return SocketError::None;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EINPROGRESS:
    case EALREADY:
    case EINTR:
        // All of them mean "not now, try again later" to a caller that polls every frame.
        return SocketError::WouldBlock;
    case EBADF:
    case ENOTSOCK:
        return SocketError::NotSocket;
    case ENETDOWN:
        return SocketError::NetworkDown;
    case ENETUNREACH:
        return SocketError::NetworkUnreachable;
    case ENETRESET:
        return SocketError::NetworkReset;
    case ECONNABORTED:
        return SocketError::ConnectionAborted;
    case ECONNRESET:
    case EPIPE:
        return SocketError::ConnectionReset;
    case ENOTCONN:
        return SocketError::NotConnected;
    case ESHUTDOWN:
        return SocketError::ShutDown;
    case ETIMEDOUT:
        return SocketError::TimedOut;
    case ECONNREFUSED:
        return SocketError::ConnectionRefused;
    case EHOSTUNREACH:
    case EHOSTDOWN:
        return SocketError::HostUnreachable;
    default:
        return SocketError::Other;
    }
}

bool parseIPv4(const std::string& text, std::uint32_t& address)
{
    const in_addr_t value = inet_addr(text.c_str());
    if (value == INADDR_NONE)
        return false;
    address = value;
    return true;
}

Socket::~Socket()
{
    if (m_handle >= 0)
        ::close(m_handle);
}

bool Socket::store(bool ok)
{
    storeErrno(ok ? 0 : errno);
    return ok;
}

void Socket::storeErrno(int error)
{
    m_systemError = error;
    m_error = socketErrorFromErrno(error);
}

bool Socket::create()
{
    if (m_handle >= 0)
        close();
    m_handle = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return store(m_handle >= 0);
}

bool Socket::close()
{
    if (m_handle < 0)
    {
        storeErrno(EBADF);
        return false;
    }
    const int handle = m_handle;
    m_handle = -1;
    // The handle is gone even when close reports an error (EINTR included), so it is never
    // closed twice.
    return store(::close(handle) == 0);
}

bool Socket::connect(std::uint32_t address, std::uint16_t port)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = address;
    return store(::connect(m_handle, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0);
}

bool Socket::setNonBlocking()
{
    int on = 1;
    return store(::ioctl(m_handle, FIONBIO, &on) == 0);
}

bool Socket::setNoDelay()
{
    const int on = 1;
    return store(::setsockopt(m_handle, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) == 0);
}

long Socket::send(const void* data, std::size_t count)
{
    const ssize_t sent = ::send(m_handle, data, count, MSG_NOSIGNAL);
    store(sent >= 0);
    return sent < 0 ? -1 : static_cast<long>(sent);
}

long Socket::recv(void* buffer, std::size_t count)
{
    const ssize_t received = ::recv(m_handle, buffer, count, 0);
    store(received >= 0);
    return received < 0 ? -1 : static_cast<long>(received);
}

bool Socket::isReadable()
{
    if (m_handle < 0)
    {
        storeErrno(EBADF);
        return false;
    }
    pollfd entry{m_handle, POLLIN, 0};
    const int ready = ::poll(&entry, 1, 0);
    if (ready < 0)
        return store(false);
    storeErrno(0);
    if (entry.revents & POLLNVAL)
    {
        storeErrno(EBADF);
        return false;
    }
    return (entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

bool Socket::isWritable(long seconds, long microseconds)
{
    if (m_handle < 0)
    {
        storeErrno(EBADF);
        return false;
    }
    long long ms = static_cast<long long>(seconds) * 1000 + microseconds / 1000;
    if (ms < 0)
        ms = 0;
    if (ms > INT_MAX)
        ms = INT_MAX;
    pollfd entry{m_handle, POLLOUT, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(ms));
    if (ready < 0)
        return store(false);
    storeErrno(0);
    if (ready == 0)
        return false;
    if (entry.revents & POLLNVAL)
    {
        storeErrno(EBADF);
        return false;
    }
    // A non-blocking connect that failed shows as writable with the failure pending in
    // SO_ERROR; report that failure rather than a socket ready to take bytes.
    int pending = 0;
    socklen_t length = sizeof pending;
    if (::getsockopt(m_handle, SOL_SOCKET, SO_ERROR, &pending, &length) != 0)
        return store(false);
    if (pending != 0)
    {
        storeErrno(pending);
        return false;
    }
    // Hung up with no error left to read: the connect failed earlier (its error went to the
    // connect call itself) or both directions are shut.
    if (entry.revents & POLLHUP)
    {
        storeErrno(ENOTCONN);
        return false;
    }
    return (entry.revents & POLLOUT) != 0;
}

} // namespace Platform
