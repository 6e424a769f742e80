// Document templates: each ties a document class, a child frame class and a
// view class to a resource id (which also names its menu) and a document
// string. The program finds a template by its document name.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document.h"
#include "view.h"

namespace fw {

class ChildFrame;

// The seven fields of a document string, separated by "\n":
// window title, document name, new-file name, filter name, filter extension,
// file type id, file type name. Missing fields are empty.
struct DocString {
    std::string windowTitle;
    std::string docName;
    std::string fileNewName;
    std::string filterName;
    std::string filterExt;
    std::string fileTypeId;
    std::string fileTypeName;

    static DocString parse(const std::string& text);
};

class DocTemplate {
public:
    using DocumentFactory = std::function<std::unique_ptr<Document>()>;
    using ViewFactory = std::function<std::unique_ptr<View>()>;
    using FrameFactory = std::function<ChildFrame*()>;

    DocTemplate(int resourceId, const std::string& docString, DocumentFactory makeDocument, FrameFactory makeFrame,
                ViewFactory makeView);

    int resourceId() const { return id_; }
    const DocString& docString() const { return strings_; }
    const std::string& docName() const { return strings_.docName; }

    std::unique_ptr<Document> createDocument() const { return makeDocument_(); }
    std::unique_ptr<View> createView() const { return makeView_(); }
    ChildFrame* createFrame() const { return makeFrame_(); }

    // Open documents of this template, in opening order.
    const std::vector<Document*>& documents() const { return open_; }
    void addDocument(Document* d);
    void removeDocument(Document* d);
    // Number for the title of the next untitled document.
    int nextUntitledNumber() { return ++untitled_; }

private:
    int id_;
    DocString strings_;
    DocumentFactory makeDocument_;
    FrameFactory makeFrame_;
    ViewFactory makeView_;
    std::vector<Document*> open_;
    int untitled_ = 0;
};

// The first template whose document name equals name exactly; null when none.
DocTemplate* find_template(const std::vector<std::unique_ptr<DocTemplate>>& templates, const std::string& name);

}  // namespace fw
