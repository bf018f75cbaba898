// The help page as readable text.
#include "formats/HelpText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace formats {

namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string TagName(const std::string& tag) {
    size_t start = (!tag.empty() && tag[0] == '/') ? 1 : 0;
    size_t end = start;
    while (end < tag.size() && std::isalnum(static_cast<unsigned char>(tag[end]))) ++end;
    return LowerAscii(tag.substr(start, end - start));
}

// A character reference as UTF-8; NUL, surrogates and numbers past Unicode
// as '?'.
std::string Utf8OfCodePoint(unsigned long code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return "?";
    if (code < 0x80) return std::string(1, static_cast<char>(code));
    std::string bytes;
    if (code < 0x800) {
        bytes += static_cast<char>(0xC0 | (code >> 6));
    } else if (code < 0x10000) {
        bytes += static_cast<char>(0xE0 | (code >> 12));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (code >> 18));
        bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    bytes += static_cast<char>(0x80 | (code & 0x3F));
    return bytes;
}

std::string Entity(const std::string& name) {
    if (name == "amp") return "&";
    if (name == "lt") return "<";
    if (name == "gt") return ">";
    if (name == "quot") return "\"";
    if (name == "apos") return "'";
    if (name == "nbsp") return " ";
    if (name == "copy") return "\xC2\xA9";
    if (!name.empty() && name[0] == '#') {
        unsigned long code = name.size() > 1 && (name[1] == 'x' || name[1] == 'X')
                                 ? std::stoul(name.substr(2), nullptr, 16)
                                 : std::stoul(name.substr(1));
        return Utf8OfCodePoint(code);
    }
    return "&" + name + ";";
}

bool IsHeading(const std::string& name) {
    return name.size() == 2 && name[0] == 'h' && std::isdigit(static_cast<unsigned char>(name[1]));
}

// What the reading of the HTML tells its writer: tags (scripts, styles and
// the title already dropped), characters of text and decoded entities.
class HtmlSink {
public:
    virtual void Tag(const std::string& name, bool closing) = 0;
    virtual void Text(char c) = 0;
    virtual void Word(const std::string& text) = 0;

protected:
    ~HtmlSink() = default;
};

void ReadHtml(const std::string& html, HtmlSink& sink) {
    std::string skipUntil;  // inside <script>/<style>/<head><title>
    for (size_t i = 0; i < html.size();) {
        if (html[i] == '<') {
            size_t close = html.find('>', i);
            if (close == std::string::npos) break;
            const std::string tag = html.substr(i + 1, close - i - 1);
            const std::string name = TagName(tag);
            const bool closing = !tag.empty() && tag[0] == '/';
            i = close + 1;
            if (!skipUntil.empty()) {
                if (closing && name == skipUntil) skipUntil.clear();
                continue;
            }
            if (!closing && (name == "script" || name == "style" || name == "title"))
                skipUntil = name;
            else
                sink.Tag(name, closing);
            continue;
        }
        if (!skipUntil.empty()) {
            ++i;
            continue;
        }
        if (html[i] == '&') {
            size_t semicolon = html.find(';', i);
            if (semicolon != std::string::npos && semicolon - i <= 10) {
                std::string decoded;
                try {
                    decoded = Entity(html.substr(i + 1, semicolon - i - 1));
                } catch (const std::exception&) {
                    decoded.assign(1, '?');
                }
                sink.Word(decoded);
                i = semicolon + 1;
                continue;
            }
        }
        if (static_cast<unsigned char>(html[i]) >= 0x80) {
            // A UTF-8 character goes on whole, so a writer can read it as one.
            size_t end = i + 1;
            while (end < html.size() && end - i < 4 && (static_cast<unsigned char>(html[end]) & 0xC0) == 0x80) ++end;
            sink.Word(html.substr(i, end - i));
            i = end;
            continue;
        }
        sink.Text(html[i]);
        ++i;
    }
}

