// Physical and logical lines of a content-line file.
#include "LineReader.h"

#include <cctype>

namespace varo {
namespace interchange {
namespace {

const size_t kChunk = 64 * 1024;

}  // namespace

bool PhysicalLines::Fill() {
    if (m_position > 0) {
        m_buffer.erase(0, m_position);
        m_position = 0;
    }
    const size_t old = m_buffer.size();
    m_buffer.resize(old + kChunk);
    m_in.read(&m_buffer[old], static_cast<std::streamsize>(kChunk));
    const size_t got = static_cast<size_t>(m_in.gcount());
    m_buffer.resize(old + got);
    return got > 0;
}

bool PhysicalLines::Next(std::string* line) {
    for (;;) {
        const size_t end = m_buffer.find('\n', m_position);
        if (end != std::string::npos) {
            line->assign(m_buffer, m_position, end - m_position);
            m_bytesRead += end - m_position + 1;
            m_position = end + 1;
            break;
        }
        if (!Fill()) {
            if (m_position >= m_buffer.size()) return false;
            line->assign(m_buffer, m_position, std::string::npos);
            m_bytesRead += line->size();
            m_position = m_buffer.size();
            break;
        }
    }
    if (!line->empty() && line->back() == '\r') line->pop_back();
    // Windows programs start UTF-8 files with a byte order mark.
    if (m_lineNumber == 0 && line->compare(0, 3, "\xEF\xBB\xBF") == 0) line->erase(0, 3);
    ++m_lineNumber;
    return true;
}

bool IsQuotedPrintableLine(const std::string& line) {
    const size_t colon = line.find(':');
    const std::string head = line.substr(0, colon);
    const std::string marker = "QUOTED-PRINTABLE";
    for (size_t i = 0; i + marker.size() <= head.size(); ++i) {
        size_t k = 0;
        while (k < marker.size() && toupper(static_cast<unsigned char>(head[i + k])) == marker[k]) ++k;
        if (k == marker.size()) return true;
    }
    return false;
}

bool LogicalLines::Peek() {
    if (m_hasPending) return true;
    m_hasPending = m_lines.Next(&m_pending);
    m_pendingNumber = m_lines.LineNumber();
    return m_hasPending;
}

void LogicalLines::Append(LogicalLine* line, const std::string& piece) const {
    if (line->cut) return;
    if (line->text.size() + piece.size() > m_bound) {
        line->text.append(piece, 0, m_bound - line->text.size());
        line->cut = true;
        return;
    }
    line->text += piece;
}

bool LogicalLines::Next(LogicalLine* line) {
    do {
        if (!Peek()) return false;
        m_hasPending = false;
    } while (m_pending.empty());
    line->text.clear();
    line->cut = false;
    line->firstLine = m_pendingNumber;
    Append(line, m_pending);
    const bool quotedPrintable = IsQuotedPrintableLine(line->text);
    while (Peek()) {
        if (!m_pending.empty() && (m_pending[0] == ' ' || m_pending[0] == '\t')) {
            Append(line, m_pending.substr(1));
        } else if (quotedPrintable && !line->text.empty() && line->text.back() == '=') {
            line->text.pop_back();
            Append(line, m_pending);
        } else {
            break;
        }
        m_hasPending = false;
    }
    return true;
}

}  // namespace interchange
}  // namespace varo
