// What the O-C and identification result windows share: the records of a
// task run in a list of single selection, the Continue of a stopped run, and
// the start of their print jobs.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/document.h"
#include "framework/linelist.h"
#include "framework/printing.h"
#include "zelvo/app/context.h"
#include "zelvo/app/library.h"

namespace zelvo {

// The records of a run's work file, read in the record length of a format
// key (each up to its first zero byte); never written back.
class RunResultDoc : public fw::LineDocument {
protected:
    explicit RunResultDoc(int key) : key_(key) {}
    bool load(const std::string& path) override;
    bool save(const std::string& path) const override;

private:
    int key_;
};

class RunResultView : public fw::LineListView, public fw::Printable {
public:
    bool canClose() const override { return !running_; }
    bool onPreparePrinting(fw::PrintInfo& info) override;

    virtual bool interrupted() const = 0;
    virtual void OnContinue() = 0;
    virtual void OnFileSaveAs() = 0;

protected:
    RunResultView(AppContext& ctx, Library& lib) : ctx_(ctx), lib_(lib) {}

    // Save As, and Save too (the export through a file dialog, never over
    // the work file that Continue reads), Print, Print Preview and the
    // window's own preview command, Continue, and Help on helpContext.
    void addResultCommands(int previewCommand, int continueCommand, unsigned helpContext);

    // Why Continue is refused: the run was not stopped; the task has run
    // again since (its work file is another run's now).
    struct ContinueRefusals {
        const char* notStopped;
        const char* ranAgain;
    };
    // Whether the run of `serial` may continue while `latestSerial` is the
    // task's latest run; with report, the reason it may not is shown.
    bool continueAllowed(bool report, bool stopped, int serial, int latestSerial, const ContinueRefusals& why) const;
    // Runs a continuation from c with the progress bar (a report every step
    // lines). Like every run of a library task it makes a stopped ephemeris
    // unable to continue: the library's state is this task's now. False
    // (after the message) when another calculation holds the library.
    bool runContinuation(const RunCounters& c, int step, const std::function<void()>& call);
    // The list of lines() shown in the columns of the record format `key`;
    // the current row follows the selection.
    void showRecords(int key);
    // The start of a print job: the pages of the list, the format check and
    // the paper warning; false when nothing is to be printed.
    bool beginRecordPrinting(fw::PrintInfo& info, int key, bool narrowA4);

    const std::vector<std::string>& lines() const;

    AppContext& ctx_;
    Library& lib_;
    bool running_ = false;
    int linesPerPage_ = 45;
    std::optional<std::vector<std::string>> head_;
};

}  // namespace zelvo
