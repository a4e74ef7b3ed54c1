// Reading interchange files line by line, whatever their size: only the
// current line is held in memory.
//
// PhysicalLines splits a byte stream at LF (a CR before it is dropped),
// drops a UTF-8 byte order mark at its start and counts lines from 1. LogicalLines joins what the content-line formats
// fold: a line that begins with a blank or a tab continues the one before
// (RFC 5545 and 6350 folding, vCard 2.1 base64 blocks), and in a
// quoted-printable property a line that ends in "=" continues on the next
// line (a soft line break). A line longer than the bound is cut and marked,
// so no input can make a line grow without end.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

namespace varo {
namespace interchange {

class PhysicalLines {
public:
    explicit PhysicalLines(std::istream& in) : m_in(in) {}

    // The next line without its line break; false at the end of the input.
    bool Next(std::string* line);
    long LineNumber() const { return m_lineNumber; }
    uint64_t BytesRead() const { return m_bytesRead; }

private:
    bool Fill();

    std::istream& m_in;
    std::string m_buffer;
    size_t m_position = 0;
    long m_lineNumber = 0;
    uint64_t m_bytesRead = 0;
};

struct LogicalLine {
    std::string text;
    long firstLine = 0;  // physical line number where it starts
    bool cut = false;    // longer than the bound; text holds its start
};

class LogicalLines {
public:
    static const size_t kDefaultBound = 4u << 20;

    explicit LogicalLines(std::istream& in, size_t bound = kDefaultBound) : m_lines(in), m_bound(bound) {}

    // The next unfolded line, empty lines skipped; false at the end.
    bool Next(LogicalLine* line);
    uint64_t BytesRead() const { return m_lines.BytesRead(); }

private:
    bool Peek();
    void Append(LogicalLine* line, const std::string& piece) const;

    PhysicalLines m_lines;
    size_t m_bound;
    std::string m_pending;
    long m_pendingNumber = 0;
    bool m_hasPending = false;
};

// True when the part of a content line before its value names
// quoted-printable encoding.
bool IsQuotedPrintableLine(const std::string& line);

}  // namespace interchange
}  // namespace varo
