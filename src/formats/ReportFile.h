// The report file of the result lists: its lines, built from the rows a page
// lists in the order the list shows them, and the texts that tell why a
// report was not written. Pure text.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace common {

// Which page's list a report holds: each has its heading and its columns.
enum class ReportKind { StartUp, Registry, History };

// The column line, ending with ";".
const char* ReportColumnLine(ReportKind kind);
// The number of cells a row line has (the list's columns; History: one).
size_t ReportColumnCount(ReportKind kind);
// "ORVTools Report. <page> Section: " + the node's caption as the tree shows
// it (nothing after the fixed text when no node is selected).
std::string ReportHeading(ReportKind kind, const std::string& nodeCaption);

// Row lines of a report kept apart from its heading, laid out as
// ReportBuilder::AddRow lays them out: a page adds them as its rows are
// listed, and a report of a long list then costs one copy.
class ReportRows {
public:
    explicit ReportRows(ReportKind kind) : columns_(ReportColumnCount(kind)) {}
    void Add(const std::string& caption, const std::vector<std::string>& subItems = {});
    void Clear() {
        text_.clear();
        count_ = 0;
    }
    int Count() const { return count_; }
    const std::string& Text() const { return text_; }

private:
    size_t columns_;
    int count_ = 0;
    std::string text_;
};

// Builds the file's text line by line: the heading and the column line first,
// then one line per AddRow. Cells are joined by ";   " as they are (no
// quoting: a cell holding ";" gives a line with more separators than
// columns); a row with fewer cells than the columns gets the missing ones
// empty, one with more is cut to the columns; a History row is its caption
// alone, whatever its section shows beside it. Every line ends with CR LF.
class ReportBuilder {
public:
    ReportBuilder(ReportKind kind, const std::string& nodeCaption);

    void AddRow(const std::string& caption, const std::vector<std::string>& subItems = {});
    // Adds row lines made beforehand (for the same kind of report). They are
    // not copied: rows must outlive the builder and stay as they are.
    void AddRows(const ReportRows& rows);
    int RowCount() const { return rows_; }
    // The text in the pieces it is held in, to be written one after the
    // other; and the whole text.
    std::vector<std::string_view> Pieces() const;
    std::string Text() const;

private:
    // Each piece is the builder's own text or the lines of a ReportRows.
    struct Piece {
        std::string own;
        const ReportRows* rows = nullptr;
    };
    size_t columns_;
    int rows_ = 0;
    std::vector<Piece> pieces_;
};

// The error box texts: the file could not be created (nothing was written),
// or a write failed after it was created. reason: the system's text of code.
std::string ReportCreateFailureText(const std::string& path, unsigned long code, const std::string& reason);
std::string ReportWriteFailureText(const std::string& path, unsigned long code, const std::string& reason);

}  // namespace common
