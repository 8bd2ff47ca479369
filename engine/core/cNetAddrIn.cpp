#include "engine/core/cNetAddrIn.h"

#include "platform/net/Socket.h"

#include <stdexcept>

namespace Engine
{

cNetAddrIn::cNetAddrIn(const std::string& host, std::uint16_t port) : m_port(port)
{
    const bool dotted = !host.empty() && host.find_first_not_of("0123456789.") == std::string::npos;
    if (!dotted || !Platform::parseIPv4(host, m_address))
        throw std::invalid_argument("0 == EDefaultAddress for cNetAddrIn");
}

} // namespace Engine
