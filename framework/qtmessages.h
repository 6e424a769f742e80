// Message boxes shown with QMessageBox, over the active window, with the
// application's title as caption.
#pragma once

#include "messages.h"

namespace fw {

class QtMessageService final : public MessageService {
public:
    Answer show(const std::string& text, Buttons buttons, Icon icon) override;
};

}  // namespace fw
