#include "engine/core/cFileStream.h"

#include "engine/core/StringUtils.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine
{

namespace
{

bool shouldRetry()
{
    return errno == EAGAIN || errno == EINTR;
}

} // namespace

int cFileStream::openDescriptor(const std::string& path, uint32_t access, int disposition)
{
    int flags = O_RDONLY;
    if ((access & AccessRead) && (access & AccessWrite))
        flags = O_RDWR;
    else if (access & AccessWrite)
        flags = O_WRONLY;
    if (disposition == CreateAlways)
        flags |= O_CREAT | O_TRUNC;
    flags |= O_CLOEXEC;
    // A file made here is the player's: only its owner may read or write it. A file that is
    // there already keeps its mode.
    int fd;
    do
        fd = ::open(path.c_str(), flags, S_IRUSR | S_IWUSR);
    while (fd < 0 && shouldRetry());
    return fd;
}

cFileStream::cFileStream(const std::string& path, uint32_t access, int disposition)
{
    m_fd = openDescriptor(path, access, disposition);
    if (m_fd < 0)
        throw std::string("Can't open file \"") + path + "\".";
}

cFileStream::cFileStream(const std::wstring& path, uint32_t access, int disposition)
{
    m_fd = openDescriptor(toUtf8(path), access, disposition);
    if (m_fd < 0)
        throw std::wstring(L"Can't open file \"") + path + L"\".";
}

cFileStream::~cFileStream()
{
    closeDescriptor();
}

unsigned int cFileStream::size()
{
    if (m_fd < 0)
        return 0;
    // A regular file in one call instead of three seeks: writes go straight to the file, so its
    // size is the end a seek would find.
    struct stat status
    {
    };
    if (::fstat(m_fd, &status) == 0 && S_ISREG(status.st_mode))
        return static_cast<unsigned int>(status.st_size);
    const off_t here = ::lseek(m_fd, 0, SEEK_CUR);
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    ::lseek(m_fd, here, SEEK_SET);
    return end < 0 ? 0 : static_cast<unsigned int>(end);
}

int cFileStream::seek(int offset, int origin)
{
    if (m_fd < 0)
        return 0;
    int whence = SEEK_SET;
    if (origin == SeekCurrent)
        whence = SEEK_CUR;
    else if (origin == SeekEnd)
        whence = SEEK_END;
    return static_cast<int>(::lseek(m_fd, offset, whence));
}

int cFileStream::read(void* buffer, unsigned int count)
{
    if (m_fd < 0)
        return 0;
    count = std::min(count, static_cast<unsigned int>(INT_MAX));
    char* out = static_cast<char*>(buffer);
    unsigned int done = 0;
    while (done < count)
    {
        const ssize_t got = ::read(m_fd, out + done, count - done);
        if (got < 0 && shouldRetry())
            continue;
        if (got <= 0)
            break;
        done += static_cast<unsigned int>(got);
    }
    return static_cast<int>(done);
}

int cFileStream::write(const void* buffer, unsigned int count)
{
    if (m_fd < 0)
        return 0;
    count = std::min(count, static_cast<unsigned int>(INT_MAX));
    const char* in = static_cast<const char*>(buffer);
    unsigned int done = 0;
    while (done < count)
    {
        const ssize_t put = ::write(m_fd, in + done, count - done);
        if (put < 0 && shouldRetry())
            continue;
        if (put <= 0)
            break;
        done += static_cast<unsigned int>(put);
    }
    return static_cast<int>(done);
}

void cFileStream::close()
{
    closeDescriptor();
}

bool cFileStream::closeDescriptor()
{
    if (m_fd < 0)
        return true;
    // Linux releases the descriptor even when close reports EINTR; closing it again could
    // close a descriptor another part of the program has opened since.
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0 || errno == EINTR;
}

} // namespace Engine
