#include "zelvo/ephemeris/obsdlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <fstream>

#include "framework/cp1252.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "zelvo/app/helpcontexts.h"

namespace zelvo {

bool ObservatorySearch::search(const std::string& fragment) {
    std::string text = fragment.substr(0, std::min(fragment.size(), kFragmentWidth));
    text.resize(kFragmentWidth, ' ');
    int count = 0;
    std::string fileName;
    lib_.sea_obs(text.data(), static_cast<int>(text.size()), count, fileName);
    if (count <= 0) {
        fw::message("Fragment not found");
        return false;
    }
    std::vector<std::string> found;
    {
        std::ifstream in(fileName, std::ios::binary);
        std::string rec(kMatchLength, '\0');
        while (in && static_cast<int>(found.size()) < count &&
               in.read(rec.data(), static_cast<std::streamsize>(rec.size())))
            found.push_back(rec);
    }
    std::error_code ec;
    std::filesystem::remove(fileName, ec);
    if (found.empty()) {
        fw::message("System error: No temporary file created");
        return false;
    }
    matches_ = std::move(found);
    searched_ = true;
    return true;
}

std::optional<std::string> ObservatorySearch::chosen(int index) const {
    if (!searched_ || index < 0 || index >= static_cast<int>(matches_.size())) return std::nullopt;
    return matches_[static_cast<std::size_t>(index)];
}

CObsSearchDlg::CObsSearchDlg(Library& lib, QWidget* parent)
    : fw::Dialog(parent, help::kObservatorySearch), model_(lib), fragment_(new QLineEdit), list_(new QComboBox) {
    setWindowTitle(QStringLiteral("Search of observatory"));
    setFont(fw::fixed_font(12));
    fragment_->setObjectName(QStringLiteral("ctl1001"));
    fragment_->setMaxLength(static_cast<int>(ObservatorySearch::kFragmentWidth));
    list_->setObjectName(QStringLiteral("ctl1002"));
    list_->setMinimumContentsLength(static_cast<int>(ObservatorySearch::kMatchLength));
    list_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* searchBtn = new QPushButton(QStringLiteral("Search"));
    searchBtn->setObjectName(QStringLiteral("ctl1003"));
    QObject::connect(searchBtn, &QPushButton::clicked, this, [this] { onSearch(); });
    auto* g = new QGridLayout;
    g->addWidget(new QLabel(QStringLiteral("Fragment of name:")), 0, 0);
    g->addWidget(fragment_, 0, 1);
    g->addWidget(searchBtn, 0, 2);
    g->addWidget(new QLabel(QStringLiteral("Found:")), 1, 0);
    g->addWidget(list_, 1, 1, 1, 2);
    auto* l = new QVBoxLayout(this);
    l->addLayout(g);
    l->addWidget(fw::ok_cancel_buttons(this));
}

void CObsSearchDlg::onSearch() {
    if (!model_.search(fw::toCp1252(fragment_->text()))) return;
    list_->clear();
    for (const std::string& m : model_.matches()) list_->addItem(fw::fromCp1252(m).trimmed());
    list_->setCurrentIndex(0);
    list_->setFocus();
}

void CObsSearchDlg::onOK() {
    const auto line = model_.chosen(list_->currentIndex());
    if (!line) {
        endDialog(fw::kIdCancel);
        return;
    }
    text = *line;
    endDialog(fw::kIdOk);
}

}  // namespace zelvo
