// Message boxes shown with QMessageBox, over the active window, with the
// application's title as caption and the program's icon, and wide enough
// for their caption.
#pragma once

#include <QString>
#include <memory>

#include "messages.h"

class QMessageBox;
class QWidget;

namespace fw {

// The box that show() runs: caption, text, buttons and icon, over parent.
std::unique_ptr<QMessageBox> make_message_box(const std::string& text, Buttons buttons, Icon icon, QWidget* parent);

class QtMessageService final : public MessageService {
public:
    Answer show(const std::string& text, Buttons buttons, Icon icon) override;
};

}  // namespace fw
