// Command routing.
//
// A command is an integer id coming from a menu item, a toolbar button or an
// accelerator. It is offered to a chain of targets (the active view, its
// document, the active child frame, the main frame, the application) and the
// first target with a handler for the id takes it. Before a menu is shown, and
// in idle time for toolbars and status panes, the same chain is asked for the
// state of each id: an update handler may enable or disable it, check it and
// set its text (status panes show that text). An id that no target handles is
// disabled.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace fw {

// The state an update handler fills for one command id.
struct CommandUI {
    int id = 0;
    bool enabled = true;
    bool checked = false;
    std::optional<std::string> text;  // set by handlers of status panes and renamed items

    void enable(bool on = true) { enabled = on; }
    void setCheck(bool on = true) { checked = on; }
    void setText(std::string t) { text = std::move(t); }
};

class CommandTarget {
public:
    virtual ~CommandTarget() = default;

    // Runs the handler of id; false when this target has none.
    virtual bool onCommand(int id);
    // Fills ui by the update handler of ui.id; false when this target has
    // neither an update handler nor a command handler for it (a command
    // handler alone means "enabled").
    virtual bool onUpdateCommand(CommandUI& ui);

    bool hasHandler(int id) const { return handlers_.count(id) != 0; }

protected:
    void onCommandId(int id, std::function<void()> handler) { handlers_[id] = std::move(handler); }
    void onUpdateId(int id, std::function<void(CommandUI&)> handler) { updaters_[id] = std::move(handler); }

private:
    std::unordered_map<int, std::function<void()>> handlers_;
    std::unordered_map<int, std::function<void(CommandUI&)>> updaters_;
};

// One routing pass over an ordered chain of targets (null entries skipped).
class CommandRouter {
public:
    explicit CommandRouter(std::vector<CommandTarget*> chain) : chain_(std::move(chain)) {}

    // The first target with a handler runs it; false when none has one.
    bool dispatch(int id) const;
    // The state of id: the first target that knows the id decides; an id
    // that no target knows is disabled.
    CommandUI query(int id) const;

private:
    std::vector<CommandTarget*> chain_;
};

}  // namespace fw
