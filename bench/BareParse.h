#pragma once

// Expat's parse of a document with handlers that only count what they see: the part of any
// tree load that no loader can avoid, which the XML and level benchmarks set their figures
// against.

#include <benchmark/benchmark.h>
#include <expat.h>

#include <string>

namespace Bench
{

inline void XMLCALL countStart(void* events, const XML_Char*, const XML_Char**)
{
    ++*static_cast<long*>(events);
}

inline void XMLCALL countEnd(void* events, const XML_Char*)
{
    ++*static_cast<long*>(events);
}

inline void XMLCALL countText(void* events, const XML_Char*, int)
{
    ++*static_cast<long*>(events);
}

// True when the bytes are a well-formed document.
inline bool bareParse(const std::string& bytes)
{
    long events = 0;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &events);
    XML_SetElementHandler(parser, countStart, countEnd);
    XML_SetCharacterDataHandler(parser, countText);
    const bool parsed =
        XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(parser);
    benchmark::DoNotOptimize(events);
    return parsed;
}

} // namespace Bench
