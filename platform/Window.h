// The minimal window layer: windows that exist only as handles with message
// queues, for the kit's owner window and the engine's hidden child control.
//
// There is no display. A window is created hidden, is never shown, and is
// reached only through its handle: SendMessage calls its WindowProc at once,
// PostMessage queues a message on the window's own queue, and PumpMessages
// delivers what is queued, in the order it was posted across all windows.
// Pump hooks let a component (the database engine) look for changes made by
// other processes each time the application pumps, and post what it finds.
//
// Handles belong to this process and are never reused within it, so a stale
// handle is always recognised as dead: posting to it fails, sending to it
// returns 0, FromHandle gives null. Handle values do not fit in 32 bits, so
// a handle cut to 32 bits on its way is dead too, never another window. Destroying a window destroys its
// children first (deepest first) and drops the messages still queued for
// each; the CWnd objects themselves stay their owners' (a CWnd whose window
// is gone just has a null handle). A CWnd destroys its window when deleted.
// No messages are sent while a window is created or destroyed. A call that
// fails changes nothing.
//
// Threads: single-threaded by contract. Every call of this layer, and the
// destruction of every CWnd with a window, happens on one thread (the
// application's user-interface thread); nothing is guarded.
#pragma once

#include <cstdint>

#include "CObject.h"
#include "VarokitApi.h"
#include "WinTypes.h"

struct WindowHandle;
typedef WindowHandle* HWND;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;

class VAROKIT_API CWnd : public CObject {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Creates this object's window, a child of `parent` when non-null, with
    // the control id `id`. FALSE when this object has a window already or
    // `parent` has none.
    BOOL Create(CWnd* parent, UINT id = 0);

    // Destroys the window and, before it, its children. FALSE when there is
    // no window.
    BOOL DestroyWindow();

    // Null when there is no window.
    HWND GetSafeHwnd() const;
    // The parent window's object; null for a top-level window or no window.
    CWnd* GetParent() const;
    // The id given to Create; 0 when there is no window.
    UINT GetDlgCtrlID() const;

    // The object of a live window of this process, else null.
    static CWnd* FromHandle(HWND window);

protected:
    // Handles one message; returns 0 unless a derived class says otherwise.
    // The window may be destroyed, or its object deleted, from inside.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend VAROKIT_API LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    friend VAROKIT_API int PumpMessages();

    HWND m_hWnd;
};

// TRUE when the handle is a live window of this process.
VAROKIT_API BOOL IsWindow(HWND window);

// Queues a message for a live window of this process; FALSE for a null or
// dead handle.
VAROKIT_API BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Calls the window's WindowProc at once and returns its result; 0 for a
// null or dead handle.
VAROKIT_API LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs every pump hook once (in the order they were added), then delivers
// queued messages in the order they were posted, and returns how many it
// delivered. Messages posted while it delivers are delivered too, but no
// more messages in all than were queued once the hooks had run, so a window
// that keeps posting to itself cannot hold the pump forever; the rest wait
// for the next pump. Messages for windows destroyed meanwhile are dropped.
// A pump started from inside a hook runs no hooks.
VAROKIT_API int PumpMessages();

// Adds a hook that every PumpMessages runs first; returns its id (> 0), or 0
// for a null hook. The hook may add or remove hooks, itself included, and
// may post or send messages.
VAROKIT_API int AddPumpHook(void (*hook)(void* context), void* context);

// Removes a hook; unknown ids are ignored.
VAROKIT_API void RemovePumpHook(int id);
