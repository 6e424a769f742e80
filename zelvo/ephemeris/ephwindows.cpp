#include "zelvo/ephemeris/ephwindows.h"

#include "framework/dialog.h"
#include "zelvo/ephemeris/obsdlg.h"
#include "zelvo/ephemeris/orbitinput.h"

namespace zelvo {

void ProgramEphemerisWindows::runOrbitInput(QWidget* parent, bool asElements) {
    ctx_.OrbitAsElements = asElements;
    runOrbitInputDialog(ctx_, lib_, ctx_.EphRecord, parent);
}

std::optional<std::string> ProgramEphemerisWindows::searchObservatory(QWidget* parent) {
    CObsSearchDlg dlg(lib_, parent);
    if (dlg.doModal() != fw::kIdOk) return std::nullopt;
    return dlg.text;
}

}  // namespace zelvo
