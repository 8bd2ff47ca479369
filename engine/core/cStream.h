#pragma once

namespace Engine
{

// Where a `seek` offset is measured from; any other value counts as the beginning.
enum eSeekOrigin
{
    SeekBegin = 0,
    SeekCurrent = 1,
    SeekEnd = 2
};

// A file opened for the engine: a loose file on disk or a member of a zip pack. The XML parser,
// the sound and mesh loaders and the saved-level code read every file through this interface.
// Whoever receives a stream owns it; deleting it closes it.
class cStream
{
public:
    virtual ~cStream() = default;

    // Length in bytes (0 when closed). Leaves the position where it was.
    virtual unsigned int size() = 0;
    // Moves the position and returns the new one.
    virtual int seek(int offset, int origin) = 0;
    // Returns the number of bytes read; 0 at the end; negative on a damaged pack member.
    virtual int read(void* buffer, unsigned int count) = 0;
    // Returns the number of bytes written.
    virtual int write(const void* buffer, unsigned int count) = 0;
    virtual void close() = 0;

protected:
    cStream() = default;
    cStream(const cStream&) = delete;
    cStream& operator=(const cStream&) = delete;
};

} // namespace Engine
