// Message boxes. Every message box of the program carries the application's
// title as its caption. The program talks to the interface below; the Qt
// implementation shows real boxes, tests install a scripted one, and a
// non-interactive run writes the messages to standard error.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace fw {

// RetrySkipAllCancel: Retry and Cancel, and between them the answer that
// a program offers in a batch, "Skip all" (the same fault in every later
// item is passed over without asking again).
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, RetrySkipAllCancel };
enum class Icon { None, Information, Warning, Error, Question };
enum class Answer { Ok, Cancel, Yes, No, Retry, SkipAll };

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows text (UTF-8, "\n" breaks lines) and returns the button pressed.
    virtual Answer show(const std::string& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None) = 0;
};

// The caption of every message box (the application's title).
const std::string& messageTitle();
void setMessageTitle(std::string title);

// The service in use (a non-interactive one until the program installs
// another). The caller keeps ownership of what it installs.
MessageService& messages();
void setMessageService(MessageService* service);

// Shorthand for messages().show(...).
Answer message(const std::string& text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None);
// A box with a caption of its own ("Error!", "Attention!") in place of the
// application's title.
Answer titled_message(const std::string& caption, const std::string& text, Buttons buttons = Buttons::Ok,
                      Icon icon = Icon::None);

// The answer a box gives when nobody is there to press a button: Ok, or the
// refusing button (No, Cancel) of a question.
Answer default_answer(Buttons buttons);

// Writes "title: text" to standard error and gives default_answer().
class StderrMessageService final : public MessageService {
public:
    Answer show(const std::string& text, Buttons buttons, Icon icon) override;
};

// For tests: records every box and answers from a queue (default_answer()
// when the queue is empty).
class ScriptedMessageService final : public MessageService {
public:
    struct Shown {
        std::string title;
        std::string text;
        Buttons buttons;
    };
    std::vector<Shown> shown;
    std::deque<Answer> answers;

    Answer show(const std::string& text, Buttons buttons, Icon icon) override;
};

// Installs a service for the life of the object, then puts the previous back.
class ScopedMessageService {
public:
    explicit ScopedMessageService(MessageService& s);
    ~ScopedMessageService();
    ScopedMessageService(const ScopedMessageService&) = delete;
    ScopedMessageService& operator=(const ScopedMessageService&) = delete;

private:
    MessageService* previous_;
};

}  // namespace fw