// How many line breaks a tag stands for (0: none).
int BreaksOfTag(const std::string& name, bool closing) {
    if (IsHeading(name) || name == "p" || name == "ul" || name == "ol" || name == "table") return 2;
    if (name == "br" || name == "tr" || name == "div" || name == "dt" || name == "dd") return 1;
    if (name == "li" && !closing) return 1;
    return 0;
}

class PlainTextWriter : public HtmlSink {
public:
    void Tag(const std::string& name, bool closing) override {
        if (const int breaks = BreaksOfTag(name, closing)) Break(breaks);
        if (name == "li" && !closing) Word("  \xE2\x80\xA2 ");
        if (name == "td" && !closing) Word("   ");
    }
    void Text(char c) override {
        if (std::isspace(static_cast<unsigned char>(c))) {
            pendingSpace_ = !out_.empty() && !AtLineStart();
            return;
        }
        Word(std::string(1, c));
    }
    void Word(const std::string& text) override {
        if (pendingSpace_) out_ += ' ';
        pendingSpace_ = false;
        out_ += text;
    }
    std::string Result() {
        Break(1);
        while (TrailingBreaks() > 1) out_.resize(out_.size() - 2);
        return out_;
    }

private:
    void Break(int lines) {
        pendingSpace_ = false;
        while (!out_.empty() && out_.back() == ' ') out_.pop_back();
        if (out_.empty()) return;
        int have = TrailingBreaks();
        for (int i = have; i < lines; ++i) out_ += "\r\n";
    }
    bool AtLineStart() const { return out_.size() >= 1 && out_.back() == '\n'; }
    int TrailingBreaks() const {
        int count = 0;
        for (size_t i = out_.size(); i >= 2 && out_.compare(i - 2, 2, "\r\n") == 0; i -= 2) ++count;
        return count;
    }
    std::string out_;
    bool pendingSpace_ = false;
};

// One UTF-8 character at text[i] as a code point; a malformed byte reads as
// '?' on its own. Advances i.
uint32_t NextCodePoint(const std::string& text, size_t& i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                                                          : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
    if (length == 0 || i + length > text.size()) {
        ++i;
        return length == 1 ? lead : '?';
    }
    uint32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return '?';
        }
        code = (code << 6) | (next & 0x3F);
    }
    const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    i += length;
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return '?';
    return code;
}

// RTF text: ASCII as it is (the group and escape characters escaped), other
// characters as \uN? (UTF-16 units, signed), control characters dropped.
void AppendRtfText(std::string& out, const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const uint32_t code = NextCodePoint(text, i);
        if (code < 0x20 || code == 0x7F) continue;
        if (code == '\\' || code == '{' || code == '}') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x10000) {
            out += "\\u" + std::to_string(static_cast<int16_t>(code)) + "?";
        } else {
            const uint32_t rest = code - 0x10000;
            out += "\\u" + std::to_string(static_cast<int16_t>(0xD800 + (rest >> 10))) + "?";
            out += "\\u" + std::to_string(static_cast<int16_t>(0xDC00 + (rest & 0x3FF))) + "?";
        }
    }
}

