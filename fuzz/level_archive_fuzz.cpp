// Reads arbitrary bytes as a saved level is read: the values, strings, counted lists, resource
// sets and upgrade-level blocks of the archive, in an order that the bytes choose. A damaged
// stream may only end in the archive's own error; anything else (a crash, a read past the end,
// a huge allocation) is a finding. Every record read whole must write back to the same bytes.
#include "engine/core/cString.h"
#include "game/world/LevelArchive.h"
#include "game/world/UnitLevelInfo.h"
#include "game/world/cGameResources.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{

// The bytes one read consumed, written back by the record's own writer.
template <class Write> void expectSameBytes(const LevelArchive& in, size_t from, Write&& write)
{
    LevelArchive out;
    write(out);
    const auto& read = in.bytes();
    if (out.bytes().size() != in.position() - from ||
        !std::equal(out.bytes().begin(), out.bytes().end(), read.begin() + static_cast<long>(from)))
        std::abort();
}

void readRecords(LevelArchive& in)
{
    while (in.remaining() > 0)
    {
        uint8_t kind = 0;
        in.read1(kind);
        const size_t from = in.position();
        switch (kind % 9)
        {
        case 0:
        {
            int32_t value = 0;
            in.read4(value);
            break;
        }
        case 1:
        {
            bool flag = false;
            in.read1(flag);
            expectSameBytes(in, from, [&](LevelArchive& out) { out.write1(flag); });
            break;
        }
        case 2:
        {
            Engine::cPoint cell;
            in.read8(cell);
            expectSameBytes(in, from, [&](LevelArchive& out) { out.write8(cell); });
            break;
        }
        case 3:
        {
            std::string text;
            in.readString(text);
            expectSameBytes(in, from, [&](LevelArchive& out) { out.writeString(text); });
            break;
        }
        case 4:
        {
            // Wide text comes back as UTF-16; unpaired surrogates are replaced, so only the
            // length is certain to survive when the text holds none.
            std::wstring text;
            in.readString(text);
            break;
        }
        case 5:
        {
            cGameResources set;
            set.load(in);
            // A record that names an id twice keeps the first count, so it need not write back
            // the same; what was kept must, though.
            LevelArchive out;
            set.save(out);
            LevelArchive again(out.bytes(), "again");
            cGameResources copy;
            copy.load(again);
            if (copy.getItems() != set.getItems())
                std::abort();
            break;
        }
        case 6:
        {
            UnitLevelInfo block;
            block.load(in);
            break;
        }
        case 7:
        {
            // A route: an end point, then a counted list of (point, angle) steps.
            Engine::cVector2 end;
            in.read8(end);
            const int steps = in.readCount(12);
            std::vector<std::pair<Engine::cVector2, float>> list(static_cast<size_t>(steps));
            for (auto& step : list)
            {
                in.read8(step.first);
                in.read4(step.second);
            }
            break;
        }
        default:
        {
            // A unit reference, checked against a level of three units.
            int32_t number = 0;
            in.read4(number);
            const std::vector<boost::shared_ptr<cUnit>> units(3);
            in.unitAt(units, number);
            break;
        }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LevelArchive in(std::vector<uint8_t>(data, data + size), "fuzz.save");
    try
    {
        readRecords(in);
    }
    catch (const Engine::cStringA&)
    {
        // A damaged stream: reported, nothing read past its end.
    }
    return 0;
}
