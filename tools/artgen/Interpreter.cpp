#include "tools/artgen/Interpreter.h"

#include "tools/artgen/Canvas.h"
#include "tools/artgen/Expression.h"
#include "tools/artgen/Lettering.h"
#include "tools/artgen/Painter.h"
#include "tools/artgen/Words.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <sstream>
#include <stdexcept>

namespace ArtGen
{

namespace
{

// A fault already told with its place; passes through the statements that enclose it.
class ScriptError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

constexpr int kMaxDepth = 64;
constexpr int kMaxSide = 4096;

void checkPath(const std::string& path)
{
    const bool allowed = std::all_of(path.begin(), path.end(),
                                     [](char c)
                                     {
                                         return std::islower(static_cast<unsigned char>(c)) ||
                                                std::isdigit(static_cast<unsigned char>(c)) || c == '_' ||
                                                c == '/' || c == '.' || c == '-';
                                     });
    const bool picture = path.size() >= 5 && (path.compare(path.size() - 4, 4, ".png") == 0 ||
                                              path.compare(path.size() - 4, 4, ".jpg") == 0);
    if (!allowed || !picture || path[0] == '/' || path.find("..") != std::string::npos ||
        path.find("//") != std::string::npos)
        throw std::runtime_error("\"" + path +
                                 "\" is not a picture path (lower case, \"/\", ending in .png or .jpg)");
}

} // namespace

struct Interpreter::Drawing
{
    Canvas* canvas = nullptr;
    Canvas::Layer layer = Canvas::Body;

