#pragma once

#include "engine/core/cFileStream.h"

#include <functional>
#include <string>

namespace Engine
{

// A file that is replaced whole or not at all. The bytes go to "<path>.tmp" in the same folder;
// closing the stream flushes that file to the disk and renames it over `path`, so a crash or a
// failed write never leaves a half-written file and the old contents stay until the new ones are
// complete. The new file is discarded instead when a write failed, or when the stream is
// destroyed while an exception unwinds the stack (the writer did not finish). The new file takes
// the old one's mode (with read and write for the owner), or 0600 when there was none.
//
// Every file the program writes goes through this class: `cFileSystem::createFile`,
// `cFileSystem::openWriteStream` and `writeUnicodeFile` hand it out.
class cAtomicFileStream final : public cFileStream
{
public:
    // Called once after the new file has taken the place of the old one.
    using CommitHook = std::function<void()>;

    // `path` is the final path (UTF-8). Opens "<path>.tmp" for reading and writing, created
    // empty; throws like `cFileStream` (with the final path in the message).
    explicit cAtomicFileStream(const std::string& path, CommitHook onCommit = CommitHook());
    ~cAtomicFileStream() override;

    int write(const void* buffer, unsigned int count) override;
    // Commits (or discards, see above). Afterwards `committed` tells which happened.
    void close() override;

    // True once close has put the new file in place.
    bool committed() const { return m_committed; }
    // True when a write was short or the commit failed; the old file is then left as it was.
    bool failed() const { return m_failed; }
    // What the system said of the failure (its errno text), or "" while nothing failed.
    std::string failureText() const;
    const std::string& path() const { return m_path; }

private:
    void finish(bool keep);
    void fail(int error);

    std::string m_path;
    std::string m_temporaryPath;
    CommitHook m_onCommit;
    int m_exceptionsAtStart;
    bool m_failed = false;
    bool m_committed = false;
    int m_error = 0;
};

} // namespace Engine
