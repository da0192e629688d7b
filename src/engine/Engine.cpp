#include "engine/Engine.h"

#include "engine/Countdowns.h"
#include "engine/TaskChain.h"

namespace engine {

Engine::Engine(model::MainForm& form, platform::Platform& platform, PassLog log)
    : record_(std::make_unique<RunRecord>()),
      chain_(std::make_unique<TaskChain>(form, platform, *record_)),
      countdowns_(std::make_unique<Countdowns>(form, *record_)) {
    record_->log = std::move(log);
}

Engine::~Engine() = default;

}  // namespace engine
