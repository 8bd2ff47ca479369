#include "engine/devices/cAnimationWriter.h"

#include "engine/devices/BinaryReader.h"

#include <cmath>
#include <cstring>

namespace Engine
{

namespace
{

void putU32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

void putFloat(std::string& out, float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    putU32(out, bits);
}

[[noreturn]] void fail(int line, const std::string& reason)
{
    throw std::string("line " + std::to_string(line) + ": " + reason);
}

cMatrix rotation(char axis, float degrees)
{
    const float radians = degrees * 3.14159265358979f / 180.0f;
    const float c = std::cos(radians);
    const float s = std::sin(radians);
    // Row vectors: p' = p x M.
    const int a = axis == 'x' ? 1 : axis == 'y' ? 2 : 0;
    const int b = axis == 'x' ? 2 : axis == 'y' ? 0 : 1;
    cMatrix m;
    m(a, a) = c;
    m(a, b) = s;
    m(b, a) = -s;
    m(b, b) = c;
    return m;
}

} // namespace

float cAnimationWriter::readNumber(std::istringstream& words, int line, const char* what)
{
    std::string word;
    words >> word;
    char* end = nullptr;
    const float value = std::strtof(word.c_str(), &end);
    if (word.empty() || *end != '\0' || !std::isfinite(value))
        fail(line, std::string(what) + " is missing or not a number");
    return value;
}

cMatrix cAnimationWriter::readTransforms(std::istringstream& words, int line)
{
    cMatrix result;
    std::string word;
    while (words >> word)
    {
        cMatrix step;
        if (word == "identity")
            continue;
        if (word == "translate" || word == "scale")
        {
            const float x = readNumber(words, line, "x");
            const float y = readNumber(words, line, "y");
            const float z = readNumber(words, line, "z");
            step = word == "translate" ? cMatrix::translation(x, y, z) : cMatrix::scaling(x, y, z);
        }
        else if (word == "rotate")
        {
            std::string axis;
            words >> axis;
            if (axis != "x" && axis != "y" && axis != "z")
                fail(line, "rotate needs the axis x, y or z");
            step = rotation(axis[0], readNumber(words, line, "the angle"));
        }
        else if (word == "matrix")
        {
            for (float& element : step.m)
                element = readNumber(words, line, "a matrix element");
        }
        else
            fail(line, "unknown transform \"" + word + "\"");
        result.multiplyBy(step);
    }
    return result;
}

std::string cAnimationWriter::toBytes(float duration, const std::vector<cAnimTrack>& tracks)
{
    std::string out;
    putU32(out, ResourceTag);
    putU32(out, static_cast<uint32_t>(tracks.size()));
    putFloat(out, duration);
    for (const cAnimTrack& track : tracks)
    {
        putU32(out, static_cast<uint32_t>(track.keys.size()));
        putU32(out, track.parent);
        for (const cAnimKey& key : track.keys)
        {
            for (float element : key.matrix.m)
                putFloat(out, element);
            putFloat(out, key.time);
        }
        putU32(out, ResourceTag);
    }
    return out;
}

std::string cAnimationWriter::fromText(const std::string& text)
{
    float duration = 1.0f;
    std::vector<cAnimTrack> tracks;
    std::istringstream lines(text);
    std::string lineText;
    int line = 0;
    while (std::getline(lines, lineText))
    {
        ++line;
        lineText = lineText.substr(0, lineText.find('#'));
        std::istringstream words(lineText);
        std::string word;
        if (!(words >> word))
            continue;
        if (word == "duration")
        {
            duration = readNumber(words, line, "the duration");
            if (!(duration > 0.0f))
                fail(line, "the duration must be above 0");
        }
        else if (word == "track")
        {
            tracks.emplace_back();
            std::string parent;
            if (words >> parent)
            {
                if (parent != "parent")
                    fail(line, "a track takes only \"parent <index>\"");
                const float index = readNumber(words, line, "the parent index");
                if (index < 0.0f || index != std::floor(index))
                    fail(line, "the parent index must be a track number");
                tracks.back().parent = static_cast<uint32_t>(index);
            }
        }
        else if (word == "key")
        {
            if (tracks.empty())
                fail(line, "a key before the first track");
            cAnimKey key;
            key.time = readNumber(words, line, "the key time");
            key.matrix = readTransforms(words, line);
            if (!tracks.back().keys.empty() && !(key.time > tracks.back().keys.back().time))
                fail(line, "key times must rise within a track");
            tracks.back().keys.push_back(key);
        }
        else
            fail(line, "unknown statement \"" + word + "\"");
    }
    for (size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].parent != cAnimTrack::NoParent && tracks[i].parent >= tracks.size())
            fail(line, "track " + std::to_string(i) + " hangs from track " +
                           std::to_string(tracks[i].parent) + ", which does not exist");
    return toBytes(duration, tracks);
}

} // namespace Engine
