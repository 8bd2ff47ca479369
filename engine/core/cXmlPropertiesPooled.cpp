#include "engine/core/cXmlPropertiesPooled.h"

#include "engine/core/xml/XmlDocument.h"
#include "engine/core/xml/cNodePoolAllocator.h"

#include <boost/make_shared.hpp>

namespace Engine
{

cXmlPropertiesPooled::cXmlPropertiesPooled()
{
    ++s_total;
    if (++s_live > s_peak)
        s_peak = s_live;
}

cXmlPropertiesPooled::cXmlPropertiesPooled(const std::string& path) : cXmlPropertiesPooled()
{
    xml::loadDocument(*this, path);
}

cXmlPropertiesPooled::~cXmlPropertiesPooled()
{
    --s_live;
}

tPropertiesPtr cXmlPropertiesPooled::createNode()
{
    return boost::allocate_shared<cXmlPropertiesPooled>(xml::cNodePoolAllocator<cXmlPropertiesPooled>());
}

boost::shared_ptr<cXmlPropertiesPooled> cXmlPropertiesPooled::fromBuffer(const char* data, size_t size,
                                                                         const std::string& name)
{
    auto root = boost::static_pointer_cast<cXmlPropertiesPooled>(createNode());
    xml::loadDocument(*root, data, size, name);
    return root;
}

} // namespace Engine
