// A kit object initialised over the recording fake engine.
#pragma once

#include <gtest/gtest.h>

#include "EngineOperations.h"
#include "FakeEngine.h"
#include "VAROObj.h"

class KitTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_kit.Init(nullptr), 1); }
    FakeEngine& engine() { return m_factory.engine(); }
    // The calls made since Init.
    std::vector<int> OpsAfterInit() {
        std::vector<int> ops = engine().Ops();
        ops.erase(ops.begin());
        return ops;
    }

    FakeEngineFactory m_factory;
    CVAROObj m_kit;
};
