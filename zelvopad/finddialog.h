// The modeless Find and Replace dialog over the editor's window.
#pragma once

#include <QDialog>

#include "search.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zpad {

class PadWindow;

class FindDialog : public QDialog {
public:
    FindDialog(PadWindow& window, bool replace, const QString& what, const QString& with, const FindOptions& options);

    bool isReplace() const { return replace_; }
    QLineEdit* whatField() const { return what_; }
    QLineEdit* withField() const { return with_; }
    FindOptions options() const;

private:
    void updateButtons();

    PadWindow& window_;
    bool replace_;
    QLineEdit* what_;
    QLineEdit* with_ = nullptr;
    QCheckBox* wholeWord_;
    QCheckBox* matchCase_;
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
    QList<QPushButton*> needText_;
};

}  // namespace zpad
