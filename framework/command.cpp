#include "command.h"

namespace fw {

bool CommandTarget::onCommand(int id) {
    auto it = handlers_.find(id);
    if (it == handlers_.end()) return false;
    it->second();
    return true;
}

bool CommandTarget::onUpdateCommand(CommandUI& ui) {
    auto up = updaters_.find(ui.id);
    if (up != updaters_.end()) {
        up->second(ui);
        return true;
    }
    if (handlers_.count(ui.id) != 0) {
        ui.enabled = true;
        return true;
    }
    return false;
}

bool CommandRouter::dispatch(int id) const {
    for (CommandTarget* t : chain_)
        if (t != nullptr && t->onCommand(id)) return true;
    return false;
}

CommandUI CommandRouter::query(int id) const {
    CommandUI ui;
    ui.id = id;
    for (CommandTarget* t : chain_)
        if (t != nullptr && t->onUpdateCommand(ui)) return ui;
    ui.enabled = false;
    return ui;
}

}  // namespace fw
