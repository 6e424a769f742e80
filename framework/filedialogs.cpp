#include "filedialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

#include "messages.h"

namespace fw {

namespace {
FileDialogService*& current() {
    static FileDialogService* s = nullptr;
    return s;
}
QtFileDialogService& qt_service() {
    static QtFileDialogService s;
    return s;
}
}  // namespace

std::vector<std::string> qt_name_filters(const std::string& filter) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= filter.size()) {
        const std::size_t bar = filter.find('|', start);
        const std::string part = filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        parts.push_back(part);
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string& name = parts[i];
        const std::string& pattern = parts[i + 1];
        if (name.empty()) break;
        std::string patterns = pattern;
        for (char& c : patterns)
            if (c == ';') c = ' ';
        out.push_back(name.find('(') != std::string::npos ? name : name + " (" + patterns + ")");
    }
    return out;
}

FileDialogService& fileDialogs() { return current() != nullptr ? *current() : qt_service(); }

void setFileDialogService(FileDialogService* service) { current() = service; }

std::optional<std::string> QtFileDialogService::ask(const FileDialogRequest& desc) {
    QFileDialog dlg(QApplication::activeWindow());
    QStringList filters;
    for (const std::string& f : qt_name_filters(desc.filter)) filters << QString::fromStdString(f);
    if (!filters.isEmpty()) dlg.setNameFilters(filters);
    dlg.setAcceptMode(desc.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(desc.open && !desc.promptCreate ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dlg.setOption(QFileDialog::ReadOnly, false);
    if (!desc.overwritePrompt) dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!desc.defaultExt.empty()) dlg.setDefaultSuffix(QString::fromStdString(desc.defaultExt));
    if (!desc.initialPath.empty()) dlg.selectFile(QString::fromStdString(desc.initialPath));
    dlg.setWindowTitle(desc.open ? QStringLiteral("Open") : QStringLiteral("Save As"));
    for (;;) {
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
        const QString file = dlg.selectedFiles().front();
        if (desc.open && desc.promptCreate && !QFileInfo::exists(file)) {
            const std::string text =
                QFileInfo(file).fileName().toStdString() + "\nThis file does not exist.\nDo you want to create it?";
            if (message(text, Buttons::YesNo, Icon::Question) != Answer::Yes) continue;
        }
        return file.toStdString();
    }
}

std::optional<std::string> ScriptedFileDialogService::ask(const FileDialogRequest& desc) {
    asked.push_back(desc);
    if (answers.empty()) return std::nullopt;
    std::optional<std::string> a = answers.front();
    answers.pop_front();
    return a;
}

ScopedFileDialogService::ScopedFileDialogService(FileDialogService& s) : previous_(current()) {
    setFileDialogService(&s);
}
ScopedFileDialogService::~ScopedFileDialogService() { setFileDialogService(previous_); }

}  // namespace fw
