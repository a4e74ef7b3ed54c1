#include "Window.h"

#include <algorithm>
#include <climits>
#include <deque>
#include <unordered_map>
#include <vector>

namespace {

struct QueuedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

struct WindowRecord {
    CWnd* object = nullptr;
    HWND parent = nullptr;
    UINT id = 0;
    std::vector<HWND> children;
    std::deque<QueuedMessage> queue;
};

struct PumpHook {
    int id;
    void (*function)(void* context);
    void* context;
};

// Everything the layer knows. postingOrder holds one entry per queued
// message, naming its window, so that windows keep queues of their own while
// the pump still delivers in posting order; destroying a window removes its
// entries along with its queue.
struct WindowLayer {
    uintptr_t nextHandle = uintptr_t(1) << 32;
    std::unordered_map<uintptr_t, WindowRecord> windows;
    std::deque<HWND> postingOrder;
    std::vector<PumpHook> hooks;
    int nextHookId = 1;
    bool runningHooks = false;
};

// Never destroyed, so that CWnd objects of static lifetime can still
// destroy their windows during exit.
WindowLayer& Layer() {
    static WindowLayer* layer = new WindowLayer;
    return *layer;
}

WindowRecord* FindRecord(HWND window) {
    if (!window) return nullptr;
    WindowLayer& layer = Layer();
    auto it = layer.windows.find(reinterpret_cast<uintptr_t>(window));
    return it == layer.windows.end() ? nullptr : &it->second;
}

// Removes a window whose children are already gone, with its queue.
void ForgetWindow(HWND window) {
    WindowLayer& layer = Layer();
    if (WindowRecord* parent = FindRecord(FindRecord(window)->parent)) {
        std::vector<HWND>& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
    std::deque<HWND>& order = layer.postingOrder;
    order.erase(std::remove(order.begin(), order.end(), window), order.end());
    layer.windows.erase(reinterpret_cast<uintptr_t>(window));
}

// Runs each hook present when the run starts and still present when its
// turn comes; hooks added meanwhile wait for the next pump.
void RunPumpHooks() {
    WindowLayer& layer = Layer();
    if (layer.runningHooks) return;
    layer.runningHooks = true;
    std::vector<int> ids;
    for (const PumpHook& hook : layer.hooks) ids.push_back(hook.id);
    for (int id : ids) {
        auto it = std::find_if(layer.hooks.begin(), layer.hooks.end(), [id](const PumpHook& h) { return h.id == id; });
        if (it == layer.hooks.end()) continue;
        const PumpHook hook = *it;
        hook.function(hook.context);
    }
    layer.runningHooks = false;
}

}  // namespace

CWnd::CWnd() : m_hWnd(nullptr) {}

CWnd::~CWnd() { DestroyWindow(); }

BOOL CWnd::Create(CWnd* parent, UINT id) {
    if (m_hWnd) return FALSE;
    HWND parentHandle = nullptr;
    if (parent) {
        parentHandle = parent->m_hWnd;
        if (!FindRecord(parentHandle)) return FALSE;
    }
    WindowLayer& layer = Layer();
    HWND handle = reinterpret_cast<HWND>(layer.nextHandle++);
    WindowRecord record;
    record.object = this;
    record.parent = parentHandle;
    record.id = id;
    layer.windows.emplace(reinterpret_cast<uintptr_t>(handle), std::move(record));
    if (parentHandle) FindRecord(parentHandle)->children.push_back(handle);
    m_hWnd = handle;
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    WindowRecord* record = FindRecord(m_hWnd);
    if (!record) return FALSE;
    const std::vector<HWND> children = record->children;
    for (HWND child : children) {
        if (WindowRecord* childRecord = FindRecord(child)) childRecord->object->DestroyWindow();
    }
    ForgetWindow(m_hWnd);
    m_hWnd = nullptr;
    return TRUE;
}

HWND CWnd::GetSafeHwnd() const { return m_hWnd; }

CWnd* CWnd::GetParent() const {
    const WindowRecord* record = FindRecord(m_hWnd);
    return record ? FromHandle(record->parent) : nullptr;
}

UINT CWnd::GetDlgCtrlID() const {
    const WindowRecord* record = FindRecord(m_hWnd);
    return record ? record->id : 0;
}

CWnd* CWnd::FromHandle(HWND window) {
    const WindowRecord* record = FindRecord(window);
    return record ? record->object : nullptr;
}

LRESULT CWnd::WindowProc(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) { return 0; }

BOOL IsWindow(HWND window) { return FindRecord(window) ? TRUE : FALSE; }

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = FindRecord(window);
    if (!record) return FALSE;
    record->queue.push_back(QueuedMessage{message, wParam, lParam});
    Layer().postingOrder.push_back(window);
    return TRUE;
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowRecord* record = FindRecord(window);
    return record ? record->object->WindowProc(message, wParam, lParam) : 0;
}

int PumpMessages() {
    RunPumpHooks();
    WindowLayer& layer = Layer();
    const size_t limit = std::min<size_t>(layer.postingOrder.size(), INT_MAX);
    size_t delivered = 0;
    while (delivered < limit && !layer.postingOrder.empty()) {
        const HWND window = layer.postingOrder.front();
        layer.postingOrder.pop_front();
        WindowRecord* record = FindRecord(window);
        if (!record || record->queue.empty()) continue;
        const QueuedMessage message = record->queue.front();
        record->queue.pop_front();
        ++delivered;
        // The record may be gone once WindowProc returns: nothing of it is
        // used afterwards.
        record->object->WindowProc(message.message, message.wParam, message.lParam);
    }
    return static_cast<int>(delivered);
}

int AddPumpHook(void (*hook)(void* context), void* context) {
    if (!hook) return 0;
    WindowLayer& layer = Layer();
    const int id = layer.nextHookId++;
    layer.hooks.push_back(PumpHook{id, hook, context});
    return id;
}

void RemovePumpHook(int id) {
    std::vector<PumpHook>& hooks = Layer().hooks;
    hooks.erase(std::remove_if(hooks.begin(), hooks.end(), [id](const PumpHook& h) { return h.id == id; }),
                hooks.end());
}
