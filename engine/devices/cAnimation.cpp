#include "engine/devices/cAnimation.h"

#include "engine/core/cFileSystem.h"
#include "engine/devices/BinaryReader.h"

#include <algorithm>
#include <cmath>

namespace Engine
{

namespace
{

// Key count, parent and closing tag of a track; 16 matrix elements and the time of a key.
constexpr size_t TrackSize = 12;
constexpr size_t KeySize = 68;

} // namespace

cAnimation::cAnimation(const std::string& path)
{
    // One buffer serves every animation load for the whole run.
    static std::vector<char> buffer(1048576);
    const unsigned int size = cFileSystem::instance()->readFile(path, buffer);
    load(buffer.data(), size);
}

cAnimation::cAnimation(const void* data, size_t size)
{
    load(data, size);
}

cAnimation::~cAnimation() = default;

void cAnimation::load(const void* data, size_t size)
{
    m_lastTime = -1.0f;
    m_duration = 1.0f;
    BinaryReader in(data, size);
    in.expectTag();
    const uint32_t count = in.readU32();
    m_duration = in.readFloat();
    // Every track takes at least its own 12 bytes: a count the file cannot hold is refused
    // before anything is sized by it.
    in.require(count, TrackSize);
    m_output.assign(count, cMatrix());
    m_resolved.assign(count, false);
    m_tracks.assign(count, cAnimTrack());
    for (cAnimTrack& track : m_tracks)
    {
        const uint32_t keys = in.readU32();
        track.parent = in.readU32();
        in.require(keys, KeySize);
        track.keys.resize(keys);
        for (cAnimKey& key : track.keys)
        {
            for (float& element : key.matrix.m)
                element = in.readFloat();
            key.time = in.readFloat();
        }
        in.expectTag();
    }
    checkParents();
}

void cAnimation::checkParents() const
{
    // 0 not visited, 1 on the current walk, 2 known to reach a root.
    std::vector<unsigned char> state(m_tracks.size(), 0);
    std::vector<size_t> walk;
    for (size_t start = 0; start < m_tracks.size(); ++start)
    {
        walk.clear();
        size_t i = start;
        while (state[i] == 0)
        {
            state[i] = 1;
            walk.push_back(i);
            const uint32_t parent = m_tracks[i].parent;
            if (parent == cAnimTrack::NoParent)
                break;
            if (parent >= m_tracks.size())
                throw "Invalid resource format";
            i = parent;
            if (state[i] == 1)
                throw "Invalid resource format";
        }
        for (size_t visited : walk)
            state[visited] = 2;
    }
}

cMatrix cAnimation::sampleTrack(const cAnimTrack& track, float t) const
{
    if (track.keys.empty())
        return cMatrix();
    size_t next = 0;
    while (next < track.keys.size() && !(track.keys[next].time > t))
        ++next;
    if (next == track.keys.size())
        return track.keys.back().matrix;
    if (next == 0)
        return track.keys.front().matrix;
    const cAnimKey& p = track.keys[next - 1];
    const cAnimKey& n = track.keys[next];
    const float span = n.time - p.time;
    const float weightP = 1.0f - (t - p.time) / span;
    const float weightN = 1.0f - (n.time - t) / span;
    const cVector3 scaleP = p.matrix.getScale();
    const cVector3 scaleN = n.matrix.getScale();
    const cVector3 scale = scaleN * weightN + scaleP * weightP;
    cMatrix blended = n.matrix;
    blended *= weightN;
    cMatrix part = p.matrix;
    part *= weightP;
    blended += part;
    blended.setScale(scale.x, scale.y, scale.z);
    return blended;
}

void cAnimation::resolveTrack(size_t i)
{
    // Climb to the first resolved ancestor (or the root), then compose on the way back down,
    // so that a long chain of bones costs no deep recursion.
    std::vector<size_t> chain;
    for (size_t at = i; !m_resolved[at];)
    {
        chain.push_back(at);
        const uint32_t parent = m_tracks[at].parent;
        if (parent == cAnimTrack::NoParent)
            break;
        at = parent;
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    {
        const uint32_t parent = m_tracks[*it].parent;
        if (parent != cAnimTrack::NoParent)
            m_output[*it].multiplyBy(m_output[parent]);
        m_resolved[*it] = true;
    }
}

void cAnimation::evaluate(float time, const std::vector<cMatrix>* bones)
{
    if (!bones || time == m_lastTime)
        return;
    // A duration that is not positive would wrap every time into "not a number".
    float t = m_duration > 0.0f ? std::fmod(time, m_duration) : 0.0f;
    if (t < 0.0f)
        t += m_duration;
    m_lastTime = t;
    for (size_t i = 0; i < m_tracks.size(); ++i)
    {
        m_resolved[i] = false;
        m_output[i] = sampleTrack(m_tracks[i], t);
    }
    for (size_t i = 0; i < m_tracks.size(); ++i)
        resolveTrack(i);
    const size_t count = std::min(bones->size(), m_tracks.size());
    for (size_t i = 0; i < count; ++i)
    {
        if (m_tracks[i].keys.empty())
            continue;
        cMatrix inverse = (*bones)[i];
        inverse.invertAffine();
        m_output[i] = inverse * m_output[i];
    }
}

} // namespace Engine
