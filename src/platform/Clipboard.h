// The clipboard's text: read, emptied and (for seeding) written.
#pragma once

#include <string>

namespace platform::clipboard {

// True when the clipboard offers CF_TEXT.
bool HasText();
// The CF_TEXT data up to its first NUL; empty when the clipboard cannot be
// opened or holds no text.
std::string ReadText();
// Empties every format; false when the clipboard could not be opened.
bool Empty();
// Replaces the clipboard's content with the text as CF_TEXT.
bool SetText(const std::string& text);

}  // namespace platform::clipboard
