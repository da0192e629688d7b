#pragma once

#include <memory>
#include <string>

#include "engine/Engine.h"
#include "form/VirtualTime.h"
#include "model/main/MainForm.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/MemorySettingsBackend.h"
#include "settings/Store.h"

namespace testing_support {

// The main window with its engine on virtual time, a scripted platform and an
// in-memory store, as the program puts them together.
struct Harness {
    explicit Harness(std::string exe = "velmora") : section(std::move(exe)) {}

    // Builds the window and runs its start-up over whatever the store holds.
    void load() {
        store = std::make_unique<settings::Store>(backend, section);
        form = std::make_unique<model::MainForm>(vt.scheduler, *store, section, platform);
        engine = std::make_unique<engine::Engine>(*form, platform, passLog);
        form->Form_Load();
        backend.reads.clear();
        backend.writes.clear();
    }

    void seed(const std::string& key, const std::string& value) { backend.seed(section, key, value); }
    std::optional<std::string> stored(const std::string& key) const { return backend.value(section, key); }

    std::string section;
    form::VirtualTime vt;
    platform::FakePlatform platform{vt.clock};
    platform::MemorySettingsBackend backend;
    std::unique_ptr<settings::Store> store;
    std::unique_ptr<model::MainForm> form;
    std::unique_ptr<engine::Engine> engine;
    engine::PassLog passLog;  // set before load() to read the pass's trace
};

}  // namespace testing_support