// Writes paragraphs and formats lazily: breaks wait for the next text (so
// nothing trails), and a paragraph's layout and the characters' format are
// written just before the text they apply to.
class RtfWriter : public HtmlSink {
public:
    RtfWriter(const std::string& fontFace, int points) : basePoints_(std::clamp(points, 4, 72)) {
        std::string face;
        for (char c : fontFace)
            if (std::isalnum(static_cast<unsigned char>(c)) || c == ' ') face += c;
        if (face.empty()) face = "Tahoma";
        out_ = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fswiss\\fcharset0 " + face + ";}}\\f0\\fs" +
               std::to_string(basePoints_ * 2) + " ";
        writtenHalfPoints_ = basePoints_ * 2;
    }

    void Tag(const std::string& name, bool closing) override {
        if (const int breaks = BreaksOfTag(name, closing)) Break(breaks);
        if (IsHeading(name)) heading_ = closing ? 0 : name[1] - '0';
        if (name == "b" || name == "strong") bold_ = std::max(0, bold_ + (closing ? -1 : 1));
        if (name == "i" || name == "em") italic_ = std::max(0, italic_ + (closing ? -1 : 1));
        if (name == "li" && !closing) {
            layout_ = Layout::ListItem;
            bulletDue_ = true;
        } else if (name == "tr" && !closing) {
            layout_ = Layout::TableRow;
            cell_ = 0;
        } else if (name == "td" && !closing) {
            if (cell_++ > 0) tabDue_ = true;
        } else if (closing && (name == "ul" || name == "ol" || name == "table")) {
            layout_ = Layout::Plain;
        }
    }
    void Text(char c) override {
        if (std::isspace(static_cast<unsigned char>(c))) {
            pendingSpace_ = hasText_ && pendingBreaks_ == 0;
            return;
        }
        Word(std::string(1, c));
    }
    void Word(const std::string& text) override {
        StartParagraphIfDue();
        WriteFormat();
        if (bulletDue_) out_ += "\\bullet\\tab ";
        if (tabDue_) out_ += "\\tab ";
        if (pendingSpace_ && !bulletDue_ && !tabDue_) out_ += ' ';
        bulletDue_ = tabDue_ = pendingSpace_ = false;
        AppendRtfText(out_, text);
        hasText_ = true;
    }
    std::string Result() { return out_ + "}"; }

private:
    enum class Layout { Plain, ListItem, TableRow };

    void Break(int lines) {
        pendingSpace_ = false;
        if (!hasText_) return;
        pendingBreaks_ = std::max(pendingBreaks_, lines);
    }
    void StartParagraphIfDue() {
        if (!paragraphStart_ && pendingBreaks_ == 0) return;
        for (int i = 0; i < pendingBreaks_; ++i) out_ += "\\par\n";
        pendingBreaks_ = 0;
        paragraphStart_ = false;
        if (layout_ == Layout::ListItem)
            out_ += "\\pard\\fi-240\\li480\\tx480 ";
        else if (layout_ == Layout::TableRow)
            out_ += "\\pard\\li240\\tx2600 ";
        else
            out_ += "\\pard ";
    }
    void WriteFormat() {
        const bool bold = bold_ > 0 || heading_ > 0, italic = italic_ > 0;
        const int halfPoints = heading_ == 1 ? basePoints_ * 2 + 12 : heading_ == 2 ? basePoints_ * 2 + 6
                                                                  : heading_ > 2   ? basePoints_ * 2 + 2
                                                                                   : basePoints_ * 2;
        std::string codes;
        if (bold != writtenBold_) codes += bold ? "\\b" : "\\b0";
        if (italic != writtenItalic_) codes += italic ? "\\i" : "\\i0";
        if (halfPoints != writtenHalfPoints_) codes += "\\fs" + std::to_string(halfPoints);
        if (codes.empty()) return;
        // A space between words belongs before the change, where it reads as text.
        if (pendingSpace_ && !bulletDue_ && !tabDue_) out_ += ' ';
        pendingSpace_ = false;
        out_ += codes + " ";
        writtenBold_ = bold;
        writtenItalic_ = italic;
        writtenHalfPoints_ = halfPoints;
    }

    std::string out_;
    int basePoints_;
    int heading_ = 0, bold_ = 0, italic_ = 0, cell_ = 0;
    Layout layout_ = Layout::Plain;
    bool hasText_ = false, paragraphStart_ = true, pendingSpace_ = false, bulletDue_ = false, tabDue_ = false;
    int pendingBreaks_ = 0;
    bool writtenBold_ = false, writtenItalic_ = false;
    int writtenHalfPoints_ = 0;
};

}  // namespace

std::string HtmlToPlainText(const std::string& html) {
    PlainTextWriter writer;
    ReadHtml(html, writer);
    return writer.Result();
}

std::string HtmlToRtf(const std::string& html, const std::string& fontFace, int points) {
    RtfWriter writer(fontFace, points);
    ReadHtml(html, writer);
    return writer.Result();
}

}  // namespace formats
