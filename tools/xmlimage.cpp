// Writes the pre-parsed image of an XML file: the tree that loading the file gives, stored so
// that a later load reads it without a parser. The image suits one node class: names for the
// name-keyed class (the default), name hashes for the hash-keyed class (--hashed), which is
// what loaders asking the resource manager with the heap flag get.
//
//   xmlimage [--hashed] input.xml output
//
// A "copy" of another file needs the game's file system and is refused here; copies within the
// file are resolved into the image.
#include "engine/core/cString.h"
#include "engine/core/cXmlProperties.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "engine/core/xml/cXmlImage.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace
{

int usage()
{
    std::cerr << "usage: xmlimage [--hashed] input.xml output\n";
    return 2;
}

template <class T> std::string imageOf(const std::string& bytes, const std::string& name, bool hashed)
{
    const boost::shared_ptr<T> tree = T::fromBuffer(bytes.data(), bytes.size(), name);
    return Engine::xml::writeImage(*tree, hashed);
}

} // namespace

int main(int argc, char** argv)
{
    bool hashed = false;
    int arg = 1;
    if (arg < argc && std::string(argv[arg]) == "--hashed")
    {
        hashed = true;
        ++arg;
    }
    if (argc - arg != 2)
        return usage();
    const std::string input = argv[arg];
    const std::string output = argv[arg + 1];

    std::ifstream in(input, std::ios::binary);
    if (!in)
    {
        std::cerr << "xmlimage: can't open \"" << input << "\"\n";
        return 1;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!bytes.empty() && bytes[0] == Engine::xml::kImageMark)
    {
        std::cerr << "xmlimage: \"" << input << "\" is a pre-parsed image already\n";
        return 1;
    }
    std::string image;
    try
    {
        image = hashed ? imageOf<Engine::cXmlProperties>(bytes, input, true)
                       : imageOf<Engine::cXmlPropertiesPooled>(bytes, input, false);
    }
    catch (const Engine::cString<std::string>& error)
    {
        std::cerr << "xmlimage: " << error << "\n";
        return 1;
    }
    catch (const Engine::xml::cImageError& error)
    {
        std::cerr << "xmlimage: " << error.text << " (" << input << ")\n";
        return 1;
    }

    const std::string temporary = output + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(image.data(), static_cast<std::streamsize>(image.size()));
        if (!out.flush())
        {
            std::cerr << "xmlimage: can't write \"" << output << "\"\n";
            std::remove(temporary.c_str());
            return 1;
        }
    }
    if (std::rename(temporary.c_str(), output.c_str()) != 0)
    {
        std::cerr << "xmlimage: can't write \"" << output << "\"\n";
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
