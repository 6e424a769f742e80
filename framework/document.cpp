#include "document.h"

#include <fstream>
#include <iterator>

#include "binfile.h"
#include "doctemplate.h"
#include "filedialogs.h"
#include "ids.h"
#include "messages.h"

namespace fw {

Document::Document() {
    onCommandId(ids::kFileSave, [this] { doFileSave(); });
    onCommandId(ids::kFileSaveAs, [this] { doSaveAs(); });
    onUpdateId(ids::kFileSave, [this](CommandUI& ui) { ui.enable(savable()); });
    onUpdateId(ids::kFileSaveAs, [this](CommandUI& ui) { ui.enable(savable()); });
}

std::string Document::saveExtension() const {
    if (template_ == nullptr) return {};
    std::string ext = template_->docString().filterExt;
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    return ext;
}

std::string Document::saveFilter() const {
    std::string f;
    if (template_ != nullptr && !template_->docString().filterName.empty() && !saveExtension().empty())
        f = template_->docString().filterName + "|*." + saveExtension() + "|";
    return f + "All files (*.*)|*.*||";
}

bool Document::doSaveAs() {
    if (!savable()) return false;
    FileDialogRequest desc;
    desc.open = false;
    desc.defaultExt = saveExtension();
    desc.filter = saveFilter();
    desc.initialPath = path_;
    desc.overwritePrompt = true;
    const std::optional<std::string> path = fileDialogs().ask(desc);
    if (!path) return false;
    if (!onSaveDocument(*path)) {
        reportSaveFailure(*path);
        return false;
    }
    return true;
}

bool Document::doFileSave() {
    if (!savable()) return false;
    if (path_.empty()) return doSaveAs();
    if (!onSaveDocument(path_)) {
        reportSaveFailure(path_);
        return false;
    }
    return true;
}

bool Document::saveModified() {
    if (!modified_ || !savable()) return true;
    switch (message("Save changes to " + title_ + "?", Buttons::YesNoCancel, Icon::Warning)) {
        case Answer::Yes:
            return doFileSave();
        case Answer::No:
            return true;
        default:
            return false;
    }
}

bool Document::onNewDocument() {
    path_.clear();
    modified_ = false;
    changed_ = false;
    return true;
}

bool Document::onOpenDocument(const std::string& path) {
    if (!load(path)) return false;
    setPathName(path);
    modified_ = false;
    changed_ = false;
    return true;
}

bool Document::onSaveDocument(const std::string& path) {
    saveError_.clear();
    if (!save(path)) return false;
    setPathName(path);
    modified_ = false;
    return true;
}

void Document::setPathName(const std::string& path) {
    path_ = path;
    const auto slash = path.find_last_of('/');
    title_ = slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Document::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

bool Document::save(const std::string& path) const { return writeFile(path, {}); }

bool Document::writeFile(const std::string& path, std::string_view bytes) const {
    const WriteStatus s = write_file(path, bytes);
    saveError_ = s.error;
    return static_cast<bool>(s);
}

void Document::reportSaveFailure(const std::string& path) const {
    message(saveError_.empty() ? "Failed to save document.\n" + path : saveError_, Buttons::Ok, Icon::Warning);
}

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::size_t stop = end;
        if (stop > start && text[stop - 1] == '\r') --stop;
        out.emplace_back(text, start, stop - start);
        start = end + 1;
    }
    return out;
}

bool LineDocument::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    lines = split_lines(text);
    return true;
}

bool LineDocument::save(const std::string& path) const {
    std::string bytes;
    for (const std::string& l : lines) (bytes += l) += "\r\n";
    return writeFile(path, bytes);
}

}  // namespace fw
