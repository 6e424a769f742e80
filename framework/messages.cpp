#include "messages.h"

#include <cstdio>

namespace fw {

namespace {
StderrMessageService& fallback_service() {
    static StderrMessageService s;
    return s;
}
MessageService*& current_service() {
    static MessageService* s = nullptr;
    return s;
}
}  // namespace

static std::string& title_storage() {
    static std::string t;
    return t;
}

const std::string& messageTitle() { return title_storage(); }
void setMessageTitle(std::string title) { title_storage() = std::move(title); }

MessageService& messages() {
    MessageService* s = current_service();
    return s != nullptr ? *s : fallback_service();
}

void setMessageService(MessageService* service) { current_service() = service; }

Answer message(const std::string& text, Buttons buttons, Icon icon) { return messages().show(text, buttons, icon); }

Answer titled_message(const std::string& caption, const std::string& text, Buttons buttons, Icon icon) {
    const std::string title = messageTitle();
    setMessageTitle(caption);
    const Answer a = messages().show(text, buttons, icon);
    setMessageTitle(title);
    return a;
}

Answer default_answer(Buttons buttons) {
    switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoCancel:
            return Answer::No;
        case Buttons::OkCancel:
        case Buttons::RetryCancel:
        case Buttons::RetrySkipAllCancel:
            return Answer::Cancel;
    }
    return Answer::Ok;
}

Answer StderrMessageService::show(const std::string& text, Buttons buttons, Icon) {
    std::fprintf(stderr, "%s: %s\n", messageTitle().c_str(), text.c_str());
    return default_answer(buttons);
}

Answer ScriptedMessageService::show(const std::string& text, Buttons buttons, Icon) {
    shown.push_back({messageTitle(), text, buttons});
    if (answers.empty()) return default_answer(buttons);
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

ScopedMessageService::ScopedMessageService(MessageService& s) : previous_(current_service()) { setMessageService(&s); }
ScopedMessageService::~ScopedMessageService() { setMessageService(previous_); }

}  // namespace fw
