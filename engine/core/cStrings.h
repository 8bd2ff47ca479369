#pragma once

#include "engine/core/StringUtils.h"
#include "engine/core/cSingleton.h"

#include <map>
#include <set>
#include <string>

namespace Engine
{

class cProperties;

// Translates the program's display texts through the table of "sys/strings.xml": one element
// per entry, each holding an element "text" (the source text) and an element "translation".
//
// With the constant "game"/"DumpStrings" set, every text that has no translation is shown
// with "!!!!!!!" in front, and the texts are written to "strdubp.xml" when the object is
// destroyed, as a template for translators.
class cStrings : public cSingleton<cStrings>
{
public:
    // Reads the dump flag from `cConstants` and the table from "sys/strings.xml" when the file
    // system knows that file (a missing file leaves every text untranslated). A malformed
    // file throws the XML loader's error.
    cStrings();
    // Writes the dump when dumping is on; a failed write is reported in the log "strings".
    virtual ~cStrings();

    // The text to show for `text`. An empty text gives the argument itself; a text with an
    // entry gives a reference into the table; any other text gives one shared result that stays
    // valid until the next text without an entry is looked up (copy it before then).
    virtual const std::wstring& translate(const std::wstring& text);
    virtual bool isDumping() const;
    virtual void setDumping(bool dumping);

    // Adds the entries of a strings document, a later entry replacing an earlier one with the
    // same text. An entry without "translation" maps its text to an empty translation.
    void readTable(const cProperties& root);
    // The dump as written: the declaration, a line feed, "<Strings>", one "s" entry per missing
    // text (its text and translation both the text), "</Strings>".
    std::wstring dumpText() const;
    // Writes the dump to "strdubp.xml" as UTF-16 without a byte-order mark. Throws std::string
    // when the file cannot be written.
    void writeDump() const;

    const std::set<std::wstring, cUtf16Less>& getMissing() const { return m_missing; }

private:
    std::map<std::wstring, std::wstring, cUtf16Less> m_table;
    std::set<std::wstring, cUtf16Less> m_missing;
    bool m_dumping = false;
    std::wstring m_untranslated;
};

} // namespace Engine
