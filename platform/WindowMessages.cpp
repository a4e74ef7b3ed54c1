#include "WindowMessages.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "MessageTable.h"
#include "PrivateFiles.h"

namespace {

// A full table: the header and 16384 records of the longest names. Bytes
// beyond it can only be damage, which Parse cuts off anyway.
const size_t kMaxTableBytes = 8 + 16384 * (8 + MessageTable::kMaxNameBytes);

}  // namespace

UINT RegisterWindowMessage(LPCSTR name) {
    if (!name || !*name) return 0;
    const std::string text(name);
    if (text.size() > MessageTable::kMaxNameBytes) return 0;

    std::string folder;
    if (!UserRuntimeFolder(&folder)) return 0;
    const std::string path = folder + "/messages";
    FileDescriptor fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    ExclusiveFileLock lock(fd.Get());
    if (!lock.IsHeld()) return 0;

    std::string bytes;
    bool whole = false;
    if (!ReadFromStart(fd.Get(), kMaxTableBytes, &bytes, &whole)) return 0;
    MessageTable table = MessageTable::Parse(bytes);
    if (const UINT known = table.Find(text)) return known;

    // Written where the sound part ends, so a damaged tail is replaced.
    const size_t writeAt = table.SoundBytes();
    std::string record;
    const UINT number = table.Add(text, &record);
    if (number == 0) return 0;
    if (!WriteAt(fd.Get(), record.data(), record.size(), writeAt)) return 0;
    if (ftruncate(fd.Get(), static_cast<off_t>(writeAt + record.size())) != 0) return 0;
    return number;
}
