// The help page as readable text: the platform offers no HTML engine under
// Wine, so the help file is turned into rich text (headings, emphasis, lists)
// for a rich edit control, or into plain text.
#pragma once

#include <string>

namespace formats {

// Turns simple HTML into text with CR LF line breaks: headings stand on
// their own lines, paragraphs and list items are separated, entities are
// decoded, scripts and styles are dropped.
std::string HtmlToPlainText(const std::string& html);

// The same reading as rich text (RTF, plain ASCII): headings larger and bold,
// <b>/<strong> bold, <i>/<em> italic, list items with a bullet and a hanging
// indent, table cells at a tab stop. Text is written in the font face at the
// size given (in points); characters outside ASCII as Unicode escapes.
std::string HtmlToRtf(const std::string& html, const std::string& fontFace, int points);

}  // namespace formats
