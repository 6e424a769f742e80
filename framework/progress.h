// Progress of a library run, the one-step message pump and the busy guard.
//
// A library run executes on the GUI thread inside a command. The library
// calls back into the program at intervals; the callback advances the run's
// bar, lets the event loop dispatch what is pending (so the windows repaint
// and the Cancel button works) and returns the cancel flag. The program has
// one Progress, progress(); begin() ... end() brackets a run and holds the
// busy guard, during which commands that would call the library again are
// refused (Application) and closing the main window asks to stop the run
// first (MainFrame).
#pragma once

#include <functional>

namespace fw {

// Shows the state of a run (a modeless dialog in the program; nothing, or a
// recording object, in tests).
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual void open(int lower, int upper, int position) = 0;
    virtual void setPosition(int position) = 0;
    virtual void close() = 0;
};

// True while a library run is in progress.
bool library_busy();

// Marks a library run without a progress window (a short synchronous call
// that pumps nothing needs none). acquired() is false when a run was already
// in progress: the caller must not call the library then.
class BusyGuard {
public:
    BusyGuard();
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;
    bool acquired() const { return acquired_; }

private:
    bool acquired_;
};

class Progress {
public:
    // Starts a run: cancel flag cleared, the bar's range lower..upper (any
    // int range), its position and step; the window opens. False, with nothing
    // changed, while another run is in progress.
    bool begin(int lower, int upper, int position, int step);
    // Ends the run: the window closes, the busy guard goes. The cancel flag
    // keeps its value until the next run.
    void end();
    bool running() const { return running_; }

    // Advances the bar by its step, pumps one step of events, returns the
    // cancel flag (1 asks the library to stop).
    int stepIt();
    // The step becomes increment, then as stepIt.
    int stepBy(int increment);
    // The user's Cancel: the flag is set and the window closes.
    void requestCancel();
    int cancelRequested() const { return cancel_; }

    int lower() const { return lower_; }
    int upper() const { return upper_; }
    int position() const { return position_; }
    int step() const { return step_; }
    // Times the bar moved during the current (or last) run.
    int advances() const { return advances_; }

    // The window that shows the runs (set between runs).
    void setWindow(ProgressWindow* w) { window_ = w; }
    ProgressWindow* window() const { return window_; }

private:
    void advance();

    ProgressWindow* window_ = nullptr;
    bool running_ = false;
    bool windowOpen_ = false;
    int cancel_ = 0;
    int lower_ = 0, upper_ = 100, position_ = 0, step_ = 1, advances_ = 0;
};

// The program's one progress.
Progress& progress();

// Lets the event loop dispatch the events that are pending, without waiting
// for more. A hook set for tests runs first (it stands for what the user
// does while the run goes on).
void pump_one_message();
void set_pump_hook(std::function<void()> hook);

}  // namespace fw
