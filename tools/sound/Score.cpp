#include "tools/sound/Score.h"

#include "engine/devices/cTextDescription.h"
#include "tools/sound/Synth.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>

namespace SoundGen
{

namespace
{

struct Event
{
    double beat = 0.0;
    double beats = 0.0;
    std::vector<double> pitches; // empty: a drum hit
    double velocity = 0.75;
};

struct Instrument
{
    VoiceSpec voice;
    double pan = 0.0;
    double send = 1.0;
    double legato = 0.9;
    double drum = 0.0; // hertz of a drum; 0 for a pitched voice
    std::vector<Event> events;
    double beats = 0.0;    // length of the part so far
    double barStart = 0.0; // where the current bar began
};

// The description reader takes every "#" for the start of a comment; in a score only a "#"
// that begins a word does, and one inside a word is a sharp, which is handed on as "s".
std::string sharpsKept(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    bool comment = false;
    for (size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == '\n')
            comment = false;
        else if (c == '#' && !comment && i > 0 && !std::isspace(static_cast<unsigned char>(text[i - 1])))
        {
            out += 's';
            continue;
        }
        else if (c == '#')
            comment = true;
        out += c;
    }
    return out;
}

double pitchOf(const std::string& name)
{
    static const int kSteps[] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
    if (name.size() < 2 || name[0] < 'a' || name[0] > 'g')
        return -1.0;
    int semitone = kSteps[name[0] - 'a'];
    size_t at = 1;
    if (name[at] == 's' || (name[at] == 'b' && at + 1 < name.size()))
        semitone += name[at++] == 's' ? 1 : -1;
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '8')
        return -1.0;
    const int midi = 12 * (name[at] - '0' + 1) + semitone;
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

double lengthOf(const std::string& text)
{
    static const std::map<char, double> kLetters = {{'w', 4.0}, {'h', 2.0},  {'q', 1.0},
                                                    {'e', 0.5}, {'s', 0.25}, {'t', 0.125}};
    if (text.empty())
        return -1.0;
    const auto letter = kLetters.find(text[0]);
    if (letter == kLetters.end())
    {
        char* end = nullptr;
        const double beats = std::strtod(text.c_str(), &end);
        return *end == '\0' && beats > 0.0 && beats <= 64.0 ? beats : -1.0;
    }
    double beats = letter->second;
    double dot = beats / 2.0;
    size_t at = 1;
    for (; at < text.size() && text[at] == '.'; ++at, dot /= 2.0)
        beats += dot;
    if (at < text.size() && text[at] == '3')
    {
        beats *= 2.0 / 3.0;
        ++at;
    }
    return at == text.size() ? beats : -1.0;
}

class ScoreReader
{
public:
    explicit ScoreReader(const std::string& text) : m_description(sharpsKept(text)) {}

    Sound read();

private:
    void readInstrument();
    void readNotes(Instrument& part, const std::string& token, int depth);
    void readNote(Instrument& part, const std::string& token);
    Sound render();

