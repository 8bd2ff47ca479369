#pragma once

#include "engine/core/cResource.h"
#include "engine/devices/cAnimTrack.h"
#include "engine/devices/cMatrix.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Engine
{

// The keyframed transforms of a skeleton (resource kind `Animation`, files "*.anim"): one track
// of matrices per bone, each optionally hanging from a parent track, over a common duration.
// Evaluating it at a time gives one matrix per track, bone space to model space, which the
// renderer combines with the mesh's world matrix. All views that share an animation share its
// output.
//
// The file, little-endian: the tag "kelv", the track count (u32), the duration (f32), then per
// track its key count (u32), its parent track (u32, 0xFFFFFFFF for none), its keys (16 floats
// of the matrix row by row, then the time) and the tag again. Bytes after the last track are
// ignored. A wrong tag throws "Invalid resource format", a file that ends inside a field
// "Unexpected end of source" (C strings); so does a parent that names no track or that leads
// back to the track itself, which could never be composed.
class cAnimation : public cResource
{
public:
    // Reads the file through the file system.
    explicit cAnimation(const std::string& path);
    // Reads the file's bytes.
    cAnimation(const void* data, size_t size);
    ~cAnimation() override;

    eResourceType getType() const override { return eResourceType::Animation; }

    // Fills the output for `time`, wrapped into [0, duration): per track the key matrices around
    // it blended (their axis lengths blended apart, so scales move evenly), composed with the
    // parent tracks, and for the first bones taken relative to their bind pose (the inverse of
    // `bones[i]`). Nothing happens without bones, or for the time evaluated last.
    void evaluate(float time, const std::vector<cMatrix>* bones);

    // One matrix per track, from the last evaluation (identities before the first).
    const std::vector<cMatrix>& getOutput() const { return m_output; }
    const std::vector<cAnimTrack>& getTracks() const { return m_tracks; }
    float getDuration() const { return m_duration; }
    // The last evaluated time after wrapping; -1 before the first evaluation.
    float getLastTime() const { return m_lastTime; }

private:
    void load(const void* data, size_t size);
    void checkParents() const;
    // The matrix of one track at time t, before its parents.
    cMatrix sampleTrack(const cAnimTrack& track, float t) const;
    // Composes track i with its parents, parents first, each track once per evaluation.
    void resolveTrack(size_t i);

    float m_lastTime = -1.0f;
    std::vector<bool> m_resolved;
    std::vector<cMatrix> m_output;
    std::vector<cAnimTrack> m_tracks;
    float m_duration = 1.0f;
};

} // namespace Engine
