#include "tasks/libstate.h"

namespace zelvomat {

namespace {
thread_local LibraryState* current_state = nullptr;
}  // namespace

LibraryState& process_library_state() {
    static LibraryState state;
    return state;
}

LibraryState& library_state() { return current_state != nullptr ? *current_state : process_library_state(); }

CoreState& core_state() { return library_state().core; }

void LibraryState::reset() {
    // The members' own destructors close what they hold open.
    *this = LibraryState{};
}

ScopedLibraryState::ScopedLibraryState(LibraryState& state) : previous_(current_state) { current_state = &state; }

ScopedLibraryState::~ScopedLibraryState() { current_state = previous_; }

}  // namespace zelvomat
