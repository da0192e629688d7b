#include "model/main/Stored.h"

namespace model {

void Stored::tick(form::TickBox& box, std::string key) {
    entries_.push_back({[this, &box, key] { box.setValue(store_.getTick(key)); },
                        [this, &box, key] { store_.saveTick(key, box.value()); }});
}

void Stored::text(form::TextBox& box, std::string key) {
    entries_.push_back({[this, &box, key] { box.setText(store_.get(key)); },
                        [this, &box, key] { store_.save(key, box.text()); }});
}

void Stored::loadOnly(std::string key, std::function<void(const std::string&)> set) {
    entries_.push_back({[this, set = std::move(set), key] { set(store_.get(key)); }, nullptr});
}

void Stored::load() {
    for (const Entry& e : entries_) e.load();
}

void Stored::save() {
    for (const Entry& e : entries_)
        if (e.save) e.save();
}

}  // namespace model
