// The program's own windows behind the ephemeris set-up's interfaces: the
// orbit input dialog over the ephemeris task record and the observatory
// search dialog. (The result window is opened by OpenEphemerisResult.)
#pragma once

#include "zelvo/app/context.h"
#include "zelvo/app/library.h"
#include "zelvo/ephemeris/ephdialog.h"

namespace zelvo {

class ProgramEphemerisWindows final : public OrbitInputLauncher, public ObservatorySearchLauncher {
public:
    ProgramEphemerisWindows(AppContext& ctx, Library& lib) : ctx_(ctx), lib_(lib) {}

    // The orbit input dialog over ctx.EphRecord; the record takes whatever
    // the dialog left in it.
    void runOrbitInput(QWidget* parent, bool asElements) override;
    // CObsSearchDlg: the chosen line after OK.
    std::optional<std::string> searchObservatory(QWidget* parent) override;

private:
    AppContext& ctx_;
    Library& lib_;
};

}  // namespace zelvo
