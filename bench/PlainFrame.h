#pragma once

// The baseline of the start benchmarks draws the frame it stands for with plain OpenGL and none
// of the engine's code: the frame's quads, written down by the program that drew it, each with
// its picture file, corners, colours, texture coordinates and render type; the pictures read
// and decoded with plain minizip, libpng and libjpeg, each made into a texture and uploaded once,
// and the quads drawn in order from vertex arrays, one draw call for each run of quads that share
// a texture and a blend, blended as the game blends them. What a start costs beyond this (and
// beyond making the window and its context) is the engine's own.

#include "bench/PlainPictures.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace Bench
{

// One quad of a frame as the game drew it. Positions are pixels of the 1024 x 768 screen;
// colours 0xAARRGGBB; texture coordinates of the picture at the first and the last corner.
struct FrameQuad
{
    // The picture file; empty for an untextured quad.
    std::string picture;
    // The render type's bits, as the layouts give them.
    uint32_t renderType = 0;
    std::array<float, 4> x{};
    std::array<float, 4> y{};
    std::array<uint32_t, 4> color{};
    float u0 = 0.0f;
    float v0 = 0.0f;
    float u1 = 1.0f;
    float v1 = 1.0f;
};

// One line a quad: "quad", then the fields separated by tabs (a picture path may hold spaces).
inline void writeFrameQuads(std::ostream& out, const std::vector<FrameQuad>& quads)
{
    for (const FrameQuad& quad : quads)
    {
        out << "quad\t" << quad.picture << "\t" << quad.renderType;
        for (int i = 0; i < 4; ++i)
            out << "\t" << quad.x[i] << "\t" << quad.y[i] << "\t" << quad.color[i];
        out << "\t" << quad.u0 << "\t" << quad.v0 << "\t" << quad.u1 << "\t" << quad.v1 << "\n";
    }
}

// The quads of the lines written by `writeFrameQuads`; other lines are passed over.
inline std::vector<FrameQuad> readFrameQuads(std::istream& in)
{
    std::vector<FrameQuad> quads;
    for (std::string line; std::getline(in, line);)
    {
        if (line.rfind("quad\t", 0) != 0)
            continue;
        std::istringstream fields(line.substr(5));
        FrameQuad quad;
        std::getline(fields, quad.picture, '\t');
        fields >> quad.renderType;
        for (int i = 0; i < 4; ++i)
            fields >> quad.x[i] >> quad.y[i] >> quad.color[i];
        fields >> quad.u0 >> quad.v0 >> quad.u1 >> quad.v1;
        if (fields)
            quads.push_back(quad);
    }
    return quads;
}

// The frame's pictures as textures of the current GL context, and the drawing of its quads.
class PlainFrame
{
public:
    // Reads, decodes and uploads every picture the quads name; a picture the plain readers cannot
    // read is left out (its quads are drawn untextured).
    PlainFrame(const std::filesystem::path& dataFolder, const std::vector<FrameQuad>& quads) : m_quads(quads)
    {
        PlainDataReader reader(dataFolder);
        std::string bytes;
        for (const FrameQuad& quad : m_quads)
        {
            if (quad.picture.empty() || m_textures.count(quad.picture))
                continue;
            Texture& texture = m_textures[quad.picture];
            PlainPicture picture;
            if (!reader.read(quad.picture, bytes))
                continue;
            const bool png = bytes.size() > 4 && bytes.compare(1, 3, "PNG") == 0;
            if (!(png ? decodePlainPng(bytes, picture) : decodePlainJpeg(bytes, picture)))
                continue;
            texture.opaque = true;
            for (size_t i = 3; i < picture.bgra.size() && texture.opaque; i += 4)
                texture.opaque = picture.bgra[i] == 0xFF;
            glGenTextures(1, &texture.name);
            glBindTexture(GL_TEXTURE_2D, texture.name);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(picture.width),
                         static_cast<GLsizei>(picture.height), 0, GL_BGRA, GL_UNSIGNED_BYTE,
                         picture.bgra.data());
            ++m_uploaded;
        }
    }

    PlainFrame(const PlainFrame&) = delete;
    PlainFrame& operator=(const PlainFrame&) = delete;

    ~PlainFrame()
    {
        for (const auto& entry : m_textures)
            if (entry.second.name)
                glDeleteTextures(1, &entry.second.name);
    }

    // Clears the 1024 x 768 screen and draws the quads in order.
    void draw()
    {
        glViewport(0, 0, 1024, 768);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0.0, 1024.0, 768.0, 0.0, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        size_t first = 0;
        while (first < m_quads.size())
        {
            const Style style = styleOf(m_quads[first]);
            size_t end = first + 1;
            while (end < m_quads.size() && styleOf(m_quads[end]) == style)
                ++end;
            drawRun(first, end, style);
            first = end;
        }
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }

    size_t uploadedPictures() const { return m_uploaded; }

private:
    struct Texture
    {
        GLuint name = 0;
        bool opaque = false;
    };

    // What a run of quads drawn with one call shares.
    struct Style
    {
        GLuint texture = 0;
        bool blend = true;
        GLenum source = GL_SRC_ALPHA;
        GLenum destination = GL_ONE_MINUS_SRC_ALPHA;
        float alphaRef = 0.0f;
        bool linear = false;

        bool operator==(const Style& other) const
        {
            return texture == other.texture && blend == other.blend && source == other.source &&
                   destination == other.destination && alphaRef == other.alphaRef && linear == other.linear;
        }
    };

    // The game's blends and filters: the render type chooses; an opaque picture in opaque colours with the
    // usual blend covers what is under it and is drawn without blending.
    Style styleOf(const FrameQuad& quad) const
    {
        constexpr uint32_t Opaque = 0x002, DestColor = 0x001, Linear = 0x020, DestColorBlend = 0x040,
                           Anisotropic = 0x080, AlphaRef160 = 0x100, Additive = 0x800, Multiply = 0x1000;
        Style style;
        const auto found = m_textures.find(quad.picture);
        const Texture* texture = found == m_textures.end() || !found->second.name ? nullptr : &found->second;
        style.texture = texture ? texture->name : 0;
        style.linear = (quad.renderType & (Linear | Anisotropic)) != 0;
        if (quad.renderType & (DestColor | DestColorBlend))
        {
            style.source = GL_DST_COLOR;
            style.destination = GL_SRC_ALPHA;
        }
        else if (quad.renderType & Additive)
            style.destination = GL_ONE;
        else if (quad.renderType & Multiply)
        {
            style.source = GL_ZERO;
            style.destination = GL_SRC_COLOR;
        }
        style.alphaRef = (quad.renderType & AlphaRef160) ? 160.0f / 255.0f : 0.0f;
        bool opaqueColors = true;
        for (uint32_t color : quad.color)
            opaqueColors = opaqueColors && (color >> 24) == 0xFFu;
        const bool usualBlend = style.source == GL_SRC_ALPHA && style.destination == GL_ONE_MINUS_SRC_ALPHA &&
                                style.alphaRef == 0.0f;
        style.blend =
            !(quad.renderType & Opaque) && !(usualBlend && texture && texture->opaque && opaqueColors);
        return style;
    }

    void drawRun(size_t first, size_t end, const Style& style)
    {
        m_positions.clear();
        m_coordinates.clear();
        m_colors.clear();
        // Corners 0 top left, 1 top right, 2 bottom left, 3 bottom right, drawn round the quad.
        static constexpr int order[4] = {0, 1, 3, 2};
        for (size_t i = first; i < end; ++i)
        {
            const FrameQuad& quad = m_quads[i];
            for (int corner : order)
            {
                m_positions.push_back(quad.x[corner]);
                m_positions.push_back(quad.y[corner]);
                m_coordinates.push_back(corner & 1 ? quad.u1 : quad.u0);
                m_coordinates.push_back(corner & 2 ? quad.v1 : quad.v0);
                const uint32_t argb = quad.color[corner];
                m_colors.push_back(static_cast<uint8_t>(argb >> 16));
                m_colors.push_back(static_cast<uint8_t>(argb >> 8));
                m_colors.push_back(static_cast<uint8_t>(argb));
                m_colors.push_back(static_cast<uint8_t>(argb >> 24));
            }
        }
        if (style.texture)
        {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, style.texture);
            const GLint filter = style.linear ? GL_LINEAR : GL_NEAREST;
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        }
        else
            glDisable(GL_TEXTURE_2D);
        if (style.blend)
        {
            glEnable(GL_BLEND);
            glBlendFunc(style.source, style.destination);
            glEnable(GL_ALPHA_TEST);
            glAlphaFunc(GL_GREATER, style.alphaRef);
        }
        else
        {
            glDisable(GL_BLEND);
            glDisable(GL_ALPHA_TEST);
        }
        glVertexPointer(2, GL_FLOAT, 0, m_positions.data());
        glTexCoordPointer(2, GL_FLOAT, 0, m_coordinates.data());
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_colors.data());
        glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>((end - first) * 4));
    }

    std::vector<FrameQuad> m_quads;
    std::map<std::string, Texture> m_textures;
    size_t m_uploaded = 0;
    std::vector<float> m_positions;
    std::vector<float> m_coordinates;
    std::vector<uint8_t> m_colors;
};

} // namespace Bench
