#pragma once

#include "platform/image/Image.h"
#include "tools/artgen/Palette.h"
#include "tools/artgen/Script.h"
#include "tools/artgen/Value.h"

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
    // "<file>:<line>" of the sheet statement.
    std::string source;
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

private:
    struct Part
    {
        const Statement* statement = nullptr;
        std::vector<std::string> parameters;
        std::vector<std::string> defaults;
    };
    struct Drawing;
    struct Arguments;

    void execute(const std::vector<Statement>& list, Drawing* drawing);
    void executeOne(const Statement& statement, Drawing* drawing);
    void loop(const Statement& statement, Drawing* drawing);
    void drawSheet(const Statement& statement, bool scene);
    void drawShape(const std::string& kind, Arguments& arguments, Drawing& drawing);
    void callPart(const Part& part, Arguments& arguments, Drawing& drawing);
    void stamp(Arguments& arguments, Drawing& drawing);

    Arguments arguments(const std::string& rest) const;
    // The words with "$name" and "${name}" replaced by the variables' values.
    std::string substitute(const std::string& text) const;
    // A palette colour, possibly named through a variable ("wall-20" with wall = "plaster").
    std::string resolveColour(const std::string& token) const;
    std::string resolveColourFrom(const std::string& token, int depth) const;
    bool isColour(const std::string& token) const;
    Value argument(const std::string& token) const;
    double style(const char* name, double fallback) const;

    const Palette& m_palette;
    Variables m_variables;
    std::vector<std::vector<Statement>> m_files;
    std::map<std::string, Part> m_parts;
    std::map<std::string, std::string> m_sheetSources;
    std::map<std::string, SheetOutput> m_drawn;
    std::vector<const Statement*> m_scenes;
    std::function<void(SheetOutput&)> m_onSheet;
    bool m_keepDrawn = false;
    int m_depth = 0;
};

} // namespace ArtGen
