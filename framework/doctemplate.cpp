#include "doctemplate.h"

#include <algorithm>

#include "document.h"
#include "view.h"

namespace fw {

DocString DocString::parse(const std::string& text) {
    std::vector<std::string> f;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nl = text.find('\n', start);
        f.push_back(text.substr(start, nl == std::string::npos ? std::string::npos : nl - start));
        if (nl == std::string::npos) break;
        start = nl + 1;
    }
    f.resize(7);
    return {f[0], f[1], f[2], f[3], f[4], f[5], f[6]};
}

DocTemplate::DocTemplate(int resourceId, const std::string& docString, DocumentFactory makeDocument,
                         FrameFactory makeFrame, ViewFactory makeView)
    : id_(resourceId),
      strings_(DocString::parse(docString)),
      makeDocument_(std::move(makeDocument)),
      makeFrame_(std::move(makeFrame)),
      makeView_(std::move(makeView)) {}

void DocTemplate::addDocument(Document* d) { open_.push_back(d); }

void DocTemplate::removeDocument(Document* d) { open_.erase(std::remove(open_.begin(), open_.end(), d), open_.end()); }

DocTemplate* find_template(const std::vector<std::unique_ptr<DocTemplate>>& templates, const std::string& name) {
    for (const auto& t : templates)
        if (t->docName() == name) return t.get();
    return nullptr;
}

}  // namespace fw
