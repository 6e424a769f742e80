#include "qtmessages.h"

#include <QApplication>
#include <QMessageBox>

namespace fw {

Answer QtMessageService::show(const std::string& text, Buttons buttons, Icon icon) {
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
    QMessageBox box(i, QString::fromStdString(messageTitle()), QString::fromStdString(text), b,
                    QApplication::activeWindow());
    switch (box.exec()) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Retry:
            return Answer::Retry;
        default:
            return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

}  // namespace fw
