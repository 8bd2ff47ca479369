#include "platform/particles/CPyroEmitter.h"

#include "platform/particles/CPyroEffect.h"
#include "platform/particles/CPyroException.h"
#include "platform/particles/CPyroGraphicsException.h"
#include "platform/particles/CPyroLibrary.h"
#include "platform/particles/IPyroGraphicsDevice.h"
#include "platform/particles/IPyroTexture.h"
#include "platform/particles/IPyroVertexBuffer.h"

#include <algorithm>
#include <cmath>

namespace PyroParticles
{

namespace
{

constexpr float kDegrees = 3.14159265358979f / 180.0f;

uint32_t mixColor(uint32_t from, uint32_t to, float t)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const float a = static_cast<float>((from >> shift) & 255u);
        const float b = static_cast<float>((to >> shift) & 255u);
        const float v = a + (b - a) * t + 0.5f;
        out |= static_cast<uint32_t>(std::min(255.0f, std::max(0.0f, v))) << shift;
    }
    return out;
}

// The direction of an angle, exact along the axes (so a straight fountain stays straight).
void direction(float degrees, float& dx, float& dy)
{
    float turn = std::fmod(degrees, 360.0f);
    if (turn < 0.0f)
        turn += 360.0f;
    if (turn == 0.0f || turn == 90.0f || turn == 180.0f || turn == 270.0f)
    {
        const int quarter = static_cast<int>(turn / 90.0f);
        static const float axes[4][2] = {{1.0f, 0.0f}, {0.0f, 1.0f}, {-1.0f, 0.0f}, {0.0f, -1.0f}};
        dx = axes[quarter][0];
        dy = axes[quarter][1];
        return;
    }
    dx = std::cos(turn * kDegrees);
    dy = std::sin(turn * kDegrees);
}

} // namespace

CPyroEmitter::CPyroEmitter(CPyroEffect& effect, const sEmitterDesc& desc, uint32_t seed)
    : m_effect(effect), m_desc(desc), m_random(seed)
{
    m_layers.resize(desc.layers.size());
    for (size_t i = 0; i < desc.layers.size(); ++i)
    {
        m_layers[i].desc = &desc.layers[i];
        m_layers[i].particles.reserve(std::min<uint32_t>(desc.layers[i].maxParticles, 256));
    }
}

CPyroEmitter::~CPyroEmitter() = default;

const char* CPyroEmitter::getName() const
{
    return m_desc.name.c_str();
}

void CPyroEmitter::move(float, float step)
{
    if (!(step > 0.0f))
        return;
    for (sLayer& layer : m_layers)
    {
        const sLayerDesc& d = *layer.desc;
        const float keep = std::max(0.0f, 1.0f - d.drag * step);
        auto alive = layer.particles.begin();
        for (sParticle& p : layer.particles)
        {
            p.age += step;
            if (p.age >= p.life)
                continue;
            p.vx = (p.vx + d.gravityX * step) * keep;
            p.vy = (p.vy + d.gravityY * step) * keep;
            p.x += p.vx * step;
            p.y += p.vy * step;
            p.angle += p.spin * step;
            *alive++ = p;
        }
        layer.particles.erase(alive, layer.particles.end());
    }
}

// Particles carry no depth of their own: they are drawn at the depth `setPosition` gives.
void CPyroEmitter::emit(float time, float step, float x, float y, float, bool emit)
{
    if (!std::isfinite(time) || !std::isfinite(step) || step < 0.0f)
        return;
    if (time < m_lastTime)
        restartEmission();
    m_lastTime = time;
    m_lastEnd = time + step;
    if (!emit)
        return;
    const float end = time + step;
    for (sLayer& layer : m_layers)
    {
        const sLayerDesc& d = *layer.desc;
        uint32_t count = 0;
        if (!layer.burstDone && end >= d.delay)
        {
            layer.burstDone = true;
            count += d.burst;
        }
        // The part of this step inside the layer's emitting time.
        const float from = std::max(time, d.delay);
        const float to = d.emitTime > 0.0f ? std::min(end, d.delay + d.emitTime) : end;
        if (to > from && d.rate > 0.0f)
        {
            // Never more owed than the layer can hold, so a huge step cannot overflow the count.
            layer.owed =
                std::min(layer.owed + d.rate * (to - from), static_cast<float>(d.maxParticles) + 1.0f);
            const float whole = std::floor(layer.owed);
            layer.owed -= whole;
            count += static_cast<uint32_t>(whole);
        }
        spawn(layer, count, x, y);
    }
}

