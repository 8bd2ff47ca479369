#include "engine/core/cXmlProperties.h"

#include "engine/core/xml/XmlDocument.h"

#include <boost/make_shared.hpp>

namespace Engine
{

cXmlProperties::cXmlProperties(const std::string& path)
{
    xml::loadDocument(*this, path);
}

tPropertiesPtr cXmlProperties::createNode()
{
    return boost::make_shared<cXmlProperties>();
}

boost::shared_ptr<cXmlProperties> cXmlProperties::fromBuffer(const char* data, size_t size,
                                                             const std::string& name)
{
    auto root = boost::make_shared<cXmlProperties>();
    xml::loadDocument(*root, data, size, name);
    return root;
}

} // namespace Engine
