#include "engine/core/xml/cXmlParser.h"

#include "engine/core/ErrorText.h"
#include "engine/core/StringUtils.h"
#include "engine/core/cDocumentCache.h"
#include "engine/core/xml/cXmlNode.h"

#include <algorithm>
#include <array>
#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>
#include <climits>
#include <cstring>
#include <exception>
#include <expat.h>
#include <initializer_list>
#include <memory>
#include <random>
#include <string_view>
#include <type_traits>
#include <vector>

namespace Engine::xml
{

static_assert(std::is_same_v<XML_Char, tUnit>, "Expat must be the UTF-16 build (XML_UNICODE)");

namespace
{

// Unwinds a handler after a rule was broken; the text is already stored.
struct cParseFailure
{
};

bool equalUnits(const tUnit* a, const char* ascii)
{
    for (; *ascii; ++a, ++ascii)
    {
        if (*a != static_cast<tUnit>(*ascii))
            return false;
    }
    return *a == 0;
}

struct cParserDeleter
{
    void operator()(XML_ParserStruct* parser) const { XML_ParserFree(parser); }
};

using tParser = std::unique_ptr<XML_ParserStruct, cParserDeleter>;

// A new parser with the salt of its name tables drawn once per process: left to itself the
// library asks the system for random bytes for every document (a system call each), and a salt
// that nothing outside the process can see guards the tables as well as a new one each time.
tParser makeParser()
{
    static const unsigned long salt = []
    {
        // 0 leaves the drawing to the library, document by document: so it is when the system
        // has no random device to offer here.
        try
        {
            std::random_device device;
            const unsigned long drawn = (static_cast<unsigned long>(device()) << 16 << 16) ^ device();
            return drawn;
        }
        catch (const std::exception&)
        {
            return 0UL;
        }
    }();
    tParser parser(XML_ParserCreate(nullptr));
    if (!parser)
        throw std::bad_alloc();
    XML_SetHashSalt(parser.get(), salt);
    return parser;
}

// The state of one parse: the open elements from the root down and, per open element, the run
// of its children (the name of its previous child element and how many of them came in a row).
// A child is addressed by its name and its position in the run, so elements of one name that
// are separated by others re-open the same node, while consecutive ones make new nodes.
class cParseContext
{
public:
    explicit cParseContext(cXmlNode& root) : m_root(root) {}

    bool run(const char* data, size_t size);

private:
    struct cOpen
    {
        // Null for a skipped element (a "remove" and everything inside it).
        cXmlNode* node;
        // Own reference (empty for the document root); a node is shared when anybody beyond
        // its parent's table and this reference holds it.
        tPropertiesPtr holder;
        // Set when the node was cloned while open: its first text replaces the copied text.
        bool replaceText;
    };
    struct cRun
    {
        std::vector<tUnit> name; // zero-terminated
        unsigned length = 0;
        // The run has gone past the children that existed: later positions do not exist either,
        // so long runs do not look their positions up one by one.
        bool pastEnd = false;
    };
    struct cSource
    {
        tPropertiesPtr holder;
        const cProperties* node = nullptr;
    };
    enum class eFirst
    {
        Plain,
        Copy,
        Remove
    };

    static void XMLCALL onStart(void* self, const XML_Char* name, const XML_Char** attributes);
    static void XMLCALL onEnd(void* self, const XML_Char* name);
    static void XMLCALL onText(void* self, const XML_Char* text, int length);
    template <class Step> static void guarded(void* self, Step step);

    void start(const tUnit* name, const tUnit** attributes);
    void startRoot(eFirst first, const tUnit** attributes);
    void end();
    void text(const tUnit* text, size_t length);

    tPropertiesPtr copyInto(const cXmlName& name, const tPropertiesPtr* slot, const tUnit* value);
    cSource findSource(const tUnit* value);
    void applyAttributes(const tUnit** attributes);
    void makeWritable();
    void push(tPropertiesPtr node, bool fresh);
    void pushSkipped();
    void grow(size_t parentIndex, unsigned childHeight);
    bool isOpen(const cProperties* node) const;
    [[noreturn]] void fail(const std::string& what);
    void stop();

