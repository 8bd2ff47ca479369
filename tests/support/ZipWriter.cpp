#include "tests/support/ZipWriter.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <stdexcept>

namespace Test
{

namespace
{

// Raw deflate data (no zlib header), as a zip member holds it.
std::string deflateRaw(const std::string& bytes)
{
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    std::string out(deflateBound(&stream, bytes.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw std::runtime_error("deflate failed");
    return out;
}

} // namespace

uint32_t zipCrc(const std::string& bytes)
{
    return static_cast<uint32_t>(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.data()),
                                       static_cast<uInt>(bytes.size())));
}

ZipWriter::ZipWriter(const std::filesystem::path& path) : m_zip(zipOpen64(path.c_str(), APPEND_STATUS_CREATE))
{
    if (!m_zip)
        throw std::runtime_error("cannot create " + path.string());
}

ZipWriter::~ZipWriter()
{
    if (m_zip)
        zipClose(m_zip, nullptr);
}

void ZipWriter::add(const std::string& name, const std::string& bytes, bool deflate)
{
    zip_fileinfo info{};
    if (zipOpenNewFileInZip64(m_zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              deflate ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION, 0) != ZIP_OK ||
        zipWriteInFileInZip(m_zip, bytes.data(), static_cast<unsigned>(bytes.size())) != ZIP_OK ||
        zipCloseFileInZip(m_zip) != ZIP_OK)
        throw std::runtime_error("cannot add " + name);
}

void ZipWriter::addLying(const std::string& name, const std::string& bytes, uint64_t statedSize,
                         uint32_t statedCrc)
{
    const std::string data = deflateRaw(bytes);
    zip_fileinfo info{};
    if (zipOpenNewFileInZip2(m_zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                             Z_DEFAULT_COMPRESSION, 1) != ZIP_OK ||
        zipWriteInFileInZip(m_zip, data.data(), static_cast<unsigned>(data.size())) != ZIP_OK ||
        zipCloseFileInZipRaw64(m_zip, statedSize, statedCrc) != ZIP_OK)
        throw std::runtime_error("cannot add " + name);
}

void ZipWriter::close()
{
    if (m_zip && zipClose(m_zip, nullptr) != ZIP_OK)
        throw std::runtime_error("cannot finish the pack");
    m_zip = nullptr;
}

} // namespace Test
