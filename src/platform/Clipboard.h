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
// Replaces the clipboard's content with the text as CF_TEXT and, converted
// from UTF-8, as CF_UNICODETEXT: the system would make the Unicode form from
// CF_TEXT by the user's code page, not the program's UTF-8. True once
// CF_TEXT is set, even when the Unicode form could not be added.
bool SetText(const std::string& text);

}  // namespace platform::clipboard
