#pragma once

// What the data tools share (each tool is one program of its own, so this is a header): reading
// and writing whole files, and the body of the tools that write an engine file from a text
// description or check one.

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <string>

namespace Tools
{

// Reads a whole file; false when it cannot be opened.
inline bool readWholeFile(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// A level named on a tool's command line: a number N stands for the data folder's level file
// "Levels/n<N>.xml"; anything else is the path of a level file, relative to the current folder or
// absolute, under any name.
struct LevelArgument
{
    std::filesystem::path file;
    // The level's number: N of a number or of a file named "n<N>.xml"; -1 for another name.
    int number = -1;
};

inline LevelArgument levelArgument(const std::string& argument, const std::filesystem::path& dataFolder)
{
    // At most nine digits: a number that fits, as the game numbers its level files.
    const auto digits = [](const std::string& text) {
        return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
    };
    LevelArgument level;
    if (digits(argument))
    {
        level.number = std::stoi(argument);
        level.file = dataFolder / "Levels" / ("n" + std::to_string(level.number) + ".xml");
        return level;
    }
    level.file = std::filesystem::absolute(argument);
    const std::string stem = level.file.stem().string();
    if (stem.size() > 1 && std::tolower(static_cast<unsigned char>(stem[0])) == 'n' && digits(stem.substr(1)))
        level.number = std::stoi(stem.substr(1));
    return level;
}

// Writes a file through "<path>.part", renamed over `path` once complete, so that a failed write
// never leaves half a file. A failure is told on stderr, after the tool's name.
inline bool writeWholeFile(const char* tool, const std::string& path, const std::string& bytes)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush())
        {
            std::cerr << tool << ": cannot write \"" << temporary << "\"\n";
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        std::cerr << tool << ": cannot write \"" << path << "\"\n";
        return false;
    }
    return true;
}

// The main of a tool that writes an engine file from a text description, or checks one:
//   <tool> description.txt output.<extension>
//   <tool> --check file.<extension>
// `fromText` makes the file's bytes (throwing std::string "line <n>: <reason>"); `check` reads
// bytes back as the game does and tells what they hold on stdout, giving the text of the
// failure, or empty. A written file is checked first; `kind` names it in the failure.
inline int
describedFileTool(int argc, char** argv, const char* tool, const char* extension, const char* kind,
                  const std::function<std::string(const std::string& text)>& fromText,
                  const std::function<std::string(const std::string& bytes, const std::string& name)>& check)
{
    if (argc != 3)
    {
        std::cerr << "usage: " << tool << " description.txt output." << extension << "\n       " << tool
                  << " --check file." << extension << "\n";
        return 2;
    }
    const std::string first = argv[1];
    const std::string inputPath = first == "--check" ? argv[2] : first;
    std::string input;
    if (!readWholeFile(inputPath, input))
    {
        std::cerr << tool << ": cannot read \"" << inputPath << "\"\n";
        return 1;
    }
    if (first == "--check")
    {
        const std::string error = check(input, inputPath);
        if (!error.empty())
            std::cerr << tool << ": " << inputPath << ": " << error << "\n";
        return error.empty() ? 0 : 1;
    }
    std::string bytes;
    try
    {
        bytes = fromText(input);
    }
    catch (const std::string& error)
    {
        std::cerr << tool << ": " << inputPath << ", " << error << "\n";
        return 1;
    }
    const std::string error = check(bytes, argv[2]);
    if (!error.empty())
    {
        std::cerr << tool << ": the " << kind << " would not load: " << error << "\n";
        return 1;
    }
    return writeWholeFile(tool, argv[2], bytes) ? 0 : 1;
}

} // namespace Tools
