#include "statuspanes.h"

#include <algorithm>

namespace fw {

bool StatusPanes::setIndicators(const std::vector<int>& ids) {
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (std::count(ids.begin(), ids.end(), ids[i]) > 1) return false;
        if (ids[i] != 0 && (strings_ == nullptr || strings_->count(ids[i]) == 0)) return false;
    }
    ids_ = ids;
    texts_.clear();
    return true;
}

bool StatusPanes::has(int id) const { return indexOf(id) >= 0; }

int StatusPanes::indexOf(int id) const {
    auto it = std::find(ids_.begin(), ids_.end(), id);
    return it == ids_.end() ? -1 : static_cast<int>(it - ids_.begin());
}

const std::string& StatusPanes::text(int id) const {
    static const std::string empty;
    auto it = texts_.find(id);
    return it == texts_.end() ? empty : it->second;
}

void StatusPanes::setText(int id, const std::string& text) {
    if (has(id)) texts_[id] = text;
}

int StatusPanes::widthChars(int id) const {
    if (id == 0 || strings_ == nullptr) return 0;
    auto it = strings_->find(id);
    return it == strings_->end() ? 0 : static_cast<int>(it->second.size());
}

}  // namespace fw
