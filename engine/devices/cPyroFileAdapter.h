#pragma once

#include "platform/particles/IPyroFile.h"

#include <memory>

namespace Engine
{

class cStream;

// The file object the particle library reads an effect file through: one open stream of the
// engine's file system, owned and closed by the adapter.
class cPyroFileAdapter final : public PyroParticles::IPyroFile
{
public:
    explicit cPyroFileAdapter(std::unique_ptr<cStream> stream);
    ~cPyroFileAdapter() override;

    // Without a stream each answers 0.
    int read(void* buffer, unsigned count) override;
    int write(const void* buffer, unsigned count) override;
    int seek(int offset, int origin) override;
    int flush() override { return 0; }

private:
    std::unique_ptr<cStream> m_stream;
};

} // namespace Engine
