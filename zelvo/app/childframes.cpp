#include "zelvo/app/childframes.h"

#include "framework/doctemplate.h"
#include "framework/document.h"
#include "framework/messages.h"
#include "framework/progress.h"
#include "zelvo/app/icons.h"
#include "zelvo/app/lineedit.h"
#include "zelvo/app/tables.h"

namespace zelvo {

namespace {

fw::BarLayout headerBar(const std::string& text, bool disabled) {
    return {bars::kHeader, fw::Dock::Bottom, fw::BarLayout::Kind::Header, {{bars::kHeaderEdit, text}}, disabled};
}

// A caption bar: lines of ColumnCaptionTable record rec into the controls.
fw::BarLayout captionBar(int id, int rec, std::vector<int> controls, bool disabled) {
    fw::BarLayout b{id, fw::Dock::Top, fw::BarLayout::Kind::Captions, {}, disabled};
    for (std::size_t i = 0; i < controls.size(); ++i) {
        std::string text;
        if (rec >= 0 && rec < static_cast<int>(ColumnCaptionTable.size()))
            text = std::string(ColumnCaptionTable[static_cast<std::size_t>(rec)][i]);
        b.controls.push_back({controls[i], text});
    }
    return b;
}

}  // namespace

std::vector<fw::BarLayout> captionBars(FrameClass c, int taskCode, int observationTypeCode,
                                       const std::string& headerText) {
    switch (c) {
        case FrameClass::CChildFrame:
            return {};
        case FrameClass::CChildFrm2:
            return {headerBar(headerText, true), captionBar(153, taskCode, {1074, 1059}, true)};
        case FrameClass::CChildFrm3:
            return {headerBar(headerText, true), captionBar(170, taskCode, {1074, 1059}, true)};
        case FrameClass::CChildFrm4:
            return {captionBar(171, taskCode, {1074, 1059}, true)};
        case FrameClass::CChildFrm5:
            return {captionBar(152, taskCode, {1074, 1059}, true)};
        case FrameClass::CChildFrm6:
            return {captionBar(172, taskCode, {1076, 1062, 1064}, true)};
        case FrameClass::CChildFrm7: {
            std::vector<fw::BarLayout> out{headerBar(headerText, true)};
            switch (taskCode) {
                case 0:
                    out.push_back(captionBar(173, taskCode, {1074}, true));
                    break;
                case 1:
                case 2:
                    out.push_back(captionBar(174, taskCode, {1074}, true));
                    break;
                case 3:
                case 4:
                case 5:
                    out.push_back(captionBar(175, taskCode, {1076, 1062}, true));
                    break;
                case 6:
                    out.push_back(captionBar(176, taskCode, {1076}, true));
                    break;
                case 7:
                case 8:
                    out.push_back(captionBar(177, taskCode, {1076, 1062}, true));
                    break;
                case 9:
                    out.push_back(captionBar(178, taskCode, {1076, 1062}, true));
                    break;
                default:
                    break;
            }
            return out;
        }
        case FrameClass::CChildOC: {
            // Captions by the main-plane digit (tens) of the observation type.
            const int plane = (observationTypeCode / 10) % 10;
            return {captionBar(171, 16 + plane, {1074, 1059}, false), headerBar(headerText, false)};
        }
    }
    return {};
}

TaskChildFrame::TaskChildFrame(FrameClass c, AppContext& ctx, Library& lib) : class_(c), ctx_(ctx), lib_(lib) {
    setWindowIcon(documentIcon());
}

bool TaskChildFrame::rebuildsObservatories() const {
    return class_ == FrameClass::CChildFrame && taskCode_ == kTaskObservatories && document() != nullptr &&
           document()->wasChanged();
}

bool TaskChildFrame::onCloseRequest() {
    if (rebuildsObservatories() && fw::library_busy()) {
        fw::message("A calculation is in progress. Close this window when it has ended.");
        return false;
    }
    return true;
}

void TaskChildFrame::onFrameClosed() {
    if (rebuildsObservatories()) lib_.obswri();
}

std::vector<fw::BarLayout> TaskChildFrame::barLayouts() {
    taskCode_ = ctx_.TaskCode;
    const fw::DocTemplate* t = document() != nullptr ? document()->docTemplate() : nullptr;
    formatKey_ = t != nullptr ? windowFormatKey(t->docName(), ctx_.ObservationTypeCode) : 0;
    return captionBars(class_, ctx_.TaskCode, ctx_.ObservationTypeCode, ctx_.HeaderText);
}

}  // namespace zelvo
