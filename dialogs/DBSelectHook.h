// A seam through which a test reaches the chooser while DBSelect runs it.
//
// The hook, when set, is called once with the dialog after the dialog is
// shown and its modal loop runs, so that it can press buttons, double click
// rows or send keys; it must end the dialog (or arrange for it to end).
// Process-wide and unguarded: set it on the GUI thread, never in production.
#pragma once

#include <functional>

namespace varo {
namespace dialogs {

class CDBSelectDialog;

typedef std::function<void(CDBSelectDialog&)> ShownHook;

// Installs `hook`; an empty hook removes it.
void SetShownHook(ShownHook hook);

}  // namespace dialogs
}  // namespace varo