    cXmlNode& m_root;
    XML_Parser m_parser = nullptr;
    std::vector<cOpen> m_open;
    // Indexed by the depth of the open element whose children it counts; never shrinks, so the
    // name buffers are reused.
    std::vector<cRun> m_runs;
    // m_open[0, m_verified) are known to be held by nobody else.
    size_t m_verified = 0;
    bool m_stopped = false;
    std::string m_error;
    std::exception_ptr m_exception;
    cNameTable m_names;
    // Attribute values are decoded here first, so a stored value is allocated once.
    std::wstring m_value;
};

bool cParseContext::run(const char* data, size_t size)
{
    if (size > static_cast<size_t>(INT_MAX))
    {
        getErrorString() = "file too large";
        return false;
    }
    const tParser parser = makeParser();
    m_parser = parser.get();
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &cParseContext::onStart, &cParseContext::onEnd);
    XML_SetCharacterDataHandler(m_parser, &cParseContext::onText);
    if (XML_Parse(m_parser, data, static_cast<int>(size), XML_TRUE) == XML_STATUS_OK)
        return true;
    if (m_exception)
        std::rethrow_exception(m_exception);
    if (m_error.empty())
    {
        m_error = std::string(XML_ErrorString(XML_GetErrorCode(m_parser))) + " line " +
                  std::to_string(XML_GetCurrentLineNumber(m_parser)) + " char " +
                  std::to_string(XML_GetCurrentColumnNumber(m_parser));
    }
    getErrorString() = m_error;
    return false;
}

// Exceptions must not cross the parser's C code: they are kept and thrown again once it returns.
template <class Step> void cParseContext::guarded(void* self, Step step)
{
    auto* context = static_cast<cParseContext*>(self);
    if (context->m_stopped)
        return;
    try
    {
        step(*context);
    }
    catch (const cParseFailure&)
    {
    }
    catch (...)
    {
        context->m_exception = std::current_exception();
        context->stop();
    }
}

void XMLCALL cParseContext::onStart(void* self, const XML_Char* name, const XML_Char** attributes)
{
    guarded(self, [&](cParseContext& c) { c.start(name, attributes); });
}

void XMLCALL cParseContext::onEnd(void* self, const XML_Char*)
{
    guarded(self, [](cParseContext& c) { c.end(); });
}

void XMLCALL cParseContext::onText(void* self, const XML_Char* text, int length)
{
    guarded(self, [&](cParseContext& c) { c.text(text, static_cast<size_t>(length)); });
}

void cParseContext::start(const tUnit* name, const tUnit** attributes)
{
    // Everything inside a skipped element is skipped.
    if (!m_open.empty() && !m_open.back().node)
    {
        pushSkipped();
        return;
    }
    const size_t depth = m_open.size();
    if (depth > kMaxDepth)
        fail("elements nested too deeply");
    eFirst first = eFirst::Plain;
    if (attributes[0] && equalUnits(attributes[0], "copy"))
        first = eFirst::Copy;
    else if (attributes[0] && equalUnits(attributes[0], "remove"))
        first = eFirst::Remove;
    if (depth == 0)
    {
        startRoot(first, attributes);
        return;
    }

    cRun& run = m_runs[depth - 1];
    const size_t nameLength = unitLength(name);
    if (run.length > 0 && run.name.size() == nameLength + 1 &&
        std::equal(name, name + nameLength, run.name.begin()))
        ++run.length;
    else
    {
        run.name.assign(name, name + nameLength + 1);
        run.length = 1;
        run.pastEnd = false;
    }
    const cXmlName key(name, &m_names);
    tPropertiesPtr* slot = run.pastEnd ? nullptr : m_open.back().node->childSlot(key, run.length);
    run.pastEnd = !slot;

    if (first == eFirst::Remove)
    {
        if (slot)
        {
            makeWritable();
            m_open.back().node->removeChildren(key);
        }
        // The removing element takes no position in the run.
        --run.length;
        pushSkipped();
        return;
    }

    tPropertiesPtr child;
    bool fresh = false;
    if (first == eFirst::Copy)
        child = copyInto(key, slot, attributes[1]);
    if (!child && slot)
        child = *slot;
    if (!child)
    {
        makeWritable();
        child = m_open.back().node->createEmpty();
        m_open.back().node->appendChild(key, child);
        grow(depth - 1, 0);
        fresh = true;
    }
    push(std::move(child), fresh);
    applyAttributes(first == eFirst::Plain ? attributes : attributes + 2);
}

void cParseContext::startRoot(eFirst first, const tUnit** attributes)
{
    if (first == eFirst::Remove)
    {
        pushSkipped();
        return;
    }
    if (first == eFirst::Copy)
    {
        const cSource source = findSource(attributes[1]);
        if (source.node && source.node != &m_root && !m_root.assignFrom(*source.node))
            fail("a hash-keyed element can't be copied onto the root of a name-keyed document");
    }
    m_open.push_back({&m_root, tPropertiesPtr(), false});
    if (m_runs.empty())
        m_runs.resize(1);
    m_runs[0].length = 0;
    m_runs[0].pastEnd = false;
    m_verified = 1;
    applyAttributes(first == eFirst::Plain ? attributes : attributes + 2);
}

void cParseContext::end()
{
    m_open.pop_back();
    m_verified = std::min(m_verified, m_open.size());
}

void cParseContext::text(const tUnit* text, size_t length)
{
    if (m_open.empty() || !m_open.back().node)
        return;
    // Line feeds and the tabs that indent a line go; the parser reports each line end apart.
    size_t skip = 0;
    while (skip < length && (text[skip] == 9 || text[skip] == 10))
        ++skip;
    if (skip == length)
        return;
    makeWritable();
    cOpen& top = m_open.back();
    if (top.replaceText)
    {
        top.node->text().clear();
        top.replaceText = false;
    }
    appendUnits(top.node->text(), text + skip, length - skip);
}

tPropertiesPtr cParseContext::copyInto(const cXmlName& name, const tPropertiesPtr* slot, const tUnit* value)
{
    cSource source = findSource(value);
    if (!source.node)
        return tPropertiesPtr();
    if (slot && slot->get() == source.node)
        return *slot;
    const auto* node = dynamic_cast<const cXmlNode*>(source.node);
    if (!node || !source.holder)
        fail("copy of an enclosing element \"" + toNarrowString(toWide(value, unitLength(value))) + "\"");
    const size_t depth = m_open.size();
    if (depth + node->height() > kMaxDepth)
        fail("copy nests elements too deeply");
    makeWritable();
    // A node that is still open would become its own descendant.
    if (isOpen(source.node))
        fail("copy of an enclosing element \"" + toNarrowString(toWide(value, unitLength(value))) + "\"");
    cXmlNode* parent = m_open.back().node;
    // The parent may be a fresh clone now: look the slot up again.
    const cRun& run = m_runs[depth - 1];
    if (tPropertiesPtr* target = run.pastEnd ? nullptr : parent->childSlot(name, run.length))
        *target = source.holder;
    else
        parent->appendChild(name, source.holder);
    grow(depth - 1, node->height());
    return std::move(source.holder);
}

cParseContext::cSource cParseContext::findSource(const tUnit* value)
{
    const std::wstring text = toWide(value, unitLength(value));
    const size_t bar = text.find(L'|');
    const std::wstring file = bar == std::wstring::npos ? std::wstring() : text.substr(0, bar);
    const std::wstring path = bar == std::wstring::npos ? text : text.substr(bar + 1);

    cSource source;
    if (file.empty())
        source.node = &m_root;
    else
    {
        // Only the cache notices a document that copies from itself; without one the load
        // would never end.
        cDocumentCache* cache = cDocumentCache::instance();
        if (!cache)
            fail("copy needs the resource manager to load \"" + toNarrowString(file) + "\"");
        source.holder = cache->getDocument(toNarrowString(file), true);
        source.node = source.holder.get();
    }
    if (path.empty())
        return source;
    std::vector<std::wstring> names;
    boost::algorithm::split(names, path, boost::algorithm::is_any_of(L"/\\"));
    for (const std::wstring& childName : names)
    {
        tPropertiesPtr child;
        if (!source.node->getChild(childName.c_str(), child))
            return cSource();
        source.holder = std::move(child);
        source.node = source.holder.get();
    }
    return source;
}

void cParseContext::applyAttributes(const tUnit** attributes)
{
    if (!attributes[0])
        return;
    makeWritable();
    cXmlNode* node = m_open.back().node;
    size_t count = 0;
    while (attributes[2 * count])
        ++count;
    node->reserveAttributes(count);
    for (; attributes[0]; attributes += 2)
    {
        m_value.clear();
        appendUnits(m_value, attributes[1], unitLength(attributes[1]));
        node->setAttribute(cXmlName(attributes[0], &m_names), m_value);
    }
}

// Before an open node changes, every open node from the first shared one down is replaced by
// its clone, in its parent's table and here, so documents that share the nodes never see the
// change.
void cParseContext::makeWritable()
{
    const size_t size = m_open.size();
    size_t i = std::max<size_t>(m_verified, 1);
    while (i < size && m_open[i].holder.use_count() <= 2)
        ++i;
    for (; i < size; ++i)
    {
        cOpen& entry = m_open[i];
        tPropertiesPtr copy = entry.node->clone();
        const cRun& run = m_runs[i - 1];
        tPropertiesPtr* slot = m_open[i - 1].node->childSlot(cXmlName(run.name.data(), &m_names), run.length);
        if (!slot)
            fail("open element lost from its parent");
        *slot = copy;
        entry.node = static_cast<cXmlNode*>(copy.get());
        entry.holder = std::move(copy);
        entry.replaceText = true;
    }
    m_verified = size;
}

void cParseContext::push(tPropertiesPtr node, bool fresh)
{
    const size_t depth = m_open.size();
    auto* raw = static_cast<cXmlNode*>(node.get());
    m_open.push_back({raw, std::move(node), false});
    if (m_runs.size() <= depth)
        m_runs.resize(depth + 1);
    m_runs[depth].length = 0;
    m_runs[depth].pastEnd = false;
    if (fresh && m_verified == depth)
        m_verified = depth + 1;
}

void cParseContext::pushSkipped()
{
    m_open.push_back({nullptr, tPropertiesPtr(), false});
}

// Raises the heights of the open nodes from `parentIndex` up after a child was added there.
void cParseContext::grow(size_t parentIndex, unsigned childHeight)
{
    unsigned need = childHeight + 1;
    for (size_t i = parentIndex + 1; i-- > 0; ++need)
    {
        cXmlNode* node = m_open[i].node;
        if (node->height() >= need)
            break;
        node->setHeight(need);
    }
}

bool cParseContext::isOpen(const cProperties* node) const
{
    return std::any_of(m_open.begin(), m_open.end(), [node](const cOpen& open) { return open.node == node; });
}

void cParseContext::fail(const std::string& what)
{
    m_error = what + " line " + std::to_string(XML_GetCurrentLineNumber(m_parser)) + " char " +
              std::to_string(XML_GetCurrentColumnNumber(m_parser));
    stop();
    throw cParseFailure();
}

void cParseContext::stop()
{
    m_stopped = true;
    XML_StopParser(m_parser, XML_FALSE);
}

// Whether any of `words` appears in `text`. A word is looked for by the byte of it that is
// rarest in a sample of the text, and compared whole only where that byte stands: a level
// file is full of the letters markup words start with, and a search led by a word's first
// byte stops at nearly every tag.
bool containsAnyWord(std::string_view text, std::initializer_list<std::string_view> words)
{
    // The sample: sixteen slices spread over the text, whose parts may differ (a level file
    // starts with a long list of cells).
    std::array<unsigned, 256> counts{};
    constexpr size_t Slices = 16;
    constexpr size_t SliceLength = 256;
    for (size_t slice = 0; slice < Slices; ++slice)
        for (const char c : text.substr(text.size() / Slices * slice, SliceLength))
            ++counts[static_cast<unsigned char>(c)];
    for (const std::string_view word : words)
    {
        if (word.empty())
            return true;
        if (word.size() > text.size())
            continue;
        size_t anchor = 0;
        for (size_t i = 1; i < word.size(); ++i)
            if (counts[static_cast<unsigned char>(word[i])] <
                counts[static_cast<unsigned char>(word[anchor])])
                anchor = i;
        const char* const end = text.data() + text.size();
        for (const char* at = text.data() + anchor; at < end;)
        {
            const char* found =
                static_cast<const char*>(std::memchr(at, word[anchor], static_cast<size_t>(end - at)));
            if (!found)
                break;
            const char* start = found - anchor;
            if (static_cast<size_t>(end - start) >= word.size() &&
                std::memcmp(start, word.data(), word.size()) == 0)
                return true;
            at = found + 1;
        }
    }
    return false;
}

// The state of `scanTopElement`: the depth of the open element and what the root's children
// of the name held.
class cScanContext
{
public:
    cScanContext(const char* name, std::vector<std::pair<std::wstring, std::wstring>>& attributes,
                 bool wholeText)
        : m_name(name), m_attributes(attributes), m_wholeText(wholeText)
    {
    }

