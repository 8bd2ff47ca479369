// The XML loader: any bytes either build a tree or give a load error, for both node classes.
// "copy" of another file has no resource manager here and must fail cleanly too.
#include "engine/core/cXmlProperties.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "fuzz/xml_fuzz_walk.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Bytes that begin with '>' are a pre-parsed image, the other target's business.
    if (size > 0 && data[0] == '>')
        return 0;
    const char* text = reinterpret_cast<const char*>(data);
    XmlFuzz::check<Engine::cXmlPropertiesPooled>(text, size, false);
    XmlFuzz::check<Engine::cXmlProperties>(text, size, true);
    return 0;
}
