#pragma once

#include <string>
#include <utility>

namespace Engine
{

// The engine's string: a standard narrow or wide string with the engine's own type, so a
// thrown engine failure (`cString<std::string>`) can be told apart from other strings.
template <class S> class cString : public S
{
public:
    using S::S;
    cString() = default;
    cString(const S& other) : S(other) {}
    cString(S&& other) : S(std::move(other)) {}
};

using cStringA = cString<std::string>;
using cStringW = cString<std::wstring>;

} // namespace Engine
