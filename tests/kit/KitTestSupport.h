// A kit object initialised over the recording fake engine.
#pragma once

#include <gtest/gtest.h>

#include "EngineOperations.h"
#include "FakeEngine.h"
#include "VAROObj.h"

// The five parts of a version record, kind first, for comparing as one.
inline std::vector<DWORD> VersionParts(const _VERSIONINF& v) {
    return {v.dwKind, v.dwMajor, v.dwMinor, v.dwThird, v.dwFourth};
}

class KitTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_kit.Init(nullptr), 1); }
    FakeEngine& engine() { return m_factory.engine(); }
    // The id of the process-wide tip record.
    long TipId() {
        long id = -1;
        m_kit.GetTipID(&id);
        return id;
    }
    // The calls made since Init.
    std::vector<int> OpsAfterInit() {
        std::vector<int> ops = engine().Ops();
        ops.erase(ops.begin());
        return ops;
    }

    FakeEngineFactory m_factory;
    CVAROObj m_kit;
};
