#include "engine/core/cAtomicFileStream.h"

#include "engine/core/FileSteps.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine
{

namespace
{

// Makes a rename durable: the folder's entry is flushed too. Best effort; a failure here
// leaves a complete file either way.
void syncFolderOf(const std::string& path)
{
    if (!syncToDisk())
        return;
    const std::string::size_type slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The mode the new file takes: the old file's, so that a file written again stays as open or
// as closed to others as its owner made it, or the owner's alone for a new file. The owner
// keeps reading and writing it either way, or the program could not read back what it wrote.
mode_t modeFor(const std::string& path)
{
    struct stat status
    {
    };
    const mode_t own = S_IRUSR | S_IWUSR;
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return own;
    return (status.st_mode & (S_IRWXU | S_IRWXG | S_IRWXO)) | own;
}

// The temporary file's path, once a test's fault for its creation has been asked.
std::string temporaryPath(const std::string& path)
{
    if (const int error = checkFileStep(eFileStep::create, path))
    {
        errno = error;
        throw std::string("Can't open file \"") + path + "\": " + std::strerror(error) + ".";
    }
    return path + ".tmp";
}

} // namespace

cAtomicFileStream::cAtomicFileStream(const std::string& path, CommitHook onCommit)
try : cFileStream(temporaryPath(path), AccessRead | AccessWrite, CreateAlways), m_path(path),
    m_temporaryPath(path + ".tmp"), m_onCommit(std::move(onCommit)),
    m_exceptionsAtStart(std::uncaught_exceptions())
{
}
catch (const std::string&)
{
    // The caller knows the file by its final name, and a folder that cannot take it is told so;
    // but where something stands in the temporary file's place (a folder, say), that is what the
    // system's reason is about, and what the reader of the log must remove.
    const int error = errno;
    struct stat status
    {
    };
    const std::string temporary = path + ".tmp";
    const std::string& named = ::lstat(temporary.c_str(), &status) == 0 ? temporary : path;
    throw std::string("Can't open file \"") + named + "\"" +
        (error ? std::string(": ") + std::strerror(error) : "") + ".";
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

std::string cAtomicFileStream::failureText() const
{
    if (!m_failed)
        return std::string();
    return m_error ? std::strerror(m_error) : "the file was not written whole";
}

void cAtomicFileStream::fail(int error)
{
    if (!m_failed)
        m_error = error;
    m_failed = true;
}

int cAtomicFileStream::write(const void* buffer, unsigned int count)
{
    if (!isOpen())
        return 0;
    if (const int error = checkFileStep(eFileStep::write, m_path))
    {
        fail(error);
        return 0;
    }
    errno = 0;
    const int written = cFileStream::write(buffer, count);
    if (written != static_cast<int>(count))
        fail(errno ? errno : ENOSPC);
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
    if (keep && !m_failed)
    {
        // Best effort: a file system without modes still takes the file. A temporary file left
        // by an earlier run kept its own mode through the truncation; this sets it anew.
        ::fchmod(descriptor(), modeFor(m_path));
        if (const int error = checkFileStep(eFileStep::sync, m_path))
            fail(error);
        else if (syncToDisk() && ::fsync(descriptor()) != 0)
            fail(errno);
    }
    if (!closeDescriptor())
        fail(errno);
    if (keep && !m_failed)
    {
        const int error = checkFileStep(eFileStep::rename, m_path);
        if (error == 0 && std::rename(m_temporaryPath.c_str(), m_path.c_str()) == 0)
        {
            m_committed = true;
            syncFolderOf(m_path);
            if (m_onCommit)
                m_onCommit();
            return;
        }
        fail(error ? error : errno);
    }
    const int savedErrno = errno;
    ::unlink(m_temporaryPath.c_str());
    errno = savedErrno;
}

} // namespace Engine
