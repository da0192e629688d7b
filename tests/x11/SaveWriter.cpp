// A process that does what the all-settings window's "Save" does, through the
// program's own models, store and settings file, when told to by SIGUSR1;
// the crash test kills it at random moments while it writes. It stands in for
// a user's click, which a display-less test cannot make.

#include <signal.h>

#include <string>

#include "form/VirtualTime.h"
#include "model/main/MainForm.h"
#include "model/settings/SettingsForm.h"
#include "model/settings/SettingsWindows.h"
#include "model/settings/SingleSettingsForm.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeWindowHost.h"
#include "platform/posix/IniSettingsBackend.h"
#include "settings/Store.h"

int main(int argc, char** argv) {
    sigset_t go;
    sigemptyset(&go);
    sigaddset(&go, SIGUSR1);
    sigprocmask(SIG_BLOCK, &go, nullptr);

    const std::string name = settings::ExecutableName(argc > 0 ? argv[0] : "vm-save");
    platform::IniSettingsBackend backend;
    settings::Store store(backend, name);
    form::VirtualTime vt;
    platform::FakePlatform platform(vt.clock);
    model::MainForm main(vt.scheduler, store, name, platform);
    main.Form_Load();
    platform::FakeWindowHost host;
    model::SettingsWindows windows(main, host, platform);
    host.whileOpen("VELMORA_SINGLE_SETTINGS_WINDOW", [](form::Window& w) {
        dynamic_cast<model::SingleSettingsForm&>(w).VIEW_ALL_SETTINGS_BUTTON.click();
    });
    host.whileOpen("VELMORA_SETTINGS", [&](form::Window& w) {
        auto& all = dynamic_cast<model::SettingsForm&>(w);
        for (int n = 1; n <= model::kSlots; ++n) {
            all.row(n).name.setText("TASK " + std::to_string(n) + " new");
            all.row(n).process.setText("new-proc-" + std::to_string(n));
        }
        int signal = 0;
        sigwait(&go, &signal);
        all.SAVE_BUTTON.click();
    });
    main.SETTINGS_BUTTON.click();
    return 0;
}
