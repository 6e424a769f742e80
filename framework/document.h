// Documents: the data behind a window, with its file, its title and the
// modified flag. Plain classes; the windows only show them.
//
// Saving: a document that a user edits (savable() true) answers File|Save
// (57603) and File|Save As (57604): Save writes its file, Save As asks for a
// name with the filter and extension of its template first; either makes
// the file the document's own and clears the modified flag. Before its
// window closes, saveModified() asks "Save changes to <title>?" when the
// document is modified: Yes saves, No discards, Cancel keeps the window.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "command.h"

namespace fw {

class DocTemplate;

class Document : public CommandTarget {
public:
    Document();
    ~Document() override = default;

    // A new, empty document. The default has nothing to set up.
    virtual bool onNewDocument();
    // Reads path; on success the document takes path as its file and title
    // and is unmodified.
    virtual bool onOpenDocument(const std::string& path);
    // Writes path; on success the document takes path as its file and is
    // unmodified.
    virtual bool onSaveDocument(const std::string& path);

    bool isModified() const { return modified_; }
    void setModified(bool modified = true) {
        modified_ = modified;
        if (modified) changed_ = true;
    }
    // Whether the data were ever changed since the document was made or
    // opened (saving does not clear it).
    bool wasChanged() const { return changed_; }

    const std::string& pathName() const { return path_; }
    void setPathName(const std::string& path);
    // The file name without its directory, or the template's new-file name
    // with a number for a document that has no file yet.
    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

    DocTemplate* docTemplate() const { return template_; }
    void setDocTemplate(DocTemplate* t) { template_ = t; }

    // Whether the user's Save and Save As write this document (false for
    // result documents that only show what a task wrote). The default is
    // false.
    virtual bool savable() const { return false; }
    // File|Save: the document's file, or Save As when it has none. False
    // when nothing was written (after the message when writing failed).
    bool doFileSave();
    // File|Save As: the save dialog with the template's filter, then the
    // chosen file. False when cancelled or writing failed.
    bool doSaveAs();
    // The question before the window closes: true when the window may close.
    bool saveModified();
    // The save dialog's filter of the template ("Name (*.ext)|*.ext|All
    // files (*.*)|*.*||"), and its extension without the point.
    std::string saveFilter() const;
    std::string saveExtension() const;

protected:
    // The file work of onOpenDocument and onSaveDocument.
    virtual bool load(const std::string& path);
    virtual bool save(const std::string& path) const;
    // Why load() refused the file, shown instead of the plain "Failed to
    // open document." when set.
    void setLoadError(std::string text) { loadError_ = std::move(text); }

public:
    const std::string& loadError() const { return loadError_; }

protected:
    // Writes the whole file through write_file (binfile.h); when it fails,
    // its message (the file and the reason) is what the save shows.
    bool writeFile(const std::string& path, std::string_view bytes) const;

public:
    // Shows why the last save failed: the file and the reason.
    void reportSaveFailure(const std::string& path) const;

private:
    mutable std::string saveError_;
    std::string loadError_;
    std::string path_;
    std::string title_;
    bool modified_ = false;
    bool changed_ = false;
    DocTemplate* template_ = nullptr;
};

// A document whose data is an array of text lines (bytes, shown as
// Windows-1252), read from a text file whose lines end with CR LF, LF or
// nothing at the end of the file, and written back with CR LF.
class LineDocument : public Document {
public:
    std::vector<std::string> lines;

protected:
    bool load(const std::string& path) override;
    bool save(const std::string& path) const override;
};

// Splits text into lines; CR LF and LF end a line, a last line without an end
// counts, an empty text has no lines.
std::vector<std::string> split_lines(const std::string& text);

}  // namespace fw
