#pragma once

// The baseline of the start benchmarks: the pictures a frame shows, read from the game's data
// folder and its zip packs with plain minizip and decoded with plain libpng and libjpeg, none of
// the engine's code. Whatever a start costs beyond this (and beyond making the window and its
// context) is the engine's own.

#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <minizip/unzip.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Bench
{

struct PlainPicture
{
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> bgra;
};

inline bool decodePlainPng(const std::string& bytes, PlainPicture& out)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return false;
    image.format = PNG_FORMAT_BGRA;
    out.width = image.width;
    out.height = image.height;
    out.bgra.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.bgra.data(), 0, nullptr))
    {
        png_image_free(&image);
        return false;
    }
    return true;
}

inline bool decodePlainJpeg(const std::string& bytes, PlainPicture& out)
{
    struct Failure
    {
        jpeg_error_mgr manager;
        std::jmp_buf jump;
    };
    jpeg_decompress_struct info{};
    Failure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = [](j_common_ptr common)
    { std::longjmp(reinterpret_cast<Failure*>(common->err)->jump, 1); };
    if (setjmp(failure.jump))
    {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    out.width = info.output_width;
    out.height = info.output_height;
    out.bgra.resize(static_cast<size_t>(out.width) * out.height * 4);
    while (info.output_scanline < info.output_height)
    {
        JSAMPROW row = out.bgra.data() + static_cast<size_t>(info.output_scanline) * out.width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

inline std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The files of a data folder: its loose files and the members of its packs, by lower-case path.
// Each pack is opened once and its directory read once.
class PlainDataReader
{
public:
    explicit PlainDataReader(const std::filesystem::path& folder) : m_folder(folder)
    {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        {
            if (entry.path().extension() != ".pack")
                continue;
            unzFile pack = unzOpen64(entry.path().string().c_str());
            if (!pack)
                continue;
            m_packs.emplace_back(pack, &unzClose);
            for (int more = unzGoToFirstFile(pack); more == UNZ_OK; more = unzGoToNextFile(pack))
            {
                char name[512];
                unz_file_info64 info;
                unzGetCurrentFileInfo64(pack, &info, name, sizeof name, nullptr, 0, nullptr, 0);
                unz64_file_pos position;
                unzGetFilePos64(pack, &position);
                m_members[lowerCase(name)] = Member{pack, position};
            }
        }
    }

    // The bytes of a file; false when the data has no such file.
    bool read(const std::string& path, std::string& bytes)
    {
        const std::filesystem::path loose = m_folder / path;
        if (std::filesystem::is_regular_file(loose))
        {
            std::ifstream in(loose, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            return true;
        }
        const auto found = m_members.find(lowerCase(path));
        if (found == m_members.end())
            return false;
        unz64_file_pos position = found->second.position;
        if (unzGoToFilePos64(found->second.pack, &position) != UNZ_OK ||
            unzOpenCurrentFile(found->second.pack) != UNZ_OK)
            return false;
        unz_file_info64 info;
        unzGetCurrentFileInfo64(found->second.pack, &info, nullptr, 0, nullptr, 0, nullptr, 0);
        bytes.resize(static_cast<size_t>(info.uncompressed_size));
        const int got =
            unzReadCurrentFile(found->second.pack, bytes.data(), static_cast<unsigned>(bytes.size()));
        unzCloseCurrentFile(found->second.pack);
        return got == static_cast<int>(bytes.size());
    }

private:
    struct Member
    {
        unzFile pack = nullptr;
        unz64_file_pos position{};
    };

    std::filesystem::path m_folder;
    std::vector<std::unique_ptr<void, int (*)(unzFile)>> m_packs;
    std::map<std::string, Member> m_members;
};

// Reads and decodes every picture of `paths`; the pictures decoded (those the baseline could
// not read or decode are left out).
inline std::vector<PlainPicture> decodePlainPictures(const std::filesystem::path& dataFolder,
                                                     const std::vector<std::string>& paths)
{
    PlainDataReader reader(dataFolder);
    std::vector<PlainPicture> pictures;
    std::string bytes;
    for (const std::string& path : paths)
    {
        if (!reader.read(path, bytes))
            continue;
        PlainPicture picture;
        const bool png = bytes.size() > 4 && bytes.compare(1, 3, "PNG") == 0;
        if (png ? decodePlainPng(bytes, picture) : decodePlainJpeg(bytes, picture))
            pictures.push_back(std::move(picture));
    }
    return pictures;
}

} // namespace Bench
