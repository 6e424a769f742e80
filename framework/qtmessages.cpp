#include "qtmessages.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include "dialog.h"

namespace fw {

std::unique_ptr<QMessageBox> make_message_box(const std::string& text, Buttons buttons, Icon icon, QWidget* parent) {
    QMessageBox::StandardButtons b = QMessageBox::Ok;
    switch (buttons) {
        case Buttons::Ok:
            b = QMessageBox::Ok;
            break;
        case Buttons::OkCancel:
            b = QMessageBox::Ok | QMessageBox::Cancel;
            break;
        case Buttons::YesNo:
            b = QMessageBox::Yes | QMessageBox::No;
            break;
        case Buttons::YesNoCancel:
            b = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            break;
        case Buttons::RetryCancel:
            b = QMessageBox::Retry | QMessageBox::Cancel;
            break;
        case Buttons::RetrySkipAllCancel:
            b = QMessageBox::Retry | QMessageBox::Ignore | QMessageBox::Cancel;
            break;
    }
    QMessageBox::Icon i = QMessageBox::NoIcon;
    switch (icon) {
        case Icon::None:
            i = QMessageBox::NoIcon;
            break;
        case Icon::Information:
            i = QMessageBox::Information;
            break;
        case Icon::Warning:
            i = QMessageBox::Warning;
            break;
        case Icon::Error:
            i = QMessageBox::Critical;
            break;
        case Icon::Question:
            i = QMessageBox::Question;
            break;
    }
    const QString title = QString::fromStdString(messageTitle());
    auto box = std::make_unique<QMessageBox>(i, title, QString::fromStdString(text), b, parent);
    if (buttons == Buttons::RetrySkipAllCancel) box->button(QMessageBox::Ignore)->setText(QStringLiteral("Skip all"));
    // A short text would make a box narrower than its caption, which the
    // title bar then cuts: a spacer across the box's grid keeps it wide (the
    // box sets its own size from its layout).
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()))
        grid->addItem(new QSpacerItem(title_bar_width(title), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box;
}

Answer QtMessageService::show(const std::string& text, Buttons buttons, Icon icon) {
    const auto box = make_message_box(text, buttons, icon, QApplication::activeWindow());
    switch (box->exec()) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Retry:
            return Answer::Retry;
        case QMessageBox::Ignore:
            return Answer::SkipAll;
        default:
            return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

}  // namespace fw
