// The progress dialog of the library runs and the callbacks that the task
// drivers call.
//
// A run: the cancel flag is cleared, the modeless dialog "Calculation
// progress" opens over the main window with the bar's range (1 to the number
// of input lines, or 1 to 100 for percentages), position and step, the
// driver is called with ProgressStep or ProgressStepBy, and the dialog goes.
// Each callback advances the bar, lets the event loop dispatch what is
// pending and returns the cancel flag. While the run lasts the busy guard
// refuses a second run and the commands that would call the library.
#pragma once

#include <functional>

#include "framework/dialog.h"
#include "framework/progress.h"

class QProgressBar;

namespace zelvo {

// The program's ProgressCallback: advances the bar by its step (neither
// argument is used); pumps; the cancel flag.
int ProgressStep(int done, int total);
// The program's ProgressStepCallback: the step := increment, then as
// ProgressStep.
int ProgressStepBy(int increment);

// The run protocol around call. False, with nothing called, while another
// run is in progress.
bool runWithProgress(int lower, int upper, int position, int step, const std::function<void()>& call);

// The dialog (resource 118): a smooth progress bar (control 1098) and Cancel.
class CCalcProgressDlg final : public fw::Dialog, public fw::ProgressWindow {
public:
    explicit CCalcProgressDlg(QWidget* parent = nullptr);

    QProgressBar* progressBar() const { return progressBar_; }

    void open(int lower, int upper, int position) override;
    void setPosition(int position) override;
    void close() override;
    // Cancel (or Esc): the cancel flag is set and the dialog goes.
    void onCancel() override;

private:
    QProgressBar* progressBar_;
};

}  // namespace zelvo
