// The two dialogs of the plate task: "Magnitude" (108), the limiting
// magnitude of a plate search, and "Object Info" (150), the data of an
// object of the plate plot or the sky position of a point of it.
#pragma once

#include <string>

#include "framework/dialog.h"
#include "zelvo/app/library.h"
#include "zelvo/observations/plateplot.h"

class QLineEdit;

namespace zelvo {

// The check of the limit text that OK runs: "0.0" is taken at once;
// otherwise the text, as the search will read it (without its outer
// blanks), must fit the magnitude field of 6 characters and pass the
// library's field check. False when refused.
bool checkMagnitudeLimit(Library& lib, const std::string& text);

inline constexpr const char* kMagnitudeMessage = "Wrong field definition. Please enter number";

class CMagnitudeDlg final : public fw::Dialog {
public:
    CMagnitudeDlg(Library& lib, QWidget* parent = nullptr);
    std::string limitText;  // control 1071
    QLineEdit* edit() const { return edit_; }
    void onOK() override;

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    Library& lib_;
    QLineEdit* edit_;
};

class CObjectInfoDlg final : public fw::Dialog {
public:
    CObjectInfoDlg(const ObjectInfo& info, QWidget* parent = nullptr);
    ObjectInfo info;
    QLineEdit* field(int i) const { return edits_[i]; }  // in the order of ObjectInfo's members

protected:
    void doDataExchange(fw::DataExchange& dx) override;

private:
    QLineEdit* edits_[8];
};

}  // namespace zelvo
