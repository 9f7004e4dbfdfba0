#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "platform/testing/memory_log_sink.h"
#include "platform/testing/trust_switch.h"
#include "platform/testing/virtual_time.h"
#include "reconnect/reconnect_orchestrator.h"
#include "support/scripted_selector.h"

namespace tonvera::testing {

struct OrchestratorFixture : ::testing::Test {
    std::shared_ptr<VirtualTime> time = std::make_shared<VirtualTime>();
    std::shared_ptr<ScriptedSelector> native = std::make_shared<ScriptedSelector>(time);
    std::shared_ptr<ScriptedSelector> script = std::make_shared<ScriptedSelector>(time);
    std::shared_ptr<TrustSwitch> trust = std::make_shared<TrustSwitch>(true);
    std::shared_ptr<MemoryLogSink> log = std::make_shared<MemoryLogSink>();
    ReconnectOrchestrator orchestrator{native, script, trust, time, log};
};

}  // namespace tonvera::testing
