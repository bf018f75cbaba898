// Fuzz target for the report file's lines: the input taken as a report (a
// kind, the node's caption, rows of cells, some added one by one and some as
// lines made beforehand) builds a text whose pieces make the whole text, that
// opens with the heading and the column line, and whose row lines read back
// as the rows given, cut or filled to the columns; when no cell holds a line
// end or the cell separator, the text splits into exactly those lines and
// cells. The failure texts name the path and end as a sentence or with the
// system's reason.
#include "formats/ReportFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

using namespace common;

namespace {

constexpr const char* kSeparator = ";   ";

[[noreturn]] void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "report_fuzz: %s: %s\n", what, detail.c_str());
    std::abort();
}

struct Row {
    std::string caption;
    std::vector<std::string> cells;
    bool madeBeforehand = false;  // added through a ReportRows
};

struct Report {
    ReportKind kind = ReportKind::StartUp;
    std::string caption;
    std::vector<Row> rows;
};

// The first byte picks the kind; the rest splits at NUL bytes into fields:
// the node's caption first, then each field's first byte says whether it
// starts a row (and whether that row is made beforehand) or is a cell of
// the row in hand.
Report ReportFrom(const std::string& input) {
    Report report;
    if (input.empty()) return report;
    report.kind = static_cast<ReportKind>(static_cast<unsigned char>(input[0]) % 3);
    std::vector<std::string> fields;
    size_t start = 1;
    for (size_t at = 1; at <= input.size(); ++at) {
        if (at == input.size() || input[at] == '\0') {
            fields.push_back(input.substr(start, at - start));
            start = at + 1;
        }
    }
    report.caption = fields[0];
    for (size_t i = 1; i < fields.size(); ++i) {
        const std::string& field = fields[i];
        const unsigned char kind = field.empty() ? 0 : static_cast<unsigned char>(field[0]);
        const std::string rest = field.empty() ? std::string() : field.substr(1);
        if (kind % 3 == 2 && !report.rows.empty()) report.rows.back().cells.push_back(rest);
        else report.rows.push_back(Row{rest, {}, kind % 3 == 1});
    }
    return report;
}

// One row's line, step by step: the caption, then one separator and cell
// (or nothing) per further column.
std::string ExpectedLine(const Row& row, size_t columns) {
    std::string line = row.caption;
    for (size_t column = 1; column < columns; ++column)
        line += std::string(kSeparator) + (column - 1 < row.cells.size() ? row.cells[column - 1] : std::string());
    return line + "\r\n";
}

std::vector<std::string> SplitAt(const std::string& text, const std::string& mark) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + mark.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool Plain(const std::string& cell) {
    return cell.find('\r') == std::string::npos && cell.find('\n') == std::string::npos &&
           cell.find(kSeparator) == std::string::npos;
}

// With plain cells the text reads back: its lines are the heading, the
// column line and one per row, and a row line's cells are the row's.
void ReadsBack(const Report& report, const std::string& text) {
    const size_t columns = ReportColumnCount(report.kind);
    if (!Plain(report.caption)) return;
    for (const Row& row : report.rows) {
        if (!Plain(row.caption)) return;
        for (size_t i = 0; i + 1 < columns && i < row.cells.size(); ++i)
            if (!Plain(row.cells[i])) return;
    }
    std::vector<std::string> lines = SplitAt(text, "\r\n");
    if (lines.back() != "") Fail("text does not end with a line end", text);
    lines.pop_back();
    if (lines.size() != report.rows.size() + 2) Fail("line count differs from the rows", text);
    for (size_t r = 0; r < report.rows.size(); ++r) {
        const std::vector<std::string> cells = SplitAt(lines[r + 2], kSeparator);
        if (cells.size() != columns) Fail("row line has other than its columns", lines[r + 2]);
        if (cells[0] != report.rows[r].caption) Fail("row caption read back differs", lines[r + 2]);
        for (size_t c = 1; c < columns; ++c) {
            const auto& given = report.rows[r].cells;
            if (cells[c] != (c - 1 < given.size() ? given[c - 1] : std::string()))
                Fail("cell read back differs", lines[r + 2]);
        }
    }
}

void FailureTextsName(const std::string& path, unsigned long code, const std::string& reason) {
    for (const std::string& text :
         {ReportCreateFailureText(path, code, reason), ReportWriteFailureText(path, code, reason)}) {
        if (text.find("\"" + path + "\"") == std::string::npos) Fail("failure text without its path", text);
        if (text.find(std::to_string(code)) == std::string::npos) Fail("failure text without its code", text);
        const std::string ending = reason.empty() ? std::string(".") : ": " + reason;
        if (text.size() < ending.size() || text.compare(text.size() - ending.size(), ending.size(), ending) != 0)
            Fail("failure text ends otherwise", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const Report report = ReportFrom(input);
    const size_t columns = ReportColumnCount(report.kind);

    // Rows made beforehand must outlive the builder and stay as they are.
    std::deque<ReportRows> batches;
    ReportBuilder builder(report.kind, report.caption);
    std::string expected =
        ReportHeading(report.kind, report.caption) + "\r\n" + ReportColumnLine(report.kind) + "\r\n";
    for (const Row& row : report.rows) {
        if (row.madeBeforehand) {
            batches.emplace_back(report.kind);
            batches.back().Add(row.caption, row.cells);
            builder.AddRows(batches.back());
        } else {
            builder.AddRow(row.caption, row.cells);
        }
        expected += ExpectedLine(row, columns);
    }
    if (builder.RowCount() != static_cast<int>(report.rows.size())) Fail("row count differs", input);

    const std::string text = builder.Text();
    std::string joined;
    for (std::string_view piece : builder.Pieces()) joined.append(piece);
    if (joined != text) Fail("pieces do not make the text", text);
    if (text != expected) Fail("text differs from the lines step by step", text);
    ReadsBack(report, text);

    FailureTextsName(report.caption, static_cast<unsigned long>(size) * 2654435761u,
                     report.rows.empty() ? std::string() : report.rows.front().caption);
    return 0;
}
