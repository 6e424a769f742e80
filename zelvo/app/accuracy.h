// The motion model of a computation: elliptic motion, nodes (osculating
// elements of the yearly files) or numerical integration with chosen
// perturbing bodies and the Sun's relativistic term.
//
// AccuracyPageModel holds the page's state and rules; CAccuracyPage shows
// it. The ephemeris set-up dialog keeps its own page over its task record
// (columns 1165-1178); the O-C task's page lives in CAccuracyDlg over
// OcAccuracySettings.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "framework/pageddialog.h"
#include "zelvo/app/context.h"

class QCheckBox;
class QPlainTextEdit;
class QRadioButton;
class QWidget;

namespace zelvo {

// Indices of the page's 13 boxes: the 12 bodies of OcAccuracySettings, then
// the relativistic Sun.
inline constexpr int kBoxEarth = 2;
inline constexpr int kBoxRelSun = 12;

class AccuracyPageModel {
public:
    int model = -1;               // 0 elliptic motion, 1 nodes, 2 integration
    int earthMode = -1;           // 0 "Earth + Moon", 1 "Earth, Moon"
    std::array<int, 13> boxes{};  // ticked bodies (Earth 0/1) and the relativistic Sun
    bool perturbersEnabled = false;
    bool nodesEnabled = true;

    // From the O-C settings (the model shown), or from a task record's
    // columns 1165-1178. An introduced orbit has no nodes: model 1 becomes
    // elliptic motion and Nodes is disabled.
    void initFromSettings(const OcAccuracySettings& s, bool introducedOrbit);
    void initFromRecord(std::string_view record, bool introducedOrbit);

    void onEllipticMotion();
    void onNodes();
    void onIntegration();
    // Box i was clicked and is now ticked or not. The last box cleared
    // leaves nodes.
    void onPerturberClicked(int i, bool ticked);
    bool earthRadiosEnabled() const { return perturbersEnabled && boxes[kBoxEarth] != 0; }

    // The choice as the O-C settings (model and model shown) or as the
    // record's digits.
    void store(OcAccuracySettings& s) const;
    void storeRecord(std::string& record) const;

private:
    void setBodies(const std::array<int, 12>& switches, int relSun);
    void finishInit(bool introducedOrbit);
};

// The page (resource 181).
class CAccuracyPage final : public QWidget {
public:
    explicit CAccuracyPage(AccuracyPageModel& model, QWidget* parent = nullptr);
    // The model's state into the controls.
    void showModel();
    AccuracyPageModel& model() { return model_; }

    QRadioButton* radio(int model) const { return radios_[static_cast<std::size_t>(model)]; }
    QCheckBox* box(int i) const { return boxes_[static_cast<std::size_t>(i)]; }
    QRadioButton* earthRadio(int mode) const { return earth_[static_cast<std::size_t>(mode)]; }

private:
    void clicked(int i);

    AccuracyPageModel& model_;
    std::array<QRadioButton*, 3> radios_{};
    std::array<QCheckBox*, 13> boxes_{};
    std::array<QRadioButton*, 2> earth_{};
    QPlainTextEdit* relText_ = nullptr;
    std::vector<QWidget*> groups_;
};

// "Calculation accuracy" (resource 182): the tree "OC" / "Accuracy" and the
// page over the O-C settings. OK stores the page's choice; Cancel changes
// nothing.
class CAccuracyDlg final : public fw::PagedDialog {
public:
    // settings: the choice of the O-C window that opens the dialog (OK
    // stores into it); orbitIntroduced: that window's orbit is typed.
    CAccuracyDlg(AppContext& ctx, OcAccuracySettings& settings, bool orbitIntroduced, QWidget* parent = nullptr);
    bool onInitDialog() override;
    void onOK() override;
    CAccuracyPage* page() const { return page_; }

private:
    AppContext& ctx_;
    OcAccuracySettings& settings_;
    bool orbitIntroduced_;
    AccuracyPageModel model_;
    CAccuracyPage* page_;
};

}  // namespace zelvo
