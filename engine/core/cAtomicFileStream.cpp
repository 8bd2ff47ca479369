#include "engine/core/cAtomicFileStream.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

namespace Engine
{

namespace
{

// Makes a rename durable: the folder's entry is flushed too. Best effort; a failure here
// leaves a complete file either way.
void syncFolderOf(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

cAtomicFileStream::cAtomicFileStream(const std::string& path, CommitHook onCommit)
try : cFileStream(path + ".tmp", AccessRead | AccessWrite, CreateAlways), m_path(path),
    m_temporaryPath(path + ".tmp"), m_onCommit(std::move(onCommit)),
    m_exceptionsAtStart(std::uncaught_exceptions())
{
}
catch (const std::string&)
{
    // The caller knows the file by its final name.
    throw std::string("Can't open file \"") + path + "\".";
}

cAtomicFileStream::~cAtomicFileStream()
{
    // An exception unwinding past the writer means the contents are incomplete.
    try
    {
        finish(std::uncaught_exceptions() <= m_exceptionsAtStart);
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "Writing \"%s\": %s\n", m_path.c_str(), error.what());
    }
    catch (...)
    {
        std::fprintf(stderr, "Writing \"%s\" failed.\n", m_path.c_str());
    }
}

int cAtomicFileStream::write(const void* buffer, unsigned int count)
{
    if (!isOpen())
        return 0;
    const int written = cFileStream::write(buffer, count);
    if (written != static_cast<int>(count))
        m_failed = true;
    return written;
}

void cAtomicFileStream::close()
{
    finish(true);
}

void cAtomicFileStream::finish(bool keep)
{
    if (!isOpen())
        return;
    if (keep && !m_failed && ::fsync(descriptor()) != 0)
        m_failed = true;
    if (!closeDescriptor())
        m_failed = true;
    if (keep && !m_failed && std::rename(m_temporaryPath.c_str(), m_path.c_str()) == 0)
    {
        m_committed = true;
        syncFolderOf(m_path);
        if (m_onCommit)
            m_onCommit();
        return;
    }
    if (keep)
        m_failed = true;
    const int savedErrno = errno;
    ::unlink(m_temporaryPath.c_str());
    errno = savedErrno;
}

} // namespace Engine
