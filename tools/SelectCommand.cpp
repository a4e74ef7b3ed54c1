// varo select: the kit's database chooser, for trying it out and for
// scripts that let the user pick a database.
#include <cstdio>
#include <cstdlib>

#include "Commands.h"
#include "Results.h"
#include "Session.h"

namespace varo {
namespace tool {
namespace {

// The chooser's button captions: "開く" (open) and "閉じる" (close).
const unsigned int kConfirmOpen = 10;
const unsigned int kCloseClose = 20;

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

}  // namespace

int RunSelect(const Invocation& call) {
    KitSession session;
    if (!session.Start()) return kExitFailed;
    CDWordArray ids;
    for (const auto& option : call.options) {
        long db = 0;
        const int found = session.FindDatabase(option.second, &db);
        if (found != kExitOk) return found;
        ids.Add(static_cast<DWORD>(db));
    }
    const long code = session.Kit().DBSelect(ids, kConfirmOpen, kCloseClose);
    if (code != 0) {
        return ReportCode(HasDisplay() ? "no database was chosen" : "no display to show the chooser on", code);
    }
    printf("%ld\n", ids.GetSize() > 0 ? static_cast<long>(static_cast<int32_t>(ids[0])) : 0L);
    return kExitOk;
}

}  // namespace tool
}  // namespace varo