    cairo_t* cr() const { return canvas->context(layer); }
    void each(const std::function<void(cairo_t*)>& action) const
    {
        for (int at = Canvas::Ground; at <= Canvas::Top; ++at)
            action(canvas->context(static_cast<Canvas::Layer>(at)));
    }
};

Interpreter::Interpreter(const Palette& palette) : m_palette(palette), m_words(palette, m_variables) {}

Interpreter::~Interpreter() = default;

void Interpreter::load(const std::string& text, const std::string& shownName)
{
    m_files.push_back(parseScript(text, shownName));
    for (const Statement& statement : m_files.back())
    {
        if (statement.keyword != "part")
            continue;
        const std::vector<std::string> words = Words::split(statement.rest);
        if (words.empty() || !Words::isName(words[0]))
            throw std::runtime_error(statement.where() + "a part needs a name");
        if (m_parts.count(words[0]))
            throw std::runtime_error(statement.where() + "the part " + words[0] +
                                     " is defined twice (first at " + m_parts[words[0]].statement->where() +
                                     ")");
        Part part;
        part.statement = &statement;
        for (size_t i = 1; i < words.size(); ++i)
        {
            std::string key = words[i];
            std::string fallback;
            if (!Words::isName(key) && !Words::splitOption(words[i], key, fallback))
                throw std::runtime_error(statement.where() + "\"" + words[i] + "\" is not a parameter");
            if (m_palette.has(key))
                throw std::runtime_error(statement.where() + "\"" + key +
                                         "\" is a palette colour and cannot name a parameter");
            part.parameters.push_back(key);
            part.defaults.push_back(fallback);
        }
        m_parts[words[0]] = part;
    }
}

void Interpreter::run(const std::function<void(SheetOutput&)>& onSheet, bool withScenes)
{
    m_onSheet = onSheet;
    m_keepDrawn = withScenes;
    m_scenes.clear();
    m_atlases.clear();
    for (const std::vector<Statement>& file : m_files)
        execute(file, nullptr);
    if (withScenes)
        for (const Statement* scene : m_scenes)
            drawSheet(*scene, true);
    m_drawn.clear();
}

void Interpreter::execute(const std::vector<Statement>& list, Drawing* drawing)
{
    for (const Statement& statement : list)
    {
        try
        {
            executeOne(statement, drawing);
        }
        catch (const ScriptError&)
        {
            throw;
        }
        catch (const std::runtime_error& error)
        {
            throw ScriptError(statement.where() + error.what());
        }
    }
}

void Interpreter::executeOne(const Statement& statement, Drawing* drawing)
{
    // A part may be named through a variable ("icon_${resource}").
    const std::string keyword = statement.keyword.find('$') == std::string::npos
                                    ? statement.keyword
                                    : m_words.substitute(statement.keyword);
    const auto needDrawing = [&]() -> Drawing&
    {
        if (!drawing)
            throw std::runtime_error("\"" + keyword + "\" draws, so it belongs inside a sheet or a part");
        return *drawing;
    };
    if (keyword == "part")
    {
        if (drawing || m_depth > 0)
            throw std::runtime_error("parts are defined at the top of a file");
        return;
    }
    if (keyword == "let")
    {
        const std::string text = m_words.substitute(statement.rest);
        const size_t space = text.find_first_of(" \t");
        const std::string name = text.substr(0, space);
        const std::string expression = space == std::string::npos ? "" : text.substr(space + 1);
        if (!Words::isName(name) || expression.find_first_not_of(" \t") == std::string::npos)
            throw std::runtime_error("write: let <name> <value>");
        if (m_palette.has(name))
            throw std::runtime_error("\"" + name + "\" is a palette colour and cannot name a variable");
        const std::vector<std::string> words = Words::split(expression);
        m_variables.set(name,
                        words.size() == 1 ? m_words.argument(words[0]) : evaluate(expression, m_variables));
        return;
    }
    if (keyword == "if")
    {
        const bool yes = evaluateNumber(m_words.substitute(statement.rest), m_variables) != 0.0;
        execute(yes ? statement.body : statement.otherwise, drawing);
        return;
    }
    if (keyword == "for")
    {
        loop(statement, drawing);
        return;
    }
    if (keyword == "sheet" || keyword == "scene")
    {
        if (drawing || m_depth > 0)
            throw std::runtime_error("a " + keyword + " cannot be drawn inside another picture");
        if (keyword == "scene")
            m_scenes.push_back(&statement);
        else
            drawSheet(statement, false);
        return;
    }
    if (keyword == "atlas")
    {
        if (drawing || m_depth > 0)
            throw std::runtime_error("an atlas is declared at the top of a file");
        declareAtlas(statement);
        return;
    }
    if (keyword == "group")
    {
        Drawing& target = needDrawing();
        target.each(cairo_save);
        execute(statement.body, drawing);
        target.each(cairo_restore);
        return;
    }
    if (keyword == "under" || keyword == "over")
    {
        Drawing& target = needDrawing();
        const Canvas::Layer before = target.layer;
        target.layer = keyword == "under" ? Canvas::Ground : Canvas::Top;
        execute(statement.body, drawing);
        target.layer = before;
        return;
    }
    Words::Arguments args = m_words.arguments(statement.rest);
    const auto number = [&](size_t index)
    {
        if (index >= args.positional.size())
            throw std::runtime_error("\"" + keyword + "\" needs more numbers");
        return evaluateNumber(args.positional[index], m_variables);
    };
    if (keyword == "move" || keyword == "turn" || keyword == "scale" || keyword == "mirror")
    {
        Drawing& target = needDrawing();
        if (keyword == "move")
        {
            const double x = number(0), y = number(1);
            target.each([&](cairo_t* cr) { cairo_translate(cr, x, y); });
        }
        else if (keyword == "turn")
        {
            // Counter-clockwise on screen, as the game's angles turn; about a point when given.
            const double degrees = number(0);
            const double px = args.positional.size() > 1 ? number(1) : 0.0;
            const double py = args.positional.size() > 1 ? number(2) : 0.0;
            target.each(
                [&](cairo_t* cr)
                {
                    cairo_translate(cr, px, py);
                    cairo_rotate(cr, -degrees * 3.14159265358979323846 / 180.0);
                    cairo_translate(cr, -px, -py);
                });
        }
        else if (keyword == "scale")
        {
            const double x = number(0);
            const double y = args.positional.size() > 1 ? number(1) : x;
            if (x == 0.0 || y == 0.0)
                throw std::runtime_error("a scale of 0 would draw nothing");
            target.each([&](cairo_t* cr) { cairo_scale(cr, x, y); });
        }
        else
            target.each([](cairo_t* cr) { cairo_scale(cr, -1.0, 1.0); });
        args.finish();
        return;
    }
    if (keyword == "stamp")
    {
        stamp(args, needDrawing());
        return;
    }
    const auto part = m_parts.find(keyword);
    if (part != m_parts.end())
    {
        callPart(part->second, args, needDrawing());
        return;
    }
    static const std::set<std::string> shapes = {"rect", "ellipse", "circle", "poly",  "blob", "wedge",
                                                 "star", "text",    "line",   "curve", "arc",  "glow",
                                                 "tint", "noise",   "erase",  "clip"};
    if (shapes.count(keyword))
    {
        drawShape(keyword, args, needDrawing());
        return;
    }
    throw std::runtime_error("unknown statement or part \"" + keyword + "\"");
}

void Interpreter::loop(const Statement& statement, Drawing* drawing)
{
    const std::vector<std::string> words = Words::split(m_words.substitute(statement.rest));
    if (words.size() < 2 || !Words::isName(words[0]))
        throw std::runtime_error("write: for <name> in <words...>, or for <name> from <a> to <b> [step <s>]");
    const std::string& name = words[0];
    // The loop's variable, and whatever its body sets, live until the loop ends: a loop at the
    // top of one file leaves nothing behind that changes the words of another.
    struct Scope
    {
        Variables& variables;
        explicit Scope(Variables& v) : variables(v) { variables.push(); }
        ~Scope() { variables.pop(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    } scope(m_variables);
    if (words[1] == "in")
    {
        for (size_t i = 2; i < words.size(); ++i)
        {
            m_variables.set(name, m_words.argument(words[i]));
            execute(statement.body, drawing);
        }
        return;
    }
    if (words[1] != "from" || (words.size() != 5 && words.size() != 7) || words[3] != "to" ||
        (words.size() == 7 && words[5] != "step"))
        throw std::runtime_error("write: for <name> from <a> to <b> [step <s>]");
    const double from = evaluateNumber(words[2], m_variables);
    const double to = evaluateNumber(words[4], m_variables);
    const double step = words.size() == 7 ? evaluateNumber(words[6], m_variables) : 1.0;
    if (step <= 0.0 || (to - from) / step > 100000.0)
        throw std::runtime_error("the step must be above 0 and the loop shorter than 100000 turns");
    for (double value = from; value <= to + 1e-9; value += step)
    {
        m_variables.set(name, Value::of(value));
        execute(statement.body, drawing);
    }
}

bool AtlasInfo::gathers(const std::string& picture) const
{
    return picture != path && std::any_of(prefixes.begin(), prefixes.end(),
                                          [&](const std::string& prefix)
                                          { return picture.compare(0, prefix.size(), prefix) == 0; });
}

void Interpreter::declareAtlas(const Statement& statement)
{
    Words::Arguments args = m_words.arguments(statement.rest);
    const std::string* map = args.take("map");
    const std::string* of = args.take("of");
    if (args.positional.size() != 1 || !map || !of)
        throw std::runtime_error(
            "write: atlas <path.png> map=<path.xml> of=<path prefix>[,<path prefix>...]");
    args.finish();
    AtlasInfo atlas;
    atlas.path = args.positional[0];
    checkPath(atlas.path);
    if (atlas.path.compare(atlas.path.size() - 4, 4, ".png") != 0)
        throw std::runtime_error("an atlas is a PNG: its pictures keep their see-through parts");
    atlas.map = *map;
    if (atlas.map.size() < 5 || atlas.map.compare(atlas.map.size() - 4, 4, ".xml") != 0 ||
        atlas.map[0] == '/' || atlas.map.find("..") != std::string::npos)
        throw std::runtime_error("\"" + atlas.map + "\" is not the path of an atlas map (ending in .xml)");
    atlas.prefixes = Words::splitCommas(*of);
    if (atlas.prefixes.empty() || std::any_of(atlas.prefixes.begin(), atlas.prefixes.end(),
                                              [](const std::string& p) { return p.empty(); }))
        throw std::runtime_error("of= names the path prefixes of the pictures the atlas gathers");
    for (const AtlasInfo& other : m_atlases)
        if (other.path == atlas.path || other.map == atlas.map)
            throw std::runtime_error("the atlas " + atlas.path + " is declared twice");
    atlas.source = statement.file + ":" + std::to_string(statement.line);
    m_atlases.push_back(std::move(atlas));
}

void Interpreter::drawSheet(const Statement& statement, bool scene)
{
    Words::Arguments args = m_words.arguments(statement.rest);
    if (args.positional.size() != 1)
        throw std::runtime_error("write: " + statement.keyword + " <path.png> size=<w>,<h> [options]");
    SheetInfo info;
    info.path = args.positional[0];
    checkPath(info.path);
    info.source = statement.file + ":" + std::to_string(statement.line);
    const auto numbers = [&](const char* key, size_t count, std::vector<double> fallback)
    {
        const std::string* text = args.take(key);
        if (!text)
            return fallback;
        const std::vector<std::string> parts = Words::splitCommas(*text);
        if (parts.size() != count)
            throw std::runtime_error(std::string(key) + "= takes " + std::to_string(count) + " number(s)");
        std::vector<double> out;
        for (const std::string& part : parts)
            out.push_back(evaluateNumber(part, m_variables));
        return out;
    };
    const auto word = [&](const char* key, std::string& into)
    {
        if (const std::string* text = args.take(key))
            into = text->size() >= 2 && text->front() == '"' && text->back() == '"'
                       ? text->substr(1, text->size() - 2)
                       : *text;
    };
    if (!args.has("size"))
        throw std::runtime_error("a " + statement.keyword + " needs size=<w>,<h>");
    const std::vector<double> size = numbers("size", 2, {});
    info.frameWidth = static_cast<int>(size[0]);
    info.frameHeight = static_cast<int>(size[1]);
    info.frames = static_cast<int>(numbers("frames", 1, {1.0})[0]);
    info.columns = static_cast<int>(numbers("columns", 1, {static_cast<double>(info.frames)})[0]);
    info.rate = numbers("rate", 1, {info.frames > 1 ? 8.0 : 0.0})[0];
    const std::vector<double> anchor = numbers("anchor", 2, {size[0] / 2.0, size[1] / 2.0});
    info.anchorX = anchor[0];
    info.anchorY = anchor[1];
    word("unit", info.unit);
    word("level", info.level);
    word("look", info.look);
    word("states", info.states);
    word("angle", info.angle);
    word("use", info.use);
    const std::vector<double> slice = numbers("slice", 2, {});
    if (!slice.empty())
    {
        if (slice[0] < 1.0 || slice[1] < 1.0 || slice[0] * 2.0 >= size[0] || slice[1] * 2.0 >= size[1])
            throw std::runtime_error("slice= takes the corner's width and height, each at least 1 and below "
                                     "half the frame's");
        info.slice = Value::of(slice[0]).text() + "," + Value::of(slice[1]).text();
    }
    // A JPEG has nothing to see through, so it always reaches its edges.
    info.bleed =
        numbers("bleed", 1, {0.0})[0] != 0.0 || info.path.compare(info.path.size() - 4, 4, ".jpg") == 0;
    if (info.frameWidth < 1 || info.frameHeight < 1 || info.frames < 1 || info.columns < 1 ||
        info.columns > info.frames || info.rate < 0.0)
        throw std::runtime_error(
            "the size, frames, columns and rate must be positive, columns at most frames");
    info.rows = (info.frames + info.columns - 1) / info.columns;
    if (info.frameWidth * info.columns > kMaxSide || info.frameHeight * info.rows > kMaxSide)
        throw std::runtime_error("the picture would be larger than " + std::to_string(kMaxSide) +
                                 " pixels a side");

    ShadowStyle shadow;
    shadow.dx = m_words.style("shadow_dx", shadow.dx);
    shadow.dy = m_words.style("shadow_dy", shadow.dy);
    shadow.blur = m_words.style("shadow_blur", shadow.blur);
    shadow.alpha = scene ? 0.0 : m_words.style("shadow_alpha", shadow.alpha);
    if (const Value* colour = m_variables.find("shadow_colour"))
        shadow.colour = m_palette.parse(m_words.resolveColour(colour->text()));
    if (const std::string* text = args.take("shadow"))
    {
        if (*text == "none")
            shadow.alpha = 0.0;
        else
        {
            args.taken.erase("shadow");
            const std::vector<double> values = numbers("shadow", 4, {});
            shadow.dx = values[0];
            shadow.dy = values[1];
            shadow.blur = values[2];
            shadow.alpha = values[3];
        }
    }
    args.finish();

    const auto known = m_sheetSources.find(info.path);
    if (known != m_sheetSources.end())
        throw std::runtime_error(info.path + " is drawn twice (first at " + known->second + ")");
    m_sheetSources[info.path] = info.source;
    if (m_wanted && !m_wanted(info.path))
        return;

    SheetOutput output;
    output.scene = scene;
    output.image.width = static_cast<uint32_t>(info.frameWidth * info.columns);
    output.image.height = static_cast<uint32_t>(info.frameHeight * info.rows);
    output.image.pixels.assign(static_cast<size_t>(output.image.width) * output.image.height * 4, 0);
    for (int frame = 0; frame < info.frames; ++frame)
    {
        m_variables.push();
        m_variables.set("frame", Value::of(frame));
        m_variables.set("frames", Value::of(info.frames));
        m_variables.set("t", Value::of(static_cast<double>(frame) / info.frames));
        m_variables.set("width", Value::of(info.frameWidth));
        m_variables.set("height", Value::of(info.frameHeight));
        Canvas canvas(info.frameWidth, info.frameHeight);
        Drawing drawing;
        drawing.canvas = &canvas;
        drawing.each([&](cairo_t* cr) { cairo_translate(cr, info.anchorX, info.anchorY); });
        try
        {
            execute(statement.body, &drawing);
        }
        catch (...)
        {
            m_variables.pop();
            throw;
        }
        m_variables.pop();
        canvas.compose(output.image, (frame % info.columns) * info.frameWidth,
                       (frame / info.columns) * info.frameHeight, shadow);
    }
    output.info = info;
    m_onSheet(output);
    if (m_keepDrawn && !scene)
        m_drawn[info.path] = std::move(output);
}

void Interpreter::drawShape(const std::string& kind, Words::Arguments& args, Drawing& drawing)
{
    std::string shape = kind;
    size_t first = 0;
    if (kind == "erase" || kind == "clip")
    {
        if (args.positional.empty())
            throw std::runtime_error("write: " + kind + " <shape> <numbers...>");
        shape = args.positional[0];
        first = 1;
    }
    std::vector<double> numbers;
    std::string colourToken;
    std::string words;
    bool quoted = false;
    for (size_t i = first; i < args.positional.size(); ++i)
    {
        const std::string& token = args.positional[i];
        if (token.size() >= 2 && token.front() == '"' && token.back() == '"')
        {
            if (shape != "text" || quoted)
                throw std::runtime_error("only \"text\" takes words in quotes, and one of them");
            words = token.substr(1, token.size() - 2);
            quoted = true;
        }
        else if (m_words.isColour(token))
        {
            if (!colourToken.empty())
                throw std::runtime_error("two colours: " + colourToken + " and " + token);
            colourToken = m_words.resolveColour(token);
        }
        else
        {
            const Value value = evaluate(token, m_variables);
            if (value.isWord)
                throw std::runtime_error("\"" + token + "\" is neither a number nor a palette colour");
            numbers.push_back(value.number);
        }
    }
    const auto count = [&](size_t needed)
    {
        if (numbers.size() != needed)
            throw std::runtime_error("\"" + shape + "\" takes " + std::to_string(needed) + " numbers, not " +
                                     std::to_string(numbers.size()));
    };
    const auto points = [&](size_t least)
    {
        if (numbers.size() < least * 2 || numbers.size() % 2 != 0)
            throw std::runtime_error("\"" + shape + "\" takes at least " + std::to_string(least) +
                                     " x y pairs");
        std::vector<Point> out;
        for (size_t i = 0; i < numbers.size(); i += 2)
            out.push_back({numbers[i], numbers[i + 1]});
        return out;
    };
    const auto option = [&](const char* key, double fallback)
    {
        const std::string* text = args.take(key);
        return text ? evaluateNumber(*text, m_variables) : fallback;
    };
    const auto needColour = [&]()
    {
        if (colourToken.empty())
            throw std::runtime_error("\"" + kind + "\" needs a palette colour");
        return m_palette.parse(colourToken);
    };

    if (kind == "tint")
    {
        count(0);
        const Colour colour = needColour();
        args.finish();
        paintTint(drawing.cr(), colour);
        return;
    }
    if (kind == "noise")
    {
        count(0);
        NoiseStyle noise;
        noise.colour = needColour();
        noise.scale = option("scale", noise.scale);
        noise.octaves = static_cast<int>(std::clamp(option("octaves", noise.octaves), 1.0, 10.0));
        noise.start = option("start", noise.start);
        noise.low = option("lo", noise.low);
        noise.high = option("hi", noise.high);
        noise.alpha = option("a", noise.alpha);
        noise.keep = option("keep", 0.0) != 0.0;
        args.finish();
        if (noise.scale <= 0.0)
            throw std::runtime_error("the noise's scale must be above 0");
        paintNoise(drawing.cr(), noise);
        return;
    }
    if (kind == "glow")
    {
        count(3);
        const Colour colour = needColour();
        args.finish();
        paintGlow(drawing.cr(), numbers[0], numbers[1], numbers[2], colour);
        return;
    }

    const bool stroked = shape == "line" || shape == "curve" || shape == "arc";
    // Builds the shape's path on one context.
    std::function<void(cairo_t*)> build;
    if (shape == "rect")
    {
        count(4);
        const double radius = option("r", 0.0);
        build = [=](cairo_t* cr) { pathRect(cr, numbers[0], numbers[1], numbers[2], numbers[3], radius); };
    }
    else if (shape == "ellipse")
    {
        count(4);
        build = [=](cairo_t* cr) { pathEllipse(cr, numbers[0], numbers[1], numbers[2], numbers[3]); };
    }
    else if (shape == "circle")
    {
        count(3);
        build = [=](cairo_t* cr) { pathEllipse(cr, numbers[0], numbers[1], numbers[2], numbers[2]); };
    }
    else if (shape == "poly" || shape == "blob" || shape == "line" || shape == "curve")
    {
        const std::vector<Point> list = points(shape == "poly" || shape == "blob" ? 3 : 2);
        if (shape == "poly")
            build = [=](cairo_t* cr) { pathPolygon(cr, list); };
        else if (shape == "blob")
            build = [=](cairo_t* cr) { pathBlob(cr, list); };
        else if (shape == "line")
            build = [=](cairo_t* cr) { pathPolyline(cr, list); };
        else
            build = [=](cairo_t* cr) { pathCurve(cr, list); };
    }
    else if (shape == "arc" || shape == "wedge")
    {
        count(5);
        if (shape == "arc")
            build = [=](cairo_t* cr)
            { pathArc(cr, numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]); };
        else
            build = [=](cairo_t* cr)
            { pathWedge(cr, numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]); };
    }
    else if (shape == "text")
    {
        count(2);
        if (!quoted)
            throw std::runtime_error("write: text <x> <y> \"<words>\" <colour> size=<px> [align=<0..1>]");
        const double size = option("size", 12.0);
        const double align = option("align", 0.0);
        const double spacing = option("spacing", 0.0);
        const bool bold = option("bold", 1.0) != 0.0;
        if (size <= 0.0)
            throw std::runtime_error("the letters' size must be above 0");
        build = [=](cairo_t* cr)
        {
            cairo_new_path(cr);
            Lettering::use(cr, bold, size);
            Lettering::appendText(cr, words, numbers[0], numbers[1], align, spacing);
        };
    }
    else if (shape == "star")
    {
        count(5);
        const double turn = option("turn", 0.0);
        build = [=](cairo_t* cr)
        { pathStar(cr, numbers[0], numbers[1], numbers[2], numbers[3], static_cast<int>(numbers[4]), turn); };
    }
    else
        throw std::runtime_error("\"" + shape + "\" is not a shape");

    if (kind == "clip")
    {
        if (stroked)
            throw std::runtime_error("a line cannot clip");
        args.finish();
        drawing.each(
            [&](cairo_t* cr)
            {
                build(cr);
                clipPath(cr);
            });
        return;
    }
    if (kind == "erase")
    {
        args.finish();
        build(drawing.cr());
        if (stroked)
        {
            // The line's width is cut away.
            cairo_save(drawing.cr());
            cairo_set_operator(drawing.cr(), CAIRO_OPERATOR_CLEAR);
            LineStyle line;
            line.width = option("w", m_words.style("line_width", 1.5));
            cairo_set_line_width(drawing.cr(), line.width);
            cairo_set_line_cap(drawing.cr(), CAIRO_LINE_CAP_ROUND);
            cairo_stroke(drawing.cr());
            cairo_restore(drawing.cr());
        }
        else
            erasePath(drawing.cr());
        return;
    }
    const Colour colour = needColour();
    if (stroked)
    {
        LineStyle line;
        line.colour = colour;
        line.width = option("w", m_words.style("line_width", 1.5));
        line.outline = option("out", 0.0);
        line.outlineDark = option("dark", m_words.style("outline_dark", line.outlineDark));
        line.alpha = option("a", 1.0);
        if (const std::string* dash = args.take("dash"))
            for (const std::string& piece : Words::splitCommas(*dash))
            {
                line.dash.push_back(evaluateNumber(piece, m_variables));
                if (line.dash.back() < 0.0)
                    throw std::runtime_error("dash= takes lengths of 0 or more");
            }
        args.finish();
        build(drawing.cr());
        strokePath(drawing.cr(), line);
        return;
    }
    FillStyle fill;
    fill.colour = colour;
    const bool flat = option("flat", 0.0) != 0.0;
    fill.outline = option("out", m_words.style("outline", fill.outline));
    fill.outlineDark = option("dark", m_words.style("outline_dark", fill.outlineDark));
    fill.highlight = option("hi", flat ? 0.0 : m_words.style("highlight", fill.highlight));
    fill.shade = option("shade", flat ? 0.0 : m_words.style("shade", fill.shade));
    fill.rim = option("rim", m_words.style("rim", fill.rim));
    fill.gradient = option("grad", flat ? 0.0 : m_words.style("gradient", fill.gradient));
    fill.alpha = option("a", 1.0);
    args.finish();
    build(drawing.cr());
    fillPath(drawing.cr(), fill);
}

void Interpreter::callPart(const Part& part, Words::Arguments& args, Drawing& drawing)
{
    if (m_depth >= kMaxDepth)
        throw std::runtime_error("parts call each other more than " + std::to_string(kMaxDepth) + " deep");
    const std::string name = Words::split(part.statement->rest)[0];
    if (args.positional.size() > part.parameters.size())
        throw std::runtime_error("the part " + name + " takes " + std::to_string(part.parameters.size()) +
                                 " value(s)");
    // The values are worked out where the part is called, before its own frame opens.
    std::vector<std::pair<bool, Value>> given(part.parameters.size(), {false, Value()});
    for (size_t i = 0; i < args.positional.size(); ++i)
        given[i] = {true, m_words.argument(args.positional[i])};
    for (size_t i = 0; i < part.parameters.size(); ++i)
        if (const std::string* text = args.take(part.parameters[i]))
        {
            if (given[i].first)
                throw std::runtime_error(part.parameters[i] + " is given twice");
            given[i] = {true, m_words.argument(*text)};
        }
    for (const auto& option : args.options)
        if (!args.taken.count(option.first))
            throw std::runtime_error("the part " + name + " has no parameter " + option.first);

    m_variables.push();
    ++m_depth;
    drawing.each(cairo_save);
    try
    {
        for (size_t i = 0; i < part.parameters.size(); ++i)
        {
            if (given[i].first)
                m_variables.set(part.parameters[i], given[i].second);
            else if (!part.defaults[i].empty())
                m_variables.set(part.parameters[i], m_words.argument(part.defaults[i]));
            else
                throw std::runtime_error("the part " + name + " needs " + part.parameters[i]);
        }
        execute(part.statement->body, &drawing);
    }
    catch (const ScriptError& error)
    {
        drawing.each(cairo_restore);
        --m_depth;
        m_variables.pop();
        throw ScriptError(std::string(error.what()) + "\n  drawn by the part " + name);
    }
    catch (...)
    {
        drawing.each(cairo_restore);
        --m_depth;
        m_variables.pop();
        throw;
    }
    drawing.each(cairo_restore);
    --m_depth;
    m_variables.pop();
}

void Interpreter::stamp(Words::Arguments& args, Drawing& drawing)
{
    if (!m_keepDrawn)
        throw std::runtime_error("only a scene stamps pictures");
    if (args.positional.size() != 3)
        throw std::runtime_error("write: stamp <path.png> <x> <y> [frame=<n>]");
    const auto found = m_drawn.find(args.positional[0]);
    if (found == m_drawn.end())
        throw std::runtime_error(args.positional[0] +
                                 (m_wanted ? " is not a sheet drawn in this run" : " is not a sheet"));
    const SheetInfo& info = found->second.info;
    const Platform::Image& image = found->second.image;
    const double x = evaluateNumber(args.positional[1], m_variables);
    const double y = evaluateNumber(args.positional[2], m_variables);
    const std::string* frameText = args.take("frame");
    const int frame = frameText ? static_cast<int>(evaluateNumber(*frameText, m_variables)) : 0;
    args.finish();
    if (frame < 0 || frame >= info.frames)
        throw std::runtime_error(info.path + " has no frame " + std::to_string(frame));
    const int left = (frame % info.columns) * info.frameWidth;
    const int top = (frame / info.columns) * info.frameHeight;
    cairo_surface_t* surface = surfaceOf(image, left, top, info.frameWidth, info.frameHeight);
    cairo_t* cr = drawing.cr();
    cairo_save(cr);
    cairo_set_source_surface(cr, surface, x - info.anchorX, y - info.anchorY);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(surface);
}

} // namespace ArtGen
