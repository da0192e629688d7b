#pragma once

#include <functional>
#include <string>
#include <vector>

#include "form/Controls.h"
#include "settings/Store.h"

namespace model {

// What a window keeps in the store, each value declared once with its key
// (the default is the key table's). load() reads them all and save() writes
// those the window saves, both in the order of declaration, which is the
// order a save has always written them in.
class Stored {
public:
    explicit Stored(settings::Store& store) : store_(store) {}
    Stored(const Stored&) = delete;
    Stored& operator=(const Stored&) = delete;

    // Loading sets the box's value, which runs its click handler on a change.
    void tick(form::TickBox& box, std::string key);
    void text(form::TextBox& box, std::string key);
    // A value another window saves: this one only loads it.
    void loadOnly(std::string key, std::function<void(const std::string&)> set);

    void load();
    void save();

private:
    struct Entry {
        std::function<void()> load, save;
    };
    settings::Store& store_;
    std::vector<Entry> entries_;
};

}  // namespace model