    Engine::cTextDescription m_description;
    Sound m_sound;
    double m_tempo = 100.0;
    double m_meter = 4.0;
    double m_bars = 0.0;
    Room m_room;
    std::map<std::string, Instrument> m_instruments;
    std::vector<std::string> m_order; // instruments in the order they were made
    std::map<std::string, std::vector<std::string>> m_phrases;
};

void ScoreReader::readInstrument()
{
    const std::string name = m_description.readWord();
    if (name.empty() || m_instruments.count(name))
        m_description.fail("an instrument needs a name of its own");
    Instrument part;
    std::string word;
    while (m_description.words() >> word)
    {
        if (word == "pan")
            part.pan = readNumber(m_description, "the pan", -1, 1);
        else if (word == "send")
            part.send = readNumber(m_description, "the reverb send", 0, 1);
        else if (word == "legato")
            part.legato = readNumber(m_description, "the legato", 0.05, 1);
        else if (word == "drum")
            part.drum = readNumber(m_description, "the drum's pitch", 1, 20000);
        else if (!readVoiceWord(m_description, word, part.voice))
            m_description.fail("unknown word \"" + word + "\"");
    }
    m_instruments[name] = part;
    m_order.push_back(name);
}

void ScoreReader::readNotes(Instrument& part, const std::string& token, int depth)
{
    if (token == "|")
    {
        const double bar = part.beats - part.barStart;
        if (std::fabs(bar - m_meter) > 1e-6)
        {
            std::ostringstream reason;
            reason << "a bar of " << bar << " beats where the meter has " << m_meter;
            m_description.fail(reason.str());
        }
        part.barStart = part.beats;
        return;
    }
    if (token.find(':') != std::string::npos)
    {
        readNote(part, token);
        return;
    }
    std::string name = token;
    int count = 1;
    const size_t star = token.find('*');
    if (star != std::string::npos)
    {
        name = token.substr(0, star);
        count = std::atoi(token.c_str() + star + 1);
        if (count < 1 || count > 64)
            m_description.fail("\"" + token + "\" repeats a phrase 1 to 64 times");
    }
    const auto phrase = m_phrases.find(name);
    if (phrase == m_phrases.end())
        m_description.fail("\"" + token + "\" is neither a note nor a phrase");
    if (depth > 8)
        m_description.fail("phrases nest too deep at \"" + name + "\"");
    for (int i = 0; i < count; ++i)
        for (const std::string& inner : phrase->second)
            readNotes(part, inner, depth + 1);
}

void ScoreReader::readNote(Instrument& part, const std::string& token)
{
    const size_t colon = token.find(':');
    std::string length = token.substr(colon + 1);
    Event event;
    if (!length.empty() && (length.back() == '^' || length.back() == '_'))
    {
        event.velocity = length.back() == '^' ? 1.0 : 0.5;
        length.pop_back();
    }
    event.beat = part.beats;
    event.beats = lengthOf(length);
    if (event.beats <= 0.0)
        m_description.fail("\"" + token + "\" has no length (w h q e s t, dots, 3, or beats)");
    part.beats += event.beats;
    const std::string pitches = token.substr(0, colon);
    if (pitches == "r")
        return;
    if (pitches == "x")
    {
        if (part.drum <= 0.0)
            m_description.fail("\"" + token + "\": only a drum is hit with x");
        part.events.push_back(event);
        return;
    }
    std::istringstream chord(pitches);
    std::string name;
    while (std::getline(chord, name, '+'))
    {
        const double pitch = pitchOf(name);
        if (pitch <= 0.0)
            m_description.fail("\"" + name + "\" is no pitch (c4, f#3, bb2; a sharp reads as s)");
        event.pitches.push_back(pitch);
    }
    part.events.push_back(event);
}

Sound ScoreReader::read()
{
    m_sound.channels = 2;
    m_sound.loop = true;
    std::string word;
    std::istringstream& words = m_description.words();
    while (m_description.next(word))
    {
        if (word == "tempo")
            m_tempo = readNumber(m_description, "the tempo", 20, 400);
        else if (word == "meter")
            m_meter = readNumber(m_description, "the meter", 1, 16);
        else if (word == "bars")
            m_bars = readNumber(m_description, "the number of bars", 1, 512);
        else if (word == "loop")
        {
            const std::string answer = m_description.readWord();
            if (answer != "yes" && answer != "no")
                m_description.fail("loop is yes or no");
            m_sound.loop = answer == "yes";
        }
        else if (readSoundWord(m_description, word, m_sound, m_room))
            continue;
        else if (word == "instrument")
            readInstrument();
        else if (word == "define")
        {
            const std::string name = m_description.readWord();
            if (name.empty() || name.find(':') != std::string::npos || m_phrases.count(name))
                m_description.fail("a phrase needs a name of its own");
            std::vector<std::string>& tokens = m_phrases[name];
            while (words >> word)
                tokens.push_back(word);
        }
        else if (word == "play")
        {
            const auto found = m_instruments.find(m_description.readWord());
            if (found == m_instruments.end())
                m_description.fail("play names no instrument made before");
            while (words >> word)
                readNotes(found->second, word, 0);
        }
        else
            m_description.fail("unknown statement \"" + word + "\"");
    }
    if (m_bars <= 0.0 || m_instruments.empty())
        m_description.fail("a score needs its bars and at least one instrument");
    for (const auto& [name, part] : m_instruments)
        if (std::fabs(part.beats - m_bars * m_meter) > 1e-6)
        {
            std::ostringstream reason;
            reason << "the part of " << name << " lasts " << part.beats << " beats, the piece "
                   << m_bars * m_meter;
            m_description.fail(reason.str());
        }
    return render();
}

Sound ScoreReader::render()
{
    const double secondsPerBeat = 60.0 / m_tempo;
    const int rate = m_sound.rate;
    const size_t length = static_cast<size_t>(std::lround(m_bars * m_meter * secondsPerBeat * rate));
    size_t frames = length;
    std::vector<double>& out = m_sound.samples;
    std::vector<double> send(frames, 0.0);
    out.assign(frames * 2, 0.0);
    uint32_t start = 1;
    for (const std::string& name : m_order)
    {
        const Instrument& part = m_instruments[name];
        Noise noise(0x9E3779B9u * start++);
        Noise humanity(0x85EBCA6Bu * start);
        const double angle = (part.pan + 1.0) * M_PI / 4.0;
        const double gains[2] = {std::cos(angle) * M_SQRT2, std::sin(angle) * M_SQRT2};
        for (const Event& event : part.events)
        {
            const std::vector<double> pitches =
                part.drum > 0.0 ? std::vector<double>{part.drum} : event.pitches;
            const size_t at = static_cast<size_t>(std::lround(event.beat * secondsPerBeat * rate));
            for (double pitch : pitches)
            {
                Note note;
                note.held = event.beats * secondsPerBeat * part.legato;
                note.pitch = note.pitchTo = pitch;
                // A player never strikes two notes alike: a few per cent either way.
                note.amplitude = event.velocity * (1.0 + 0.06 * humanity.next()) /
                                 std::sqrt(static_cast<double>(pitches.size()));
                const std::vector<double> sound = renderNote(part.voice, note, rate, noise);
                if (!m_sound.loop && at + sound.size() > frames)
                {
                    frames = at + sound.size();
                    out.resize(frames * 2, 0.0);
                    send.resize(frames, 0.0);
                }
                for (size_t i = 0; i < sound.size(); ++i)
                {
                    const size_t f = (at + i) % frames;
                    out[f * 2] += sound[i] * gains[0];
                    out[f * 2 + 1] += sound[i] * gains[1];
                    send[f] += sound[i] * part.send;
                }
            }
        }
    }
    if (!m_sound.loop)
    {
        frames += static_cast<size_t>(m_room.seconds * rate);
        out.resize(frames * 2, 0.0);
    }
    addReverb(m_sound, send, m_room.wet, m_room.seconds);
    if (!m_sound.loop)
        trimTail(m_sound);
    return m_sound;
}

} // namespace

Sound renderScore(const std::string& text)
{
    return ScoreReader(text).read();
}

} // namespace SoundGen
