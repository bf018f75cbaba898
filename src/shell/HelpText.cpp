// The help page as readable text.
#include "shell/HelpText.h"

#include <cctype>

namespace shell {

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
        if (code < 0x80) return std::string(1, static_cast<char>(code));
        return "?";
    }
    return "&" + name + ";";
}

class TextBuilder {
public:
    void Text(char c) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            pendingSpace_ = !out_.empty() && !AtLineStart();
            return;
        }
        Word(std::string(1, c));
    }
    void Word(const std::string& text) {
        if (pendingSpace_) out_ += ' ';
        pendingSpace_ = false;
        out_ += text;
    }
    void Break(int lines) {
        pendingSpace_ = false;
        while (!out_.empty() && out_.back() == ' ') out_.pop_back();
        if (out_.empty()) return;
        int have = TrailingBreaks();
        for (int i = have; i < lines; ++i) out_ += "\r\n";
    }
    std::string Result() {
        Break(1);
        while (TrailingBreaks() > 1) out_.resize(out_.size() - 2);
        return out_;
    }

private:
    bool AtLineStart() const { return out_.size() >= 1 && out_.back() == '\n'; }
    int TrailingBreaks() const {
        int count = 0;
        for (size_t i = out_.size(); i >= 2 && out_.compare(i - 2, 2, "\r\n") == 0; i -= 2) ++count;
        return count;
    }
    std::string out_;
    bool pendingSpace_ = false;
};

}  // namespace

std::string HtmlToPlainText(const std::string& html) {
    TextBuilder text;
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
            if (!closing && (name == "script" || name == "style" || name == "title")) {
                skipUntil = name;
            } else if (name.size() == 2 && name[0] == 'h' && std::isdigit(static_cast<unsigned char>(name[1]))) {
                text.Break(2);
            } else if (name == "p" || name == "ul" || name == "ol" || name == "table") {
                text.Break(2);
            } else if (name == "br" || name == "tr" || name == "div" || name == "dt" || name == "dd") {
                text.Break(1);
            } else if (name == "li" && !closing) {
                text.Break(1);
                text.Word("  \xE2\x80\xA2 ");
            } else if (name == "td" && !closing) {
                text.Word("   ");
            }
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
                text.Word(decoded);
                i = semicolon + 1;
                continue;
            }
        }
        text.Text(html[i]);
        ++i;
    }
    return text.Result();
}

}  // namespace shell
