#pragma once

namespace PyroParticles
{

// A record of four values the device keeps for the library.
class IPyroParamRecord
{
public:
    virtual ~IPyroParamRecord() = default;
};

} // namespace PyroParticles
