// Wildcard masks: "*" any run, "?" one character, "[...]" a set (with "!"
// negation and "a-z" ranges), other characters literal with ASCII letters
// taken without case. A mask always spans the whole text. Pure text logic.
//
// Texts are UTF-8: a multi-byte character is one character to "?" and to
// sets (which can hold single-byte characters only; a multi-byte character
// written in a set adds nothing, and a negated set matches any multi-byte
// character), and a multi-byte character in the mask matches itself exactly.
// A NUL in the mask stands for the end of the text: matching stops there.
//
// Matching takes time linear in the text (times the number of states), so
// a mask with many stars cannot stall a listing.
#pragma once

#include <bitset>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// Raised for a malformed mask: "'<mask>' is an invalid mask at (<position>)",
// the position 1-based (the mask's length + 1 when its end was reached).
class MaskError : public std::runtime_error {
public:
    MaskError(const std::string& mask, int position);
    int Position() const { return position_; }

private:
    int position_;
};

class Mask {
public:
    static constexpr int kMaxSkips = 30;

    // Compiles the mask; throws MaskError when it is malformed.
    explicit Mask(const std::string& mask);

    // True when the whole text matches.
    bool Fits(const std::string& text) const;

    size_t Size() const { return states_.size(); }

private:
    enum class Kind { Literal, AnyChar, Set, MultiByteLiteral };
    struct State {
        bool skip = false;
        Kind kind = Kind::Literal;
        unsigned char literal = 0;  // upper-cased; NUL is the end of the text
        bool negate = false;
        unsigned char byteCount = 0;  // a multi-byte literal: its bytes, kept
        char bytes[4] = {};           // inline so that compiling stays cheap
        std::unique_ptr<std::bitset<256>> set;
    };

    void Compile(const std::string& mask);
    size_t ReadSet(const std::string& mask, size_t open, State& state) const;
    void Emit(State state, bool& pendingSkip, int& skips, const std::string& mask, int errorPosition);
    // Length of the character the state matches at position, or 0 when it
    // fails (always at the end of the text).
    size_t Test(const State& state, const std::string& text, size_t position) const;
    // The first position from position on where the state passes, or the end.
    size_t Find(const State& state, const std::string& text, size_t position) const;
    static bool IsEndOfText(const State& state) { return state.kind == Kind::Literal && state.literal == 0; }

    std::vector<State> states_;
};

// Compiles the mask and tests the text once.
bool TextFitsMask(const std::string& text, const std::string& mask);

// Bytes of the UTF-8 character starting at position (1 for a malformed or
// single-byte one, 0 at the end).
size_t CharacterLength(const std::string& text, size_t position);
