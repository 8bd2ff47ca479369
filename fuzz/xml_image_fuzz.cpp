// The pre-parsed image reader: any bytes after the leading '>' either build a tree or give a
// load error, never a read past their end.
#include "engine/core/cXmlProperties.h"
#include "engine/core/cXmlPropertiesPooled.h"
#include "fuzz/xml_fuzz_walk.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string image(">");
    image.append(reinterpret_cast<const char*>(data), size);
    XmlFuzz::check<Engine::cXmlPropertiesPooled>(image.data(), image.size(), false);
    XmlFuzz::check<Engine::cXmlProperties>(image.data(), image.size(), true);
    return 0;
}