void CPyroEmitter::spawn(sLayer& layer, uint32_t count, float x, float y)
{
    const sLayerDesc& d = *layer.desc;
    const size_t room = d.maxParticles - std::min<size_t>(d.maxParticles, layer.particles.size());
    count = static_cast<uint32_t>(std::min<size_t>(count, room));
    for (uint32_t i = 0; i < count; ++i)
    {
        // The draws come in a fixed order, so a seed gives the same particles on every run.
        sParticle p;
        p.x = x + m_random.around(d.areaX);
        p.y = y + m_random.around(d.areaY);
        float dx = 0.0f;
        float dy = 0.0f;
        direction(d.angle + m_random.around(d.spread * 0.5f), dx, dy);
        const float speed = d.speed + m_random.around(d.speedVar);
        p.vx = dx * speed;
        p.vy = dy * speed;
        p.age = 0.0f;
        p.life = std::max(0.001f, d.life + m_random.around(d.lifeVar));
        const float size = std::max(0.0f, 1.0f + m_random.around(d.sizeVar));
        p.sizeStart = d.sizeStart * size;
        p.sizeEnd = d.sizeEnd * size;
        p.angle = d.rotation + m_random.around(d.rotationVar);
        p.spin = d.spin + m_random.around(d.spinVar);
        layer.particles.push_back(p);
    }
}

void CPyroEmitter::setScale(float scale)
{
    m_scale = scale;
}

void CPyroEmitter::setPosition(float x, float y, float z)
{
    m_x = x;
    m_y = y;
    m_z = z;
}

void CPyroEmitter::draw()
{
    IPyroGraphicsDevice* device = m_effect.getLibrary().getDevice();
    if (!device)
        throw CPyroException("Emitter \"" + m_desc.name + "\" of effect file \"" + m_effect.getFileName() +
                             "\": no graphics device to draw on");
    bool any = false;
    for (const sLayer& layer : m_layers)
        any = any || !layer.particles.empty();
    if (!any)
        return;
    m_effect.prepare();
    device->beginDraw(0);
    for (sLayer& layer : m_layers)
    {
        if (!layer.particles.empty())
            drawLayer(layer);
    }
    device->endDraw();
}

bool CPyroEmitter::getBounds(float bounds[4]) const
{
    bool any = false;
    for (const sLayer& layer : m_layers)
        for (const sParticle& p : layer.particles)
        {
            // As `writeVertices` places the corners; a turned square reaches at most its half
            // diagonal from its centre.
            const float t = std::min(1.0f, p.age / p.life);
            const float half = std::fabs(0.5f * m_scale * (p.sizeStart + (p.sizeEnd - p.sizeStart) * t));
            const float reach = half * 1.41422f;
            const float cx = m_x + m_scale * p.x;
            const float cy = m_y + m_scale * p.y;
            const float box[4] = {cx - reach, cy - reach, cx + reach, cy + reach};
            if (!any)
                std::copy(box, box + 4, bounds);
            else
            {
                bounds[0] = std::min(bounds[0], box[0]);
                bounds[1] = std::min(bounds[1], box[1]);
                bounds[2] = std::max(bounds[2], box[2]);
                bounds[3] = std::max(bounds[3], box[3]);
            }
            any = true;
        }
    return any;
}

