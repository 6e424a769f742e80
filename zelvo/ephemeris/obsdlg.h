// The observatory search dialog (resource 124): the user types a fragment of
// an observatory's name, Search has the library look it up in the record list
// of observatories, and the matches are offered in a list to choose from.
//
// The library writes its matches into the work file it names ("observat.sp1",
// 54-byte records, no separators): bytes 1-3 the observatory code, byte 4 a
// blank, bytes 5-54 the 50-character name. The dialog reads exactly as many
// records as the library reports found (the file may hold more, left from an
// earlier search) and deletes the file.
//
// ObservatorySearch holds the dialog's state and is driven by the tests;
// CObsSearchDlg only shows it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "zelvo/app/library.h"

class QComboBox;
class QLineEdit;

namespace zelvo {

class ObservatorySearch {
public:
    static constexpr std::size_t kMatchLength = 54;  // one record of the match file
    static constexpr std::size_t kFragmentWidth = 50;

    explicit ObservatorySearch(Library& lib) : lib_(lib) {}

    // Search: the matches of fragment, or the message "Fragment not found"
    // (the earlier matches stay). False when nothing was found or the match
    // file could not be read.
    bool search(const std::string& fragment);

    // Whether a search has found anything; only then can OK choose a line.
    bool searched() const { return searched_; }
    // The matches of the last successful search (54 characters each).
    const std::vector<std::string>& matches() const { return matches_; }
    // The line chosen (index into matches), as OK gives it back: nothing
    // without a search or a choice.
    std::optional<std::string> chosen(int index) const;

private:
    Library& lib_;
    bool searched_ = false;
    std::vector<std::string> matches_;
};

class CObsSearchDlg final : public fw::Dialog {
public:
    CObsSearchDlg(Library& lib, QWidget* parent = nullptr);

    ObservatorySearch& model() { return model_; }
    // After OK: the chosen line (code, a blank, the name).
    std::string text;

    // The Search button.
    void onSearch();
    // OK ends with kIdOk only with a line chosen after a search; otherwise
    // as Cancel.
    void onOK() override;

    QLineEdit* fragmentEdit() const { return fragment_; }
    QComboBox* matchList() const { return list_; }

private:
    ObservatorySearch model_;
    QLineEdit* fragment_;
    QComboBox* list_;
};

}  // namespace zelvo
