// The help page as readable text: the platform offers no HTML engine under
// Wine, so the help file is shown in a read-only text control.
#pragma once

#include <string>

namespace shell {

// Turns simple HTML into text with CR LF line breaks: headings stand on
// their own lines, paragraphs and list items are separated, entities are
// decoded, scripts and styles are dropped.
std::string HtmlToPlainText(const std::string& html);

}  // namespace shell
