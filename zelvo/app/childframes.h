// The child frames of the task windows. The plain frame carries no bars; the
// seven others carry a caption bar over the list with the column captions of
// the current TaskCode and, for result windows, a header bar below it showing
// HeaderText. Both values are read once, when the frame is created.
#pragma once

#include <vector>

#include "context.h"
#include "framework/childframe.h"
#include "library.h"

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
inline constexpr int kHeader = 117;      // read-only header edit 1311
inline constexpr int kHeaderEdit = 1311;
}  // namespace bars

// The bars of a frame class for the given program-wide values, in creation
// order (an empty list for CChildFrame, and for an ephemeris result whose
// TaskCode is outside 0-9 only the header).
std::vector<fw::BarSpec> caption_bars(FrameClass c, int taskCode, int observationTypeCode,
                                      const std::string& headerText);

class TaskChildFrame : public fw::ChildFrame {
public:
    TaskChildFrame(FrameClass c, AppContext& ctx, Library& lib);

    FrameClass frameClass() const { return class_; }

protected:
    std::vector<fw::BarSpec> barSpecs() override;
    // The plain frame: when the observatory list was the last task window
    // opened (TaskCode 17 at this moment), the library rebuilds its record
    // list from the text list.
    void onFrameClosed() override;

private:
    FrameClass class_;
    AppContext& ctx_;
    Library& lib_;
};

}  // namespace zelvo