    eScan run(const char* data, size_t size)
    {
        if (size > static_cast<size_t>(INT_MAX))
            return eScan::Undecided;
        m_data = data;
        m_size = size;
        const tParser parser = makeParser();
        m_parser = parser.get();
        XML_SetUserData(m_parser, this);
        XML_SetElementHandler(m_parser, &cScanContext::onStart, &cScanContext::onEnd);
        const bool parsed = XML_Parse(m_parser, data, static_cast<int>(size), XML_TRUE) == XML_STATUS_OK;
        if (m_undecided || (!parsed && !m_stoppedEarly))
            return eScan::Undecided;
        return m_found ? eScan::Found : eScan::Missing;
    }

private:
    static void XMLCALL onStart(void* self, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<cScanContext*>(self)->start(name, attributes);
    }
    static void XMLCALL onEnd(void* self, const XML_Char*) { --static_cast<cScanContext*>(self)->m_depth; }

    void start(const tUnit* name, const tUnit** attributes)
    {
        const size_t depth = m_depth++;
        if (depth > kMaxDepth)
            return undecided();
        if (depth > 1)
            return;
        if (attributes[0] && (equalUnits(attributes[0], "copy") || equalUnits(attributes[0], "remove")))
            return undecided();
        if (depth == 0 || !equalUnits(name, m_name))
            return;
        if (m_found)
            return undecided();
        m_found = true;
        for (; attributes[0]; attributes += 2)
            m_attributes.emplace_back(toWide(attributes[0], unitLength(attributes[0])),
                                      toWide(attributes[1], unitLength(attributes[1])));
        // When no later element can name the element, copy or remove (the words are nowhere in
        // the rest of an 8-bit text), the rest is not read unless it must be well-formed.
        if (!m_wholeText && restCannotMatter())
        {
            m_stoppedEarly = true;
            XML_StopParser(m_parser, XML_FALSE);
        }
    }

