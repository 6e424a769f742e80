// File dialogs behind an interface: the program asks for a file to open or
// a name to save under; the Qt implementation shows QFileDialog, tests
// install a scripted one. Filters are written as the program's resources
// have them: "Name (*.ext)|*.ext|All files (*.*)|*.*||".
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace fw {

struct FileDialogRequest {
    bool open = true;             // open (true) or save as (false)
    std::string defaultExt;       // without its point; added to a typed name without one
    std::string filter;           // "Name|pattern|...||"
    std::string initialPath;      // directory or file shown first (empty: the current directory)
    bool promptCreate = false;    // open: a name that does not exist is offered for creation
    bool overwritePrompt = true;  // save: asks before replacing a file
};

// "A (*.a)|*.a|B|*.*||" as Qt's name filters "A (*.a)", "B (*.*)": each
// name keeps its text; a name that shows no pattern gets the pattern in
// brackets.
std::vector<std::string> qt_name_filters(const std::string& filter);

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // The chosen path; nothing when the user cancelled.
    virtual std::optional<std::string> ask(const FileDialogRequest& desc) = 0;
};

FileDialogService& fileDialogs();
// Installs a service (the caller keeps ownership); null puts the Qt one back.
void setFileDialogService(FileDialogService* service);

// QFileDialog over the active window.
class QtFileDialogService final : public FileDialogService {
public:
    std::optional<std::string> ask(const FileDialogRequest& desc) override;
};

// For tests: records every request and answers from a queue (nothing, i.e.
// Cancel, when the queue is empty).
class ScriptedFileDialogService final : public FileDialogService {
public:
    std::vector<FileDialogRequest> asked;
    std::deque<std::optional<std::string>> answers;
    std::optional<std::string> ask(const FileDialogRequest& desc) override;
};

class ScopedFileDialogService {
public:
    explicit ScopedFileDialogService(FileDialogService& s);
    ~ScopedFileDialogService();
    ScopedFileDialogService(const ScopedFileDialogService&) = delete;
    ScopedFileDialogService& operator=(const ScopedFileDialogService&) = delete;

private:
    FileDialogService* previous_;
};

}  // namespace fw
