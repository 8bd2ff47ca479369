#pragma once

#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <vector>

namespace Engine
{

class cBatchRenderer;

// What the last drawn frame put into the back buffer, kept so that `cRender` can tell where the
// frame just collected differs from it, and draw only there over the frame the device kept.
//
// A frame is its clear colour and fill mode, and its drawings in order: each quad with all
// that decides its pixels (texture and its contents, render type, shader and the values of its
// constants, the alpha reference a masked quad inherits, its vertices) and the pixels it may
// touch, and each particle effect and mesh, which are taken to change every frame. The two
// frames' drawings are matched in order: the longest run of equal drawings that keeps its
// order in both is what stays; every other drawing, of the old frame and of the new one,
// changes the pixels it may touch. A pixel outside all of those is covered by the same
// drawings in the same order in both frames, and so already shows the new frame.
//
// The changed pixels are gathered into rectangles that do not overlap (overlapping or near
// ones are joined, and a few at most are kept); when they cover most of the screen the whole
// frame is drawn instead, which gives the same pixels for less work.
//
// A texture counts as the same only with the same serial and version, so a released texture
// whose memory another one took is no match. A texture whose picture is still to be decoded is
// decoded first, as drawing it would.
class cRenderedFrame
{
public:
    // The frame as a whole: what every drawing depends on besides its own data.
    struct tSettings
    {
        uint32_t clearColor = 0;
        bool wireframe = false;
        int width = 0;
        int height = 0;
    };

    // What the frame just collected needs drawn.
    struct tChange
    {
        // Nothing: the back buffer shows the frame already.
        bool none = false;
        // Everything.
        bool whole = true;
        // Otherwise these rectangles of the back buffer (not overlapping), holding every pixel
        // that differs.
        std::vector<Platform::PixelRect> rects;
    };

    // At most this many rectangles: more cost more draws than the pixels they spare.
    static constexpr size_t MaxRects = 12;

    // Compares the frame just collected by `batches` (closed, not yet drawn) with the recorded
    // one, and records it in its place: the caller draws what the answer says. `partial`: the
    // back buffer keeps the last drawn frame, so a part of the new one may be drawn over it;
    // otherwise the answer is nothing or the whole frame. `deviceRecreated` as the batches'
    // drawing takes it (it places the particle effects).
    const tChange& compare(const cBatchRenderer& batches, const tSettings& settings, bool partial,
                           bool deviceRecreated);
    // Forgets the recorded frame: the next one is drawn whole.
    void forget();
    bool isRecorded() const { return m_last.recorded; }

    // Joins the rectangles into at most `MaxRects` that do not overlap and together hold them
    // all; rectangles outside `width` x `height` are cut to it. Kept apart for its tests.
    static void gather(std::vector<Platform::PixelRect>& rects, int width, int height);

private:
    struct tItem
    {
        uint64_t hash = 0;
        // The item's bytes in the frame's byte store; an item that never matches has none.
        uint32_t offset = 0;
        uint32_t size = 0;
        bool matchable = true;
        Platform::PixelRect bounds;
    };

    struct tFrame
    {
        bool recorded = false;
        tSettings settings;
        std::vector<tItem> items;
        std::vector<uint8_t> bytes;
    };

    static void describe(const cBatchRenderer& batches, bool deviceRecreated, tFrame& frame);
    bool sameItem(const tItem& last, const tItem& next) const;
    // Fills `m_kept` with the items of both frames that stay (the longest matching run).
    void match();

    tFrame m_last;
    tFrame m_next;
    tChange m_change;
    // The matching's work space, kept to save the allocations.
    std::vector<std::pair<uint64_t, uint32_t>> m_sorted;
    std::vector<uint32_t> m_nextFree;
    std::vector<std::pair<uint32_t, uint32_t>> m_pairs;
    std::vector<uint32_t> m_tails;
    std::vector<int32_t> m_previous;
    std::vector<bool> m_lastKept;
    std::vector<bool> m_nextKept;
};

} // namespace Engine
