#pragma once

#include "platform/image/Image.h"
#include "tools/artgen/Palette.h"
#include "tools/artgen/Script.h"
#include "tools/artgen/Value.h"
#include "tools/artgen/Words.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ArtGen
{

// What a sheet is and what it is for, as the manifest lists it.
struct SheetInfo
{
    std::string path;
    int frameWidth = 0;
    int frameHeight = 0;
    int frames = 1;
    int columns = 1;
    int rows = 1;
    // Suggested frames per second; 0 for a still picture.
    double rate = 0.0;
    // Where the unit's cell centre lies in a frame.
    double anchorX = 0.0;
    double anchorY = 0.0;
    // "-" where it does not apply.
    std::string unit = "-";
    std::string level = "-";
    std::string look = "-";
    std::string states = "-";
    std::string angle = "-";
    // Nine-patch corner "<width>,<height>" (the same on the far sides), or "-".
    std::string slice = "-";
    // Drawn to the edges of its frame on purpose (a backdrop, a map page, a bar's fill).
    bool bleed = false;
    // Which screen and element it is for, or "-".
    std::string use = "-";
    // "<file>:<line>" of the sheet statement.
    std::string source;
};

// A sheet that gathers the pictures other sheets draw, so that the game draws them all from one
// texture: "atlas <path.png> map=<path.xml> of=<path prefix>[,<path prefix>...]". The pictures
// stay in the pack as well; the map (an atlas map the game's "atlases.xml" names) says where
// each lies on the sheet.
struct AtlasInfo
{
    std::string path;
    std::string map;
    std::vector<std::string> prefixes;
    // "<file>:<line>" of the atlas statement.
    std::string source;

    bool gathers(const std::string& picture) const;
};

struct SheetOutput
{
    SheetInfo info;
    Platform::Image image;
    // A preview scene: drawn for looking, never packed or listed.
    bool scene = false;
};

// Runs the picture sources. Every source is loaded first, so a part may be used in any file;
// then the top-level statements of the files run in load order and every "sheet" draws one
// picture, frame by frame, with the origin at its anchor. Scenes run after every sheet (they
// stamp sheets). The language is described in tools/art/README.md.
class Interpreter
{
public:
    explicit Interpreter(const Palette& palette);
    ~Interpreter();

    // Throws std::runtime_error "<file>:<line>: <reason>" for a source that cannot be read.
    void load(const std::string& text, const std::string& shownName);
    // Draws every sheet (and every scene when `withScenes`) and hands each to `onSheet` in
    // order. Throws std::runtime_error "<file>:<line>: <reason>" at the first fault.
    void run(const std::function<void(SheetOutput&)>& onSheet, bool withScenes);
    // Draws only the sheets and scenes whose path the test accepts (the rest are still read
    // and checked): quicker looks at a few pictures. A scene may only stamp drawn sheets.
    void setWanted(std::function<bool(const std::string&)> wanted) { m_wanted = std::move(wanted); }
    // The atlas statements the last run met, in source order.
    const std::vector<AtlasInfo>& atlases() const { return m_atlases; }

private:
    struct Part
    {
        const Statement* statement = nullptr;
        std::vector<std::string> parameters;
        std::vector<std::string> defaults;
    };
    struct Drawing;

    void execute(const std::vector<Statement>& list, Drawing* drawing);
    void executeOne(const Statement& statement, Drawing* drawing);
    void loop(const Statement& statement, Drawing* drawing);
    void drawSheet(const Statement& statement, bool scene);
    void declareAtlas(const Statement& statement);
    void drawShape(const std::string& kind, Words::Arguments& arguments, Drawing& drawing);
    void callPart(const Part& part, Words::Arguments& arguments, Drawing& drawing);
    void stamp(Words::Arguments& arguments, Drawing& drawing);

    const Palette& m_palette;
    Variables m_variables;
    Words m_words;
    std::vector<std::vector<Statement>> m_files;
    std::map<std::string, Part> m_parts;
    std::map<std::string, std::string> m_sheetSources;
    std::map<std::string, SheetOutput> m_drawn;
    std::vector<const Statement*> m_scenes;
    std::vector<AtlasInfo> m_atlases;
    std::function<void(SheetOutput&)> m_onSheet;
    std::function<bool(const std::string&)> m_wanted;
    bool m_keepDrawn = false;
    int m_depth = 0;
};

} // namespace ArtGen
