#include "zelvo/observations/platedialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "framework/linelist.h"
#include "framework/messages.h"
#include "zelvo/app/helpcontexts.h"

namespace zelvo {

bool checkMagnitudeLimit(Library& lib, const std::string& text) {
    if (text == "0.0") return true;
    const auto b = text.find_first_not_of(' ');
    const std::string whole =
        b == std::string::npos ? std::string() : text.substr(b, text.find_last_not_of(' ') - b + 1);
    // The search reads the whole text: what does not fit the field is not
    // a magnitude the check has seen.
    if (whole.empty() || whole.size() > 6) return false;
    char field[6];
    std::fill(std::begin(field), std::end(field), ' ');
    std::copy(whole.begin(), whole.end(), field);
    int err = 0, aux = 0;
    double value = 0;
    lib.contreph(14, field, 6, err, value, aux);
    return err == 0;
}

CMagnitudeDlg::CMagnitudeDlg(Library& lib, QWidget* parent) : fw::Dialog(parent, help::kPlateMagnitude), lib_(lib) {
    setWindowTitle(QStringLiteral("Magnitude"));
    setFont(fw::fixed_font(13));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("xx.x")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Magnitude limit:")), 1, 0);
    edit_ = new QLineEdit;
    edit_->setObjectName(QStringLiteral("1071"));
    grid->addWidget(edit_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("m")), 1, 2);
    grid->addWidget(fw::ok_cancel_buttons(this), 2, 0, 1, 3);
}

void CMagnitudeDlg::doDataExchange(fw::DataExchange& dx) { fw::ddx_text(dx, edit_, limitText); }

void CMagnitudeDlg::onOK() {
    if (!updateData(true)) return;
    if (!checkMagnitudeLimit(lib_, limitText)) {
        fw::message(kMagnitudeMessage);
        edit_->setFocus();
        return;
    }
    endDialog(fw::kIdOk);
}

CObjectInfoDlg::CObjectInfoDlg(const ObjectInfo& i, QWidget* parent) : fw::Dialog(parent, help::kObjectInfo), info(i) {
    setWindowTitle(QStringLiteral("Object Info"));
    setFont(fw::fixed_font(13));
    for (QLineEdit*& e : edits_) {
        e = new QLineEdit;
        e->setReadOnly(true);
    }
    auto* grid = new QGridLayout(this);
    auto label = [](const char* t) { return new QLabel(QString::fromLatin1(t)); };
    grid->addWidget(label("Name:"), 0, 0);
    grid->addWidget(edits_[6], 0, 1, 1, 6);
    grid->addWidget(label("R.A.:"), 1, 0);
    grid->addWidget(label("Decl.:"), 2, 0);
    const char* raUnits[3] = {"h", "m", "s"};
    const char* declUnits[3] = {"o", "'", "\""};
    for (int k = 0; k < 3; ++k) {
        edits_[k]->setMaximumWidth(k == 2 ? 70 : 40);
        edits_[3 + k]->setMaximumWidth(k == 2 ? 70 : 40);
        grid->addWidget(edits_[k], 1, 1 + 2 * k);
        grid->addWidget(label(raUnits[k]), 1, 2 + 2 * k);
        grid->addWidget(edits_[3 + k], 2, 1 + 2 * k);
        grid->addWidget(label(declUnits[k]), 2, 2 + 2 * k);
    }
    edits_[3]->setAlignment(Qt::AlignRight);
    grid->addWidget(label("Mag.:"), 3, 0);
    edits_[7]->setMaximumWidth(70);
    grid->addWidget(edits_[7], 3, 1, 1, 3);
    grid->addWidget(fw::ok_cancel_buttons(this, false), 4, 0, 1, 7);
    move(300, 50);
}

void CObjectInfoDlg::doDataExchange(fw::DataExchange& dx) {
    std::string* fields[8] = {&info.raHours,     &info.raMinutes,   &info.raSeconds, &info.declDegrees,
                              &info.declMinutes, &info.declSeconds, &info.name,      &info.magnitude};
    for (int k = 0; k < 8; ++k) fw::ddx_text(dx, edits_[k], *fields[k]);
}

}  // namespace zelvo
