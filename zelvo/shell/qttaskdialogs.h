// The program's own dialogs behind the task dialogs' interface.
#pragma once

#include "zelvo/app/taskdialogs.h"

namespace zelvo {

// The program's dialogs.
class QtTaskDialogs final : public TaskDialogs {
public:
    std::optional<std::string> editLine(const StringEditRequest& request) override;
    std::optional<std::string> magnitude(const std::string& text, Library& lib) override;
    std::optional<std::pair<std::string, std::string>> tolerance(const std::string& ra,
                                                                 const std::string& decl) override;
    std::optional<ObsChoice> observatoryChoice() override;
    std::optional<SeparationChoice> separation(const SeparationChoice& start, AppContext& ctx, Library& lib) override;
    bool observationType(ObsTypeModel& model) override;
    bool accuracy(AppContext& ctx, OcAccuracySettings& settings, bool orbitIntroduced) override;
    void orbitParameters(OrbitParamModel& model, std::function<void(bool)> openOrbitInput) override;
    void parallax(const std::string& record) override;
    // The library that the dialogs' field checks call.
    void setLibrary(Library* lib) { lib_ = lib; }

private:
    Library* lib_ = nullptr;
};

}  // namespace zelvo
