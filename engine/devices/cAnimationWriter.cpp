#include "engine/devices/cAnimationWriter.h"

#include "engine/devices/BinaryWriter.h"
#include "engine/devices/cTextDescription.h"

#include <cmath>

namespace Engine
{

std::string cAnimationWriter::toBytes(float duration, const std::vector<cAnimTrack>& tracks)
{
    BinaryWriter out;
    out.writeTag();
    out.writeU32(static_cast<uint32_t>(tracks.size()));
    out.writeFloat(duration);
    for (const cAnimTrack& track : tracks)
    {
        out.writeU32(static_cast<uint32_t>(track.keys.size()));
        out.writeU32(track.parent);
        for (const cAnimKey& key : track.keys)
        {
            for (float element : key.matrix.m)
                out.writeFloat(element);
            out.writeFloat(key.time);
        }
        out.writeTag();
    }
    return out.bytes();
}

std::string cAnimationWriter::fromText(const std::string& text)
{
    float duration = 1.0f;
    std::vector<cAnimTrack> tracks;
    cTextDescription description(text);
    std::string word;
    while (description.next(word))
    {
        if (word == "duration")
        {
            duration = description.readNumber("the duration");
            if (!(duration > 0.0f))
                description.fail("the duration must be above 0");
        }
        else if (word == "track")
        {
            tracks.emplace_back();
            const std::string parent = description.readWord();
            if (!parent.empty())
            {
                if (parent != "parent")
                    description.fail("a track takes only \"parent <index>\"");
                const float index = description.readNumber("the parent index");
                if (index < 0.0f || index != std::floor(index))
                    description.fail("the parent index must be a track number");
                tracks.back().parent = static_cast<uint32_t>(index);
            }
        }
        else if (word == "key")
        {
            if (tracks.empty())
                description.fail("a key before the first track");
            cAnimKey key;
            key.time = description.readNumber("the key time");
            key.matrix = description.readTransforms();
            if (!tracks.back().keys.empty() && !(key.time > tracks.back().keys.back().time))
                description.fail("key times must rise within a track");
            tracks.back().keys.push_back(key);
        }
        else
            description.fail("unknown statement \"" + word + "\"");
    }
    for (size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].parent != cAnimTrack::NoParent && tracks[i].parent >= tracks.size())
            description.fail("track " + std::to_string(i) + " hangs from track " +
                             std::to_string(tracks[i].parent) + ", which does not exist");
    return toBytes(duration, tracks);
}

} // namespace Engine
