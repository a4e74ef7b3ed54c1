#include "ElfVersionNote.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace varo {
namespace {

const char kNoteOwner[] = "VARO";
const uint32_t kVersionNoteType = 1;
const uint32_t kVersionBytes = 16;
// Notes are small; a section larger than this is not ours to read.
const uint64_t kMaxNoteSectionBytes = 1 << 20;

class FileReader {
public:
    explicit FileReader(const std::string& path) : m_file(path, std::ios::binary) {
        if (m_file) {
            m_file.seekg(0, std::ios::end);
            m_size = static_cast<uint64_t>(m_file.tellg());
        }
    }

    // Reads `bytes` at `offset` when they lie wholly inside the file.
    bool Read(uint64_t offset, void* out, uint64_t bytes) {
        if (!m_file || offset > m_size || bytes > m_size - offset) return false;
        m_file.seekg(static_cast<std::streamoff>(offset));
        m_file.read(static_cast<char*>(out), static_cast<std::streamsize>(bytes));
        return static_cast<uint64_t>(m_file.gcount()) == bytes;
    }

private:
    std::ifstream m_file;
    uint64_t m_size = 0;
};

uint32_t Le32(const unsigned char* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint64_t Align4(uint64_t n) { return (n + 3) & ~uint64_t{3}; }

// Walks the notes of one section for the version note.
bool FindInNotes(const std::vector<unsigned char>& notes, FileVersion* version) {
    const uint64_t size = notes.size();
    uint64_t at = 0;
    while (size - at >= 12) {
        const uint32_t nameSize = Le32(&notes[at]);
        const uint32_t descSize = Le32(&notes[at + 4]);
        const uint32_t type = Le32(&notes[at + 8]);
        const uint64_t name = at + 12;
        const uint64_t desc = name + Align4(nameSize);
        if (desc > size || Align4(descSize) > size - desc) return false;
        const bool ours = nameSize == sizeof kNoteOwner &&
                          std::memcmp(&notes[name], kNoteOwner, sizeof kNoteOwner) == 0;
        if (ours && type == kVersionNoteType && descSize == kVersionBytes) {
            for (int i = 0; i < 4; ++i) version->part[i] = Le32(&notes[desc + 4 * i]);
            return true;
        }
        at = desc + Align4(descSize);
    }
    return false;
}

}  // namespace

bool ReadElfVersionNote(const std::string& path, FileVersion* version) {
    if (!version) return false;
    FileReader file(path);
    Elf64_Ehdr header;
    if (!file.Read(0, &header, sizeof header)) return false;
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_ident[EI_DATA] != ELFDATA2LSB || header.e_shentsize != sizeof(Elf64_Shdr)) {
        return false;
    }
    for (uint16_t i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section;
        if (!file.Read(header.e_shoff + uint64_t{i} * sizeof section, &section, sizeof section)) return false;
        if (section.sh_type != SHT_NOTE || section.sh_size > kMaxNoteSectionBytes) continue;
        std::vector<unsigned char> notes(section.sh_size);
        if (!file.Read(section.sh_offset, notes.data(), notes.size())) return false;
        if (FindInNotes(notes, version)) return true;
    }
    return false;
}

}  // namespace varo
