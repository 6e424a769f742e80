// Tasks|Ephemerides: the set-up dialog, the run of the ephemeris driver, the
// result's header text from "eph.hat" and the result window.
#include "framework/doctemplate.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "zelvo/ephemeris/ephdialog.h"
#include "zelvo/ephemeris/ephresult.h"
#include "zelvo/shell/app.h"
#include "zelvomat/io/files.h"

namespace zelvo {

// "HeaderText" of an ephemeris result: the first line of "eph.hat" without
// its leading blanks, CR LF, the second without its trailing blanks, and a
// pointer to Task Info when restrictions were set. Empty after the message
// when the header cannot be read.
std::string ephemerisHeaderText(const std::string& selectionText) {
    const auto header = readEphHeader(std::string(zelvomat::files::kEphemerisHeader));
    if (!header) {
        fw::message("Warning: header file not found");
        return {};
    }
    return ephemerisHeaderText(*header, selectionText);
}

void TaskApp::OnTasksEphemerides() {
    using namespace fw::ids;
    if (!setPanes({kSeparator, kIndicatorRec, kIndicatorCaps})) return;
    CEphTaskDlg dlg(ctx_, lib_, {orbitInput_, observatorySearch_, resultOpener_}, mainFrame());
    dlg.onCancelled = [this] {
        if (frame() != nullptr) frame()->ResetStatusPanes();
    };
    if (dlg.doModal() != fw::kIdOk) return;
    restoreWorkDir();
    const std::string result = dlg.RunEphemerisComputation();
    if (result.empty()) {
        // The failure was shown; there is no result to open.
        if (frame() != nullptr) frame()->ResetStatusPanes();
        return;
    }
    if (resultOpener_ == nullptr) {
        // The program's own window: it reads the header and keeps the run's
        // counters for its Continue.
        OpenEphemerisResult(*this, ctx_, ctx_.EphRun);
        return;
    }
    ctx_.HeaderText = ephemerisHeaderText(ctx_.SelectionText);
    ctx_.EphemerisMode = true;
    resultOpener_->openEphemerisResult(result);
}

}  // namespace zelvo
