// Wildcard masks: compiling and matching.
#include "formats/Masks.h"

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

MaskError::MaskError(const std::string& mask, int position)
    : std::runtime_error(InvalidMaskMessage(mask, position)), position_(position) {}

Mask::Mask(const std::string& mask) { Compile(mask); }

void Mask::Emit(State state, bool& pendingSkip, int& skips, const std::string& mask, int errorPosition) {
    state.skip = pendingSkip;
    if (pendingSkip && ++skips > kMaxSkips) throw MaskError(mask, errorPosition);
    pendingSkip = false;
    states_.push_back(std::move(state));
}

// Reads "[...]" from the "[" at open; returns the index after its "]".
size_t Mask::ReadSet(const std::string& mask, size_t open, State& state) const {
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
            if (!anyElement) throw MaskError(mask, static_cast<int>(i) + 1);
            return i + 1;
        }
        if (c == '-') {
            if (!haveLast) throw MaskError(mask, static_cast<int>(i) + 1);
            if (i + 1 >= mask.size()) throw MaskError(mask, end);
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
    throw MaskError(mask, end);
}

void Mask::Compile(const std::string& mask) {
    states_.reserve(mask.size() + 1);
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
            state.byteCount = static_cast<unsigned char>(length);
            mask.copy(state.bytes, length, i);
        } else {
            state.literal = UpperAscii(c);
        }
        Emit(std::move(state), pendingSkip, skips, mask, static_cast<int>(i) + 1);
        i += length;
    }
    State endOfText;  // the literal NUL
    Emit(std::move(endOfText), pendingSkip, skips, mask, static_cast<int>(mask.size()) + 1);
}

size_t Mask::Test(const State& state, const std::string& text, size_t position) const {
    if (position >= text.size()) return 0;
    const unsigned char first = static_cast<unsigned char>(text[position]);
    switch (state.kind) {
    case Kind::Literal:
        if (UpperAscii(first) != state.literal) return 0;
        return first < 0x80 || CharacterLength(text, position) == 1 ? 1 : 0;
    case Kind::AnyChar:
        return CharacterLength(text, position);
    case Kind::Set: {
        const size_t length = CharacterLength(text, position);
        const bool inSet = length == 1 && state.set->test(UpperAscii(first));
        return inSet != state.negate ? length : 0;
    }
    case Kind::MultiByteLiteral:
        return text.compare(position, state.byteCount, state.bytes, state.byteCount) == 0 ? state.byteCount : 0;
    }
    return 0;
}

size_t Mask::Find(const State& state, const std::string& text, size_t position) const {
    if (state.kind == Kind::Literal && state.literal < 0x80) {
        // An ASCII byte is always a character of its own, so bytes can be
        // compared without stepping over characters.
        for (; position < text.size(); ++position)
            if (UpperAscii(static_cast<unsigned char>(text[position])) == state.literal) return position;
        return position;
    }
    if (state.kind == Kind::Set) {
        while (position < text.size()) {
            const unsigned char byte = static_cast<unsigned char>(text[position]);
            if (byte >= 0x80) {
                if (Test(state, text, position)) return position;
                position += CharacterLength(text, position);
            } else {
                if (state.set->test(UpperAscii(byte)) != state.negate) return position;
                ++position;
            }
        }
        return position;
    }
    while (position < text.size() && !Test(state, text, position)) position += CharacterLength(text, position);
    return position;
}

// Every state but the end of the text takes exactly one character, so only
// the most recent "*" ever needs another try: whatever the states after it
// accept from one position, they accept from any earlier one as well, since
// that "*" can take the difference. Each retry moves its restart one
// character on, so the work is bounded by the text's length times the
// number of states, however many stars the mask has.
bool Mask::Fits(const std::string& text) const {
    constexpr size_t kNoRetry = static_cast<size_t>(-1);
    size_t position = 0, index = 0;
    size_t retryIndex = kNoRetry, retryPosition = 0;
    for (;;) {
        const State& state = states_[index];
        if (IsEndOfText(state)) {
            // A NUL in the mask is the end of the text too, and ends the matching there.
            if (state.skip || position == text.size()) return true;
        } else {
            if (state.skip) {
                // Restarts where this state fails would fail at once: skip them.
                position = Find(state, text, position);
                retryIndex = index;
                retryPosition = position;
            }
            if (const size_t matched = Test(state, text, position)) {
                position += matched;
                ++index;
                continue;
            }
        }
        if (retryIndex == kNoRetry || retryPosition >= text.size()) return false;
        retryPosition += CharacterLength(text, retryPosition);
        position = retryPosition;
        index = retryIndex;
    }
}

bool TextFitsMask(const std::string& text, const std::string& mask) { return Mask(mask).Fits(text); }
