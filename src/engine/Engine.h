#pragma once

#include <memory>

#include "engine/RunRecord.h"
#include "model/main/MainForm.h"
#include "platform/Platform.h"

namespace engine {

class TaskChain;
class Countdowns;

// The task chain, the process watch and the autostart and autoclose
// countdowns, attached to the main window's controls. Construct it before the
// window's Form_Load: start-up relies on the autoclose tick's click behaviour.
// `log` receives the pass's trace lines (see PassLog).
class Engine {
public:
    Engine(model::MainForm& form, platform::Platform& platform, PassLog log = {});
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    TaskChain& chain() { return *chain_; }
    Countdowns& countdowns() { return *countdowns_; }

private:
    std::unique_ptr<RunRecord> record_;
    std::unique_ptr<TaskChain> chain_;
    std::unique_ptr<Countdowns> countdowns_;
};

}  // namespace engine
