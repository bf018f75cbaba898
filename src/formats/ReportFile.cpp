// The report file's lines and its failure texts.
#include "formats/ReportFile.h"

#include <utility>

namespace common {

namespace {

constexpr const char* kSeparator = ";   ";
constexpr const char* kLineEnd = "\r\n";

}  // namespace

const char* ReportColumnLine(ReportKind kind) {
    switch (kind) {
    case ReportKind::StartUp: return "Name;   Location;   Root Key;   Section;   Active;";
    case ReportKind::Registry: return "Section;   Registry Path;   File Name;   Guess Path;";
    case ReportKind::History: break;
    }
    return "Value;";
}

size_t ReportColumnCount(ReportKind kind) {
    switch (kind) {
    case ReportKind::StartUp: return 5;
    case ReportKind::Registry: return 4;
    case ReportKind::History: break;
    }
    return 1;
}

std::string ReportHeading(ReportKind kind, const std::string& nodeCaption) {
    const char* page = kind == ReportKind::StartUp ? "StartUp" : kind == ReportKind::Registry ? "Registry" : "History";
    std::string heading = "ORVTools Report. ";
    heading.append(page).append(" Section: ").append(nodeCaption);
    return heading;
}

ReportBuilder::ReportBuilder(ReportKind kind, const std::string& nodeCaption)
    : columns_(ReportColumnCount(kind)), pieces_(1) {
    pieces_.back().own.append(ReportHeading(kind, nodeCaption)).append(kLineEnd);
    pieces_.back().own.append(ReportColumnLine(kind)).append(kLineEnd);
}

namespace {

void AppendRowLine(std::string& text, size_t columns, const std::string& caption,
                   const std::vector<std::string>& subItems) {
    text.append(caption);
    for (size_t column = 1; column < columns; ++column) {
        text.append(kSeparator);
        if (column - 1 < subItems.size()) text.append(subItems[column - 1]);
    }
    text.append(kLineEnd);
}

}  // namespace

void ReportRows::Add(const std::string& caption, const std::vector<std::string>& subItems) {
    AppendRowLine(text_, columns_, caption, subItems);
    ++count_;
}

void ReportBuilder::AddRow(const std::string& caption, const std::vector<std::string>& subItems) {
    if (pieces_.back().rows) pieces_.emplace_back();
    AppendRowLine(pieces_.back().own, columns_, caption, subItems);
    ++rows_;
}

void ReportBuilder::AddRows(const ReportRows& rows) {
    pieces_.push_back(Piece{{}, &rows});
    rows_ += rows.Count();
}

std::vector<std::string_view> ReportBuilder::Pieces() const {
    std::vector<std::string_view> views;
    for (const Piece& piece : pieces_) views.push_back(piece.rows ? piece.rows->Text() : piece.own);
    return views;
}

std::string ReportBuilder::Text() const {
    std::string text;
    for (std::string_view piece : Pieces()) text.append(piece);
    return text;
}

namespace {

// Built by appending: GCC 12 warns falsely (-Wrestrict) on a literal + std::string temporary.
std::string WithReason(std::string text, const std::string& reason) {
    if (reason.empty()) return text.append(".");
    return text.append(": ").append(reason);
}

}  // namespace

std::string ReportCreateFailureText(const std::string& path, unsigned long code, const std::string& reason) {
    std::string text = "Cannot create the report file \"";
    text.append(path).append("\" (error ").append(std::to_string(code)).append(")");
    return WithReason(std::move(text), reason);
}

std::string ReportWriteFailureText(const std::string& path, unsigned long code, const std::string& reason) {
    std::string text = "The report file \"";
    text.append(path).append("\" was not written whole: I/O error ").append(std::to_string(code));
    return WithReason(std::move(text), reason);
}

}  // namespace common
