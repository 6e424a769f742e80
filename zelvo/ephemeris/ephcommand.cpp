// Tasks|Ephemerides: the set-up dialog, the run of the ephemeris driver, the
// result's header text from "eph.hat" and the result window.
#include <filesystem>
#include <fstream>

#include "app.h"
#include "ephdialog.h"
#include "framework/doctemplate.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "io/files.h"

namespace zelvo {

namespace {

// Text of an 82-byte header record up to its first zero byte.
std::string record_text(const char* rec, std::size_t n) {
    std::string t(rec, n);
    return t.substr(0, t.find('\0'));
}

}  // namespace

// "HeaderText" of an ephemeris result: the first line of "eph.hat" without
// its leading blanks, CR LF, the second without its trailing blanks, and a
// pointer to Task Info when restrictions were set. Empty after the message
// when the header cannot be read.
std::string ephemeris_header_text(const std::string& selectionText) {
    std::ifstream in(std::string(zelvomat::files::kEphemerisHeader), std::ios::binary);
    if (!in) {
        fw::message("Warning: header file not found");
        return {};
    }
    char rec[82] = {};
    std::string header;
    in.read(rec, sizeof rec);
    std::string first = record_text(rec, static_cast<std::size_t>(in.gcount()));
    first.erase(0, std::min(first.size(), first.find_first_not_of(' ')));
    header += first + "\r\n";
    std::fill(std::begin(rec), std::end(rec), '\0');
    in.read(rec, sizeof rec);
    std::string second = record_text(rec, static_cast<std::size_t>(in.gcount()));
    const auto end = second.find_last_not_of(' ');
    header += end == std::string::npos ? std::string() : second.substr(0, end + 1);
    if (selectionText != " ") header += "  See Task Info for imposed restrictions";
    return header;
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
    ctx_.HeaderText = ephemeris_header_text(ctx_.SelectionText);
    ctx_.EphemerisMode = true;
    if (resultOpener_ != nullptr) {
        resultOpener_->openEphemerisResult(result);
        return;
    }
    // Every template named "Eph" shows the result.
    for (const auto& t : templates())
        if (t->docName() == "Eph") openDocumentFile(*t, result);
}

}  // namespace zelvo
