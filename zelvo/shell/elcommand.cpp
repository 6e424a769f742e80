// Tasks|Elements: the query dialog, then a new element list of the query.
// Closing the list brings the query back while the task is current.
#include "framework/ids.h"
#include "framework/progress.h"
#include "zelvo/graphics/elwindows.h"
#include "zelvo/shell/app.h"

namespace zelvo {

void TaskApp::OnTasksElements() {
    using namespace fw::ids;
    // The query and the list call the library: never inside a run (a list
    // closed while one is in progress brings no query back).
    if (fw::library_busy()) return;
    if (!setPanes({kSeparator, kIndicatorRec, kIndicatorCaps})) return;
    CElSelectDlg dlg(ctx_, lib_, mainFrame());
    if (dlg.doModal() != fw::kIdOk) {
        if (frame() != nullptr) frame()->ResetStatusPanes();
        return;
    }
    ctx_.ReopenElementsTask = true;
    openIn("Elements", {});
}

}  // namespace zelvo
