// Wildcard masks: compiling and matching.
#include "common/Masks.h"

namespace {

unsigned char UpperAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

std::string InvalidMaskMessage(const std::string& mask, int position) {
    return "'" + mask + "' is an invalid mask at (" + std::to_string(position) + ")";
}

}  // namespace

size_t CharacterLength(const std::string& text, size_t position) {
    if (position >= text.size()) return 0;
    const unsigned char lead = static_cast<unsigned char>(text[position]);
    size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 1;
    if (lead >= 0xF5) length = 1;
    if (position + length > text.size()) return 1;
    for (size_t i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[position + i]) & 0xC0) != 0x80) return 1;
    return length;
}

EMaskException::EMaskException(const std::string& mask, int position)
    : std::runtime_error(InvalidMaskMessage(mask, position)), position_(position) {}

TMask::TMask(const std::string& mask) { Compile(mask); }

void TMask::Emit(State state, bool& pendingSkip, int& skips, const std::string& mask, int errorPosition) {
    state.skip = pendingSkip;
    if (pendingSkip && ++skips > kMaxSkips) throw EMaskException(mask, errorPosition);
    pendingSkip = false;
    states_.push_back(std::move(state));
}

// Reads "[...]" from the "[" at open; returns the index after its "]".
size_t TMask::ReadSet(const std::string& mask, size_t open, State& state) const {
    const int end = static_cast<int>(mask.size()) + 1;
    state.kind = Kind::Set;
    state.set = std::make_unique<std::bitset<256>>();
    size_t i = open + 1;
    if (i < mask.size() && mask[i] == '!') {
        state.negate = true;
        ++i;
    }
    bool anyElement = false, haveLast = false;
    unsigned char last = 0;
    while (i < mask.size()) {
        const unsigned char c = static_cast<unsigned char>(mask[i]);
        if (c == ']') {
            if (!anyElement) throw EMaskException(mask, static_cast<int>(i) + 1);
            return i + 1;
        }
        if (c == '-') {
            if (!haveLast) throw EMaskException(mask, static_cast<int>(i) + 1);
            if (i + 1 >= mask.size()) throw EMaskException(mask, end);
            const unsigned char high = UpperAscii(static_cast<unsigned char>(mask[i + 1]));
            for (unsigned value = last; value <= high; ++value) state.set->set(value);
            anyElement = true;
            i += 1 + CharacterLength(mask, i + 1);
            continue;
        }
        const size_t length = CharacterLength(mask, i);
        if (length == 1) {
            last = UpperAscii(c);
            haveLast = true;
            state.set->set(last);
        }
        anyElement = true;  // a multi-byte character counts but adds nothing
        i += length;
    }
    throw EMaskException(mask, end);
}

void TMask::Compile(const std::string& mask) {
    bool pendingSkip = false;
    int skips = 0;
    size_t i = 0;
    while (i < mask.size()) {
        const unsigned char c = static_cast<unsigned char>(mask[i]);
        State state;
        if (c == '*') {
            pendingSkip = true;
            ++i;
            continue;
        }
        if (c == '?') {
            if (!pendingSkip) {
                state.kind = Kind::AnyChar;
                Emit(std::move(state), pendingSkip, skips, mask, static_cast<int>(i) + 1);
            }
            ++i;
            continue;
        }
        if (c == '[') {
            const size_t next = ReadSet(mask, i, state);
            Emit(std::move(state), pendingSkip, skips, mask, static_cast<int>(next));
            i = next;
            continue;
        }
        const size_t length = CharacterLength(mask, i);
        if (length > 1) {
            state.kind = Kind::MultiByteLiteral;
            state.bytes = mask.substr(i, length);
        } else {
            state.literal = UpperAscii(c);
        }
        Emit(std::move(state), pendingSkip, skips, mask, static_cast<int>(i) + 1);
        i += length;
    }
    State endOfText;  // the literal NUL
    Emit(std::move(endOfText), pendingSkip, skips, mask, static_cast<int>(mask.size()) + 1);
}

size_t TMask::Test(const State& state, const std::string& text, size_t position) const {
    const size_t length = CharacterLength(text, position);
    switch (state.kind) {
    case Kind::Literal:
        if (state.literal == 0) return position == text.size() ? 1 : 0;  // "1": passed, nothing consumed
        return length == 1 && UpperAscii(static_cast<unsigned char>(text[position])) == state.literal ? 1 : 0;
    case Kind::AnyChar:
        return length;
    case Kind::Set: {
        if (length == 0) return 0;
        const bool inSet = length == 1 && state.set->test(UpperAscii(static_cast<unsigned char>(text[position])));
        return inSet != state.negate ? length : 0;
    }
    case Kind::MultiByteLiteral:
        return text.compare(position, state.bytes.size(), state.bytes) == 0 ? state.bytes.size() : 0;
    }
    return 0;
}

bool TMask::Fits(const std::string& text) const {
    struct RetryPoint {
        size_t position;
        size_t state;
    };
    RetryPoint stack[kMaxSkips + 1];
    size_t depth = 0;
    size_t position = 0, index = 0;
    for (;;) {
        const State& state = states_[index];
        if (state.skip) {
            while (position < text.size() && !Test(state, text, position))
                position += CharacterLength(text, position);
            if (position < text.size())
                stack[depth++] = {position + CharacterLength(text, position), index};
        }
        const size_t matched = Test(state, text, position);
        if (matched) {
            if (state.kind == Kind::Literal && state.literal == 0) return true;  // the end of the text
            position += matched;
            ++index;
            continue;
        }
        if (depth == 0) return false;
        --depth;
        position = stack[depth].position;
        index = stack[depth].state;
    }
}

bool TextFitsMask(const std::string& text, const std::string& mask) { return TMask(mask).Fits(text); }
