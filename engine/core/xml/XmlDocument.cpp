#include "engine/core/xml/XmlDocument.h"

#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cFileSystem.h"
#include "engine/core/cStream.h"
#include "engine/core/cString.h"
#include "engine/core/xml/cXmlImage.h"
#include "engine/core/xml/cXmlNode.h"
#include "engine/core/xml/cXmlParser.h"

#include <vector>

namespace Engine::xml
{

namespace
{

// False with the last error text set when the bytes cannot be read.
bool parseBytes(cXmlNode& root, const char* data, size_t size)
{
    if (size == 0)
    {
        getErrorString() = "empty file";
        return false;
    }
    if (data[0] != kImageMark)
        return parseXml(root, data, size);
    try
    {
        readImage(root, reinterpret_cast<const unsigned char*>(data) + 1, size - 1);
        return true;
    }
    catch (const cImageError& error)
    {
        getErrorString() = error.text;
        return false;
    }
}

// Marks the shared read buffer busy while a load uses it.
class cBufferLease
{
public:
    explicit cBufferLease(bool& busy) : m_busy(busy) { m_busy = true; }
    ~cBufferLease() { m_busy = false; }
    cBufferLease(const cBufferLease&) = delete;
    cBufferLease& operator=(const cBufferLease&) = delete;

private:
    bool& m_busy;
};

bool parseStream(cXmlNode& root, cStream& stream)
{
    const unsigned size = stream.size();
    if (size == 0)
    {
        getErrorString() = "empty file";
        return false;
    }
    // One buffer serves every load and stays allocated; a load that starts while another one
    // parses (a "copy" of another file) reads into a buffer of its own.
    static std::vector<char> shared;
    static bool busy = false;
    std::vector<char> own;
    std::vector<char>* buffer = &own;
    std::unique_ptr<cBufferLease> lease;
    if (!busy)
    {
        if (shared.capacity() < 0x100000)
            shared.reserve(0x100000);
        buffer = &shared;
        lease = std::make_unique<cBufferLease>(busy);
    }
    buffer->resize(size);
    unsigned done = 0;
    while (done < size)
    {
        const int got = stream.read(buffer->data() + done, size - done);
        if (got <= 0)
        {
            getErrorString() = "file could not be read whole";
            return false;
        }
        done += static_cast<unsigned>(got);
    }
    return parseBytes(root, buffer->data(), size);
}

// A member of a pack names the pack as well: the path alone does not say which file is broken.
[[noreturn]] void throwLoadError(const std::string& path, const std::wstring& pack = std::wstring())
{
    std::string text = getErrorString() + " filename: " + path;
    if (!pack.empty())
        text += " in the pack '" + toUtf8(pack) + "'";
    getErrorString() = text;
    throw cString<std::string>(std::move(text));
}

} // namespace

void loadDocument(cXmlNode& root, const std::string& path)
{
    cFileSystem* files = cFileSystem::instance();
    if (!files)
        throw std::string("File \"" + path + "\" not found.");
    const bool inCommon = files->isInCommon(path);
    std::unique_ptr<cStream> stream;
    try
    {
        stream = files->openFile(path);
    }
    catch (const std::string& text)
    {
        // A copy in the shared folder that cannot be opened is left as it is; the data folder's
        // or pack's copy is read in its place.
        if (!inCommon || !files->hasDataCopy(path))
            throw;
        reportProblem(L"files", "\"" + path + "\" in the shared folder cannot be read (" + text +
                                    "); it is left as it is and the data folder's copy is read instead.");
        if (parseStream(root, *files->openDataCopy(path)))
            return;
        throwLoadError(path, files->getPackPath(path));
    }
    if (parseStream(root, *stream))
        return;
    stream.reset();
    // A damaged copy in the shared folder gives way to the data-folder or pack copy; its bytes
    // are kept beside it as "<path>.damaged". Without a data copy it stays where it is: it may
    // be the only one of the player's data.
    if (inCommon && files->hasDataCopy(path))
    {
        const std::string problem = getErrorString();
        try
        {
            const std::string kept = files->setAside(path);
            reportProblem(L"files", "\"" + path + "\" in the shared folder could not be read (" + problem +
                                        "); it is kept as \"" + kept +
                                        "\" and the data folder's copy is read instead.");
            root.clear();
            if (parseStream(root, *files->openFile(path)))
                return;
        }
        catch (const std::string& text)
        {
            reportProblem(L"files", text);
            root.clear();
            if (parseStream(root, *files->openDataCopy(path)))
                return;
        }
    }
    throwLoadError(path, files->getPackPath(path));
}

void loadDocument(cXmlNode& root, const char* data, size_t size, const std::string& name)
{
    if (!parseBytes(root, data, size))
        throwLoadError(name);
}

eScan scanDocumentTop(const std::string& path, const char* name,
                      std::vector<std::pair<std::wstring, std::wstring>>& attributes)
{
    attributes.clear();
    const cFileSystem* files = cFileSystem::instance();
    if (!files)
        return eScan::Undecided;
    std::vector<char> bytes;
    try
    {
        files->readFile(path, bytes);
    }
    catch (...)
    {
        return eScan::Undecided;
    }
    if (bytes.empty() || bytes[0] == kImageMark)
        return eScan::Undecided;
    return scanTopElement(bytes.data(), bytes.size(), name, attributes, files->isInCommon(path));
}

} // namespace Engine::xml
