#pragma once

namespace PyroParticles
{

// The file object through which the library reads an effect file. The library never opens
// files itself: the engine hands it one of these on a stream of its own file system.
class IPyroFile
{
public:
    // Returns the bytes read; 0 at the end; negative on a damaged file.
    virtual int read(void* buffer, unsigned count) = 0;
    // Returns the bytes written.
    virtual int write(const void* buffer, unsigned count) = 0;
    // Origin 0 start, 1 current, 2 end; returns the new position (negative on failure).
    virtual int seek(int offset, int origin) = 0;
    // Nothing is buffered on the library's side; answers 0.
    virtual int flush() = 0;
    virtual ~IPyroFile() = default;
};

} // namespace PyroParticles
