// The system's XML document object (MSXML's DOM document through COM), used
// to parse a file the way any other reader of it will.
#pragma once

#include <string>
#include <vector>

namespace platform::xml {

struct LeafText {
    std::string tag;
    std::string text;  // UTF-8, white space as the file gives it
};

// Parses the bytes (in the encoding their declaration names) with white space
// kept and lists every element without child elements, in document order,
// with its text. False with the parser's reason in error. A text declaring a
// document type is refused before parsing: Wine's parser ignores the switch
// that forbids one, and a document type can define entities that grow
// without bound or reach outside the file. COM is initialised for the call
// when the thread has not done so.
bool ParseLeafTexts(const std::string& bytes, std::vector<LeafText>& leaves, std::string& error);

}  // namespace platform::xml
