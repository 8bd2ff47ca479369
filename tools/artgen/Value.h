#pragma once

#include <map>
#include <string>
#include <vector>

namespace ArtGen
{

// What a variable or an expression holds: a number, or a word (a colour name, a look such as
// "damaged", a path piece).
struct Value
{
    bool isWord = false;
    double number = 0.0;
    std::string word;

    static Value of(double number);
    static Value ofWord(const std::string& word);

    // The number; a word throws "\"<word>\" is not a number".
    double asNumber() const;
    // Numbers are written without a fraction when they are whole ("3", "2.5").
    std::string text() const;
    bool operator==(const Value& other) const;
};

// The variables seen by a statement. Every sheet and every part call opens a frame; a name is
// looked up from the innermost frame outwards, so a part sees the frame number and the look of
// the sheet that draws it without being handed them.
class Variables
{
public:
    Variables();

    void push();
    void pop();
    // Sets the name in the innermost frame.
    void set(const std::string& name, const Value& value);
    // Null when no frame holds the name.
    const Value* find(const std::string& name) const;
    // The number of the name; throws "<name> is not set" when missing.
    double number(const std::string& name) const;

private:
    std::vector<std::map<std::string, Value>> m_frames;
};

} // namespace ArtGen
