#include "FakeEngine.h"

#include <algorithm>
#include <cstring>

#include "EngineOperations.h"

int32_t FakeEngine::Invoke(int op, const varo::EngineArg* args, int count) {
    Call call{op, {}};
    for (int i = 0; i < count; ++i) {
        Arg arg;
        arg.kind = args[i].kind;
        switch (args[i].kind) {
        case varo::ArgKind::I4: arg.value = args[i].i4; break;
        case varo::ArgKind::Bool: arg.value = args[i].flag ? 1 : 0; break;
        case varo::ArgKind::Text: arg.text = args[i].text; break;
        default: arg.pointer = args[i].buffer; break;
        }
        call.args.push_back(arg);
    }
    calls.push_back(call);

    auto queued = m_answers.find(op);
    if (queued != m_answers.end() && !queued->second.empty()) {
        const int32_t result = queued->second.front();
        queued->second.pop_front();
        return result;
    }
    auto action = m_actions.find(op);
    if (action != m_actions.end()) return action->second(args, count);
    // Success by default; a tip is writable unless a test says otherwise.
    const varo::OperationInfo* info = varo::FindOperation(op);
    return info && info->result == varo::ResultKind::Bool && op != varo::kOpIsReadOnly ? 1 : 0;
}

void FakeEngine::FreeText(char16_t* text) {
    --liveTexts;
    delete[] text;
}

void FakeEngine::Answer(int op, std::initializer_list<int32_t> results) {
    for (int32_t r : results) m_answers[op].push_back(r);
}

void FakeEngine::OnCall(int op, Action action) { m_actions[op] = std::move(action); }

char16_t* FakeEngine::NewText(const std::u16string& text) {
    char16_t* copy = new char16_t[text.size() + 1];
    std::copy(text.begin(), text.end(), copy);
    copy[text.size()] = u'\0';
    ++liveTexts;
    return copy;
}

void FakeEngine::HandOutText(int op, int arg, const std::u16string& text, int32_t result) {
    OnCall(op, [this, arg, text, result](const varo::EngineArg* args, int) {
        *args[arg].textOut = NewText(text);
        return result;
    });
}

void FakeEngine::HandOutI4(int op, int arg, int32_t value, int32_t result) {
    OnCall(op, [arg, value, result](const varo::EngineArg* args, int) {
        *args[arg].i4Out = value;
        return result;
    });
}

std::vector<int> FakeEngine::Ops() const {
    std::vector<int> ops;
    for (const Call& c : calls) ops.push_back(c.op);
    return ops;
}

const FakeEngine::Call* FakeEngine::LastCall(int op) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->op == op) return &*it;
    }
    return nullptr;
}

int FakeEngine::CallsOf(int op) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [op](const Call& c) { return c.op == op; }));
}

FakeEngineFactory::FakeEngineFactory() { varo::SetEngineFactory(this); }

FakeEngineFactory::~FakeEngineFactory() {
    varo::SetEngineFactory(nullptr);
    for (FakeEngine* e : m_engines) delete e;
}

varo::Engine* FakeEngineFactory::Create(const varo::HostServices* services) {
    host = services;
    if (failCreate) return nullptr;
    m_last = new FakeEngine;
    m_engines.push_back(m_last);
    if (prepare) prepare(*m_last);
    return m_last;
}

void FakeEngineFactory::Destroy(varo::Engine*) { ++destroyed; }