void CPyroEmitter::drawLayer(sLayer& layer)
{
    IPyroGraphicsDevice& device = *m_effect.getLibrary().getDevice();
    const sLayerDesc& d = *layer.desc;
    auto check = [this](int32_t result, const char* what)
    {
        if (pyroFailed(result))
            throw PyroGraphics::CPyroGraphicsException(std::string(what) + " for emitter \"" + m_desc.name +
                                                           "\" of effect file \"" + m_effect.getFileName() +
                                                           "\"",
                                                       result);
    };
    if (!layer.buffer)
    {
        IPyroVertexBuffer* buffer = nullptr;
        check(device.createVertexBuffer(&buffer, d.maxParticles * 4, sizeof(sPyroVertex), kPyroQuadFormat, 0),
              "Can't create vertex buffer");
        if (!buffer)
            check(-1, "Can't create vertex buffer");
        layer.buffer.reset(buffer);
    }
    writeVertices(layer);
    const uint32_t quads = static_cast<uint32_t>(layer.particles.size());
    check(layer.buffer->write(m_vertices.data(), 0, quads * 4 * sizeof(sPyroVertex), 0),
          "Can't write vertices");
    check(device.setRenderState(PyroAlphaBlendEnable, 1), "Can't enable blending");
    check(device.setBlendFunc(PyroBlendSrcAlpha,
                              d.blend == eBlendMode::Add ? PyroBlendOne : PyroBlendInvSrcAlpha),
          "Can't set blending");
    check(device.setTexture(0, m_effect.getTexture(d.texture)), "Can't set texture");
    const uint32_t chunk = std::max<uint32_t>(1, m_effect.getLibrary().getQuadCount());
    for (uint32_t first = 0; first < quads; first += chunk)
        check(device.drawQuads(layer.buffer.get(), first, std::min(chunk, quads - first), 0), "Can't draw");
}

void CPyroEmitter::writeVertices(const sLayer& layer)
{
    const sLayerDesc& d = *layer.desc;
    const sTextureDesc& texture = m_effect.getTextureDesc(d.texture);
    const float cellU = 1.0f / static_cast<float>(texture.columns);
    const float cellV = 1.0f / static_cast<float>(texture.rows);
    m_vertices.resize(layer.particles.size() * 4);
    sPyroVertex* v = m_vertices.data();
    for (const sParticle& p : layer.particles)
    {
        const float t = std::min(1.0f, p.age / p.life);
        const uint32_t color = mixColor(d.colorStart, d.colorEnd, t);
        const float half = 0.5f * m_scale * (p.sizeStart + (p.sizeEnd - p.sizeStart) * t);
        const float cx = m_x + m_scale * p.x;
        const float cy = m_y + m_scale * p.y;
        const uint32_t step =
            std::min(d.frameCount - 1, static_cast<uint32_t>(t * static_cast<float>(d.frameCount)));
        const uint32_t cell = d.frame + step;
        const float u0 = static_cast<float>(cell % texture.columns) * cellU;
        const float v0 = static_cast<float>(cell / texture.columns) * cellV;
        // Corners top left, top right, bottom right, bottom left, turned by the particle's angle.
        float c = 1.0f;
        float s = 0.0f;
        if (p.angle != 0.0f)
        {
            c = std::cos(p.angle * kDegrees);
            s = std::sin(p.angle * kDegrees);
        }
        const float corners[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
        const float uv[4][2] = {{u0, v0}, {u0 + cellU, v0}, {u0 + cellU, v0 + cellV}, {u0, v0 + cellV}};
        for (int k = 0; k < 4; ++k)
        {
            v->x = cx + corners[k][0] * c - corners[k][1] * s;
            v->y = cy + corners[k][0] * s + corners[k][1] * c;
            v->z = m_z;
            v->color = color;
            v->u = uv[k][0];
            v->v = uv[k][1];
            ++v;
        }
    }
}

void CPyroEmitter::setSeed(uint32_t seed)
{
    m_random.setSeed(seed);
}

void CPyroEmitter::restartEmission()
{
    for (sLayer& layer : m_layers)
    {
        layer.owed = 0.0f;
        layer.burstDone = false;
    }
}

void CPyroEmitter::reset()
{
    for (sLayer& layer : m_layers)
        layer.particles.clear();
    restartEmission();
    m_lastTime = -1.0f;
    m_lastEnd = 0.0f;
}

uint32_t CPyroEmitter::getParticleCount() const
{
    size_t count = 0;
    for (const sLayer& layer : m_layers)
        count += layer.particles.size();
    return static_cast<uint32_t>(count);
}

bool CPyroEmitter::isPlaying() const
{
    for (const sLayer& layer : m_layers)
    {
        const sLayerDesc& d = *layer.desc;
        if (!layer.particles.empty())
            return true;
        if (!layer.burstDone && d.burst > 0)
            return true;
        if (d.rate > 0.0f && (d.emitTime <= 0.0f || m_lastEnd < d.delay + d.emitTime))
            return true;
    }
    return false;
}

void CPyroEmitter::releaseDeviceObjects()
{
    for (sLayer& layer : m_layers)
        layer.buffer.reset();
}

} // namespace PyroParticles
