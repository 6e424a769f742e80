// The panes of a status bar as plain state: the ids in order (0 is the
// stretching separator pane), each pane's text and its width in characters
// (the length of the string resource of its id).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace fw {

class StatusPanes {
public:
    explicit StatusPanes(const std::map<int, std::string>* strings = nullptr) : strings_(strings) {}

    // Replaces the panes. Refuses (false, nothing changed) a set in which an
    // id other than the separator has no string resource or appears twice.
    bool setIndicators(const std::vector<int>& ids);
    const std::vector<int>& ids() const { return ids_; }
    int count() const { return static_cast<int>(ids_.size()); }
    bool has(int id) const;
    // Index of the pane of id, -1 when absent.
    int indexOf(int id) const;

    const std::string& text(int id) const;
    void setText(int id, const std::string& text);
    // Width in characters; 0 for the separator (it stretches).
    int widthChars(int id) const;

private:
    const std::map<int, std::string>* strings_;
    std::vector<int> ids_{0};
    std::map<int, std::string> texts_;
};

}  // namespace fw
