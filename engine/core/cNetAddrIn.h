#pragma once

#include <cstdint>
#include <string>

namespace Engine
{

// An IPv4 address and port to connect to. The host must be a dotted address: host names are
// not resolved, so the client never blocks on a name lookup.
class cNetAddrIn
{
public:
    // Throws std::invalid_argument "0 == EDefaultAddress for cNetAddrIn" when the host is
    // empty, holds anything but digits and dots, or is no address ("255.255.255.255"
    // included).
    cNetAddrIn(const std::string& host, std::uint16_t port);

    // Network byte order.
    std::uint32_t address() const { return m_address; }
    // Host byte order.
    std::uint16_t port() const { return m_port; }

private:
    std::uint32_t m_address = 0;
    std::uint16_t m_port = 0;
};

} // namespace Engine
