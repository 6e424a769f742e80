// The line documents of the observation tasks: the user's editable input
// files as arrays of fixed-length records of one RecordFormatTable format.
//
// A text format of line length L (82 for the observation, identification and
// plate lines) holds each line as L - 2 characters followed by CR LF: lines
// are read up to LF or CR LF (a last line without its end counts), cut or
// blank-padded to L - 2 characters and given CR LF. The observatory list
// (key 200, L = 79) is a file of 79-byte records without line ends: each
// complete record is a line (its bytes up to a first zero byte), a short
// last block is dropped. Storing writes every line as it is held, with
// nothing between them, so a document stores its file back in its record
// format.
//
// The document keeps the format key it was opened with (the window's own,
// whatever later task commands set program-wide); the O-C input window
// changes it with its data type. It is marked modified only by the editing
// commands of its view; Save, Save As and the question on closing store it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "framework/document.h"
#include "zelvo/app/context.h"

namespace zelvo {

// The kinds of line documents, by their templates.
enum class LineDocKind {
    Observations,     // "OC": the O-C task's observation lines (*.oc), key C
    Identifications,  // "Indent": identification input (*.idn), key 10
    Observatories,    // "Observ1": the observatory list (*.obs, observa1.dat) or a selection, key 200
    Plates,           // "UltPla": plate lines (*.plt), key 100
};

// The lines of a file in format key: text lines of at least L - 2
// characters, each followed by its own line end (CR LF, LF or a lone CR;
// CR LF after a last line without one), or 79-byte observatory records;
// nothing when L is 0.
std::vector<std::string> readFormatLines(std::string_view bytes, int recordLength, bool records);

class LineListDocument final : public fw::LineDocument {
public:
    // formatKey: the document's format (RecordFormatTable). ctx: the
    // program-wide values the status panes show.
    LineListDocument(LineDocKind kind, int formatKey, AppContext& ctx, bool editable = true);
    ~LineListDocument() override;

    LineDocKind kind() const { return kind_; }
    int formatKey() const { return key_; }
    void setFormatKey(int key) { key_ = key; }
    // Whether the lines are raw observatory records (no line ends).
    bool holdsRecords() const { return key_ == 200; }
    bool savable() const override { return editable_; }

    // The document's own row count, shown by its "Num " pane when it has a
    // level of the row-count stack (observatory windows; -1 none).
    void setRowCountLevel(int level) { level_ = level; }
    int rowCountLevel() const { return level_; }

protected:
    bool load(const std::string& path) override;
    bool save(const std::string& path) const override;

private:
    LineDocKind kind_;
    int key_;
    AppContext& ctx_;
    bool editable_;
    int level_ = -1;
};

// A result file of fixed records without line ends that a task driver wrote
// ("result.id4", "result.pl4": 82-byte records of format key 40 or 400): each
// complete record is a line of its text up to a first zero byte, at most the
// record length less two characters; a partial record at the end is
// dropped. Never written back.
class RecordResultDocument final : public fw::LineDocument {
public:
    explicit RecordResultDocument(int formatKey) : key_(formatKey) {}
    int formatKey() const { return key_; }

protected:
    bool load(const std::string& path) override;
    bool save(const std::string& path) const override;

private:
    int key_;
};

}  // namespace zelvo
