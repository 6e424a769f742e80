#include "finddialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "padwindow.h"

namespace zpad {

FindDialog::FindDialog(PadWindow& window, bool replace, const QString& what, const QString& with,
                       const FindOptions& options)
    : QDialog(&window), window_(window), replace_(replace) {
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* fields = new QGridLayout;
    what_ = new QLineEdit(what);
    auto* whatLabel = new QLabel(QStringLiteral("Fi&nd what:"));
    whatLabel->setBuddy(what_);
    fields->addWidget(whatLabel, 0, 0);
    fields->addWidget(what_, 0, 1);
    if (replace) {
        with_ = new QLineEdit(with);
        auto* withLabel = new QLabel(QStringLiteral("Re&place with:"));
        withLabel->setBuddy(with_);
        fields->addWidget(withLabel, 1, 0);
        fields->addWidget(with_, 1, 1);
    }
    wholeWord_ = new QCheckBox(QStringLiteral("Match &whole word only"));
    wholeWord_->setChecked(options.wholeWord);
    matchCase_ = new QCheckBox(QStringLiteral("Match &case"));
    matchCase_->setChecked(options.matchCase);

    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    auto* checks = new QHBoxLayout;
    auto* boxes = new QVBoxLayout;
    boxes->addWidget(wholeWord_);
    boxes->addWidget(matchCase_);
    checks->addLayout(boxes);
    if (!replace) {
        auto* direction = new QGroupBox(QStringLiteral("Direction"));
        auto* d = new QHBoxLayout(direction);
        up_ = new QRadioButton(QStringLiteral("&Up"));
        down_ = new QRadioButton(QStringLiteral("&Down"));
        (options.down ? down_ : up_)->setChecked(true);
        d->addWidget(up_);
        d->addWidget(down_);
        checks->addWidget(direction);
    }
    left->addLayout(checks);
    left->addStretch();

    auto* buttons = new QVBoxLayout;
    auto* findNext = new QPushButton(QStringLiteral("&Find Next"));
    findNext->setDefault(true);
    buttons->addWidget(findNext);
    needText_ << findNext;
    connect(findNext, &QPushButton::clicked, this, [this] { window_.find(what_->text(), this->options()); });
    if (replace) {
        auto* one = new QPushButton(QStringLiteral("&Replace"));
        auto* all = new QPushButton(QStringLiteral("Replace &All"));
        buttons->addWidget(one);
        buttons->addWidget(all);
        needText_ << one << all;
        connect(one, &QPushButton::clicked, this,
                [this] { window_.replace(what_->text(), with_->text(), this->options()); });
        connect(all, &QPushButton::clicked, this,
                [this] { window_.replaceAll(what_->text(), with_->text(), this->options()); });
    }
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    buttons->addWidget(cancel);
    buttons->addStretch();
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);

    connect(what_, &QLineEdit::textChanged, this, [this] { updateButtons(); });
    updateButtons();
    what_->selectAll();
}

FindOptions FindDialog::options() const {
    FindOptions o;
    o.matchCase = matchCase_->isChecked();
    o.wholeWord = wholeWord_->isChecked();
    // Replace searches down.
    o.down = down_ == nullptr || down_->isChecked();
    return o;
}

void FindDialog::updateButtons() {
    for (QPushButton* b : needText_) b->setEnabled(!what_->text().isEmpty());
}

}  // namespace zpad
