// A recording stand-in for the database engine: every call is logged with
// its arguments, and each operation answers from a script (a queue of
// results, or an action that may also write the outputs). Unscripted calls
// answer success: 0 for code results, 1 for boolean ones, except that
// IsReadOnly answers 0 (writable).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "EngineFactory.h"
#include "EngineInterface.h"

class FakeEngine : public varo::Engine {
public:
    struct Arg {
        varo::ArgKind kind;
        int64_t value = 0;       // I4 and Bool values
        std::u16string text;     // Text values
        const void* pointer = nullptr;  // every address kind
    };
    struct Call {
        int op;
        std::vector<Arg> args;
    };
    typedef std::function<int32_t(const varo::EngineArg* args, int count)> Action;

    int32_t Invoke(int op, const varo::EngineArg* args, int count) override;
    void FreeText(char16_t* text) override;

    // The next calls of `op` answer these results, in order.
    void Answer(int op, std::initializer_list<int32_t> results);
    // Every later call of `op` runs `action` (after queued answers run out).
    void OnCall(int op, Action action);

    // A text to hand out through a TextOut argument; FreeText releases it.
    char16_t* NewText(const std::u16string& text);
    // Every later call of `op` writes `text` (as NewText) or `value` to its
    // output argument `arg` and answers `result`.
    void HandOutText(int op, int arg, const std::u16string& text, int32_t result = 1);
    void HandOutI4(int op, int arg, int32_t value, int32_t result = 0);

    std::vector<int> Ops() const;
    const Call* LastCall(int op) const;
    int CallsOf(int op) const;

    std::vector<Call> calls;
    int liveTexts = 0;

private:
    std::map<int, std::deque<int32_t>> m_answers;
    std::map<int, Action> m_actions;
};

// Installs itself as the kit's engine factory for its lifetime; every Init
// gets a new FakeEngine, reachable as engine().
class FakeEngineFactory : public varo::EngineFactory {
public:
    FakeEngineFactory();
    ~FakeEngineFactory() override;

    varo::Engine* Create(const varo::HostServices* host) override;
    void Destroy(varo::Engine* engine) override;

    // The engine made by the last Init (it survives End for inspection
    // until the next Init).
    FakeEngine& engine() { return *m_last; }
    bool failCreate = false;
    int destroyed = 0;
    const varo::HostServices* host = nullptr;
    // Applied to every engine this factory makes, before the kit uses it.
    std::function<void(FakeEngine&)> prepare;

private:
    std::vector<FakeEngine*> m_engines;
    FakeEngine* m_last = nullptr;
};