    bool restCannotMatter() const
    {
        if (m_size < 2 || m_data[0] == 0 || m_data[1] == 0 || static_cast<unsigned char>(m_data[0]) >= 0xFE)
            return false;
        const XML_Index at = XML_GetCurrentByteIndex(m_parser) + XML_GetCurrentByteCount(m_parser);
        if (at < 0 || static_cast<size_t>(at) > m_size)
            return false;
        const std::string_view rest(m_data + at, m_size - static_cast<size_t>(at));
        return !containsAnyWord(rest, {m_name, "copy", "remove"});
    }

    void undecided()
    {
        m_undecided = true;
        XML_StopParser(m_parser, XML_FALSE);
    }

    const char* m_name;
    std::vector<std::pair<std::wstring, std::wstring>>& m_attributes;
    XML_Parser m_parser = nullptr;
    const char* m_data = nullptr;
    size_t m_size = 0;
    size_t m_depth = 0;
    const bool m_wholeText;
    bool m_found = false;
    bool m_undecided = false;
    bool m_stoppedEarly = false;
};

} // namespace

namespace
{

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The quick way of `scanTopElement` for an 8-bit text of plain markup: the tags before the
// element are followed only as far as their nesting, the element's own tag is read by the
// parser on its own, and the rest is not read when it cannot matter. Anything it does not
// know (a document type, character data with references, an encoding other than UTF-8, a tag
// it cannot follow) leaves the question to the parser: Undecided.
eScan quickScan(std::string_view text, std::string_view name,
                std::vector<std::pair<std::wstring, std::wstring>>& attributes)
{
    if (text.size() < 2 || text[0] == 0 || text[1] == 0 || static_cast<unsigned char>(text[0]) >= 0xFE)
        return eScan::Undecided;
    size_t at = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::vector<std::string_view> open;
    while (true)
    {
        const size_t tag = text.find('<', at);
        if (tag == std::string_view::npos)
            return eScan::Undecided;
        const std::string_view between = text.substr(at, tag - at);
        if (between.find('&') != std::string_view::npos ||
            (open.empty() && !std::all_of(between.begin(), between.end(), isSpace)))
            return eScan::Undecided;
        const std::string_view rest = text.substr(tag);
        // Most tags are start tags: the byte after '<' tells which kind it is before any
        // comparison of words.
        const char kind = rest.size() > 1 ? rest[1] : '\0';
        if (kind == '!' && rest.compare(0, 4, "<!--") == 0)
        {
            const size_t end = rest.find("-->", 4);
            if (end == std::string_view::npos)
                return eScan::Undecided;
            at = tag + end + 3;
            continue;
        }
        if (kind == '?')
        {
            const size_t end = rest.find("?>", 2);
            if (end == std::string_view::npos)
                return eScan::Undecided;
            const std::string_view instruction = rest.substr(0, end);
            const size_t encoding = instruction.find("encoding");
            if (encoding != std::string_view::npos)
            {
                const std::string_view value = instruction.substr(encoding);
                if (value.find("\"UTF-8\"") == std::string_view::npos &&
                    value.find("'UTF-8'") == std::string_view::npos &&
                    value.find("\"utf-8\"") == std::string_view::npos &&
                    value.find("'utf-8'") == std::string_view::npos)
                    return eScan::Undecided;
            }
            at = tag + end + 2;
            continue;
        }
        if (kind == '!')
            return eScan::Undecided;
        if (kind == '/')
        {
            const size_t end = rest.find('>');
            if (end == std::string_view::npos || open.empty())
                return eScan::Undecided;
            std::string_view closed = rest.substr(2, end - 2);
            while (!closed.empty() && isSpace(closed.back()))
                closed.remove_suffix(1);
            // The root closed before the element: the parser tells what follows.
            if (closed != open.back() || open.size() == 1)
                return eScan::Undecided;
            open.pop_back();
            at = tag + end + 1;
            continue;
        }
        // A start tag: its name, then attributes with quoted values, up to '>' or "/>".
        size_t i = 1;
        while (i < rest.size() && !isSpace(rest[i]) && rest[i] != '/' && rest[i] != '>')
            ++i;
        const std::string_view tagName = rest.substr(1, i - 1);
        if (tagName.empty() || open.size() >= kMaxDepth)
            return eScan::Undecided;
        size_t firstAttribute = std::string_view::npos;
        bool empty = false;
        while (true)
        {
            while (i < rest.size() && isSpace(rest[i]))
                ++i;
            if (i >= rest.size())
                return eScan::Undecided;
            if (rest[i] == '>')
                break;
            if (rest[i] == '/' && rest.compare(i, 2, "/>") == 0)
            {
                empty = true;
                ++i;
                break;
            }
            const size_t equals = rest.find('=', i);
            if (equals == std::string_view::npos || equals == i ||
                rest.substr(i, equals - i).find_first_of("<>/\"'") != std::string_view::npos)
                return eScan::Undecided;
            if (firstAttribute == std::string_view::npos)
                firstAttribute = i;
            size_t quote = equals + 1;
            while (quote < rest.size() && isSpace(rest[quote]))
                ++quote;
            if (quote >= rest.size() || (rest[quote] != '"' && rest[quote] != '\''))
                return eScan::Undecided;
            const size_t close = rest.find(rest[quote], quote + 1);
            if (close == std::string_view::npos ||
                rest.substr(quote + 1, close - quote - 1).find('<') != std::string_view::npos)
                return eScan::Undecided;
            i = close + 1;
            if (i < rest.size() && !isSpace(rest[i]) && rest[i] != '/' && rest[i] != '>')
                return eScan::Undecided;
        }
        const std::string_view whole = rest.substr(0, i + 1);
        if (open.size() <= 1 && firstAttribute != std::string_view::npos &&
            (rest.compare(firstAttribute, 4, "copy") == 0 || rest.compare(firstAttribute, 6, "remove") == 0))
            return eScan::Undecided;
        if (open.size() == 1 && tagName == name)
        {
            // Nothing later may name, copy or remove the element.
            const std::string_view after = text.substr(tag + whole.size());
            if (containsAnyWord(after, {name, "copy", "remove"}))
                return eScan::Undecided;
            // The tag alone, read by the parser: its references and spaces read as they do in place.
            std::string alone = "<r>";
            alone += whole;
            if (!empty)
                alone += "</" + std::string(name) + ">";
            alone += "</r>";
            const std::string nameText(name);
            cScanContext context(nameText.c_str(), attributes, true);
            return context.run(alone.data(), alone.size()) == eScan::Found ? eScan::Found : eScan::Undecided;
        }
        if (!empty)
            open.push_back(tagName);
        else if (open.empty())
            return eScan::Undecided;
        at = tag + whole.size();
    }
}

} // namespace

eScan scanTopElement(const char* data, size_t size, const char* name,
                     std::vector<std::pair<std::wstring, std::wstring>>& attributes, bool wholeText)
{
    attributes.clear();
    if (!wholeText)
    {
        const eScan quick = quickScan(std::string_view(data, size), name, attributes);
        if (quick != eScan::Undecided)
            return quick;
        attributes.clear();
    }
    cScanContext context(name, attributes, wholeText);
    return context.run(data, size);
}

bool parseXml(cXmlNode& root, const char* data, size_t size)
{
    cParseContext context(root);
    return context.run(data, size);
}

} // namespace Engine::xml
