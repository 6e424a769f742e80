// Tasks|Orbits: toolbar 151 in the main frame and one more orbit window.
#include <QToolBar>

#include "framework/progress.h"
#include "zelvo/graphics/orbitview.h"
#include "zelvo/graphics/plottoolbars.h"
#include "zelvo/shell/app.h"

namespace zelvo {

void TaskApp::OnTasksOrbits() {
    // The window calls the library as it opens: never inside a run.
    if (fw::library_busy()) return;
    restoreWorkDir();
    if (MainFrame* mf = frame()) {
        if (mf->loadToolBar(cmd::kOrbitToolbar)) {
            ctx_.CurrentToolbarId = cmd::kOrbitToolbar;
            if (mf->toolBar() != nullptr) mf->toolBar()->show();
        }
    }
    openIn("Orb", {});
}

}  // namespace zelvo
