// The child frames of the task windows. The plain frame carries no bars; the
// seven others carry a caption bar over the list with the column captions of
// the current TaskCode and, for result windows, a header bar below it showing
// HeaderText. Both values are read once, when the frame is created.
#pragma once

#include <vector>

#include "framework/childframe.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"

namespace zelvo {

enum class FrameClass {
    CChildFrame,  // plots, element windows, plate windows without captions, observatory list
    CChildFrm2,   // O-C results
    CChildFrm3,   // plate object list
    CChildFrm4,   // identification input
    CChildFrm5,   // identification results
    CChildFrm6,   // plate list
    CChildFrm7,   // ephemeris results
    CChildOC,     // O-C input
};

// Bar and control ids of the dialog bars.
namespace bars {
inline constexpr int kHeader = 117;  // read-only header edit 1311
inline constexpr int kHeaderEdit = 1311;
}  // namespace bars

// The bars of a frame class for the given program-wide values, in creation
// order (an empty list for CChildFrame, and for an ephemeris result whose
// TaskCode is outside 0-9 only the header).
std::vector<fw::BarLayout> captionBars(FrameClass c, int taskCode, int observationTypeCode,
                                       const std::string& headerText);

class TaskChildFrame : public fw::ChildFrame {
public:
    TaskChildFrame(FrameClass c, AppContext& ctx, Library& lib);

    FrameClass frameClass() const { return class_; }
    // The TaskCode and the record format of the window's lines, fixed when
    // the window was created.
    int taskCode() const { return taskCode_; }
    int formatKey() const { return formatKey_; }

protected:
    std::vector<fw::BarLayout> barLayouts() override;
    // An observatory list window whose list was changed is not closed
    // during a library run (closing it calls the library).
    bool onCloseRequest() override;
    // An observatory list window (opened for TaskCode 17) whose list was
    // changed: the library rebuilds its record list from the text list.
    // Other windows, and later changes of TaskCode, play no part.
    void onFrameClosed() override;

private:
    bool rebuildsObservatories() const;

    FrameClass class_;
    int taskCode_ = -1;
    int formatKey_ = 0;
    AppContext& ctx_;
    Library& lib_;
};

}  // namespace zelvo
