// The task launcher's tests share these: dialogs that answer from queues,
// observation lines, and a started program with scripted boxes, file
// dialogs and dialogs.
#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/document.h"
#include "framework/filedialogs.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "framework/printing.h"
#include "framework/progress.h"
#include "shell_support.h"
#include "zelvo/app/childframes.h"
#include "zelvo/app/taskdialogs.h"
#include "zelvo/observations/ocdialogs.h"
#include "zelvo/observations/ocwindows.h"
#include "zelvo/shell/app.h"

namespace zeltest {

namespace fs = std::filesystem;
using namespace zelvo;
using fw::Answer;

// Dialogs that answer from queues and record what they were shown.
struct ScriptedDialogs : TaskDialogs {
    std::vector<StringEditRequest> edits;
    std::deque<std::optional<std::string>> editAnswers;
    std::optional<std::string> magnitudeAnswer = std::string("18.5");
    std::optional<std::pair<std::string, std::string>> toleranceAnswer = std::make_pair("  20.0", "  10.0");
    std::optional<ObsChoice> obsAnswer;
    std::optional<SeparationChoice> sepAnswer;
    int sepObservatory = -1;
    SeparationChoice sepStart;

    std::optional<std::string> editLine(const StringEditRequest& r) override {
        edits.push_back(r);
        if (editAnswers.empty()) return std::nullopt;
        auto a = editAnswers.front();
        editAnswers.pop_front();
        return a;
    }
    std::optional<std::string> magnitude(const std::string&, Library&) override { return magnitudeAnswer; }
    std::optional<std::pair<std::string, std::string>> tolerance(const std::string&, const std::string&) override {
        return toleranceAnswer;
    }
    std::optional<ObsChoice> observatoryChoice() override { return obsAnswer; }
    std::optional<SeparationChoice> separation(const SeparationChoice& start, AppContext& ctx, Library&) override {
        sepStart = start;
        if (!sepAnswer) return std::nullopt;
        ctx.OcResultFromRun = 0;
        ctx.CalcInterrupted = 0;
        SeparationChoice answer = *sepAnswer;
        answer.observatory = sepObservatory;
        return answer;
    }
    // The observation type: the code to choose (nothing: Cancel).
    std::optional<int> typeAnswer;
    bool observationType(ObsTypeModel& m) override {
        if (!typeAnswer) return false;
        m.start(*typeAnswer);
        return m.ok();
    }
    std::optional<OcAccuracySettings> accuracyAnswer;
    bool accuracy(AppContext&, OcAccuracySettings& settings, bool) override {
        if (!accuracyAnswer) return false;
        settings = *accuracyAnswer;
        return true;
    }
    // The orbit parameters: what the user clicks in the dialog.
    std::function<void(OrbitParamModel&)> orbitAnswer;
    void orbitParameters(OrbitParamModel& m, std::function<void(bool)>) override {
        m.init();
        if (orbitAnswer) orbitAnswer(m);
    }
};

// An 80-column observation line.
inline std::string obs_line(const std::string& name, const std::string& code = "095") {
    std::string l = name;
    l.resize(15, ' ');
    l += "2005 03 11.12345 12 34 56.78 +12 34 56.7          15.2V       ";
    l.resize(77, ' ');
    l += code;
    return l;
}

inline std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A started program with scripted boxes, file dialogs and dialogs.
struct Started {
    zeltest::Package pkg;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};
    fw::ScriptedPrintDialogService prints;
    fw::ScopedPrintDialogService usePrints{prints};
    ScriptedDialogs dialogs;
    TaskApp app{pkg.lib, pkg.work.dir_slash() + "bin/"};
    Started() {
        app.setDialogs(&dialogs);
        EXPECT_TRUE(app.initInstance());
        pkg.lib.calls.clear();
    }
    ~Started() {
        fw::set_pump_hook({});
        fw::setMessageTitle("ZELVO-21");
    }
    AppContext& ctx() { return app.context(); }
    std::string path(const std::string& name) const { return pkg.work.dir_slash() + name; }
    void writeLines(const std::string& name, const std::vector<std::string>& lines) {
        std::string text;
        for (const auto& l : lines) text += l + "\r\n";
        zeltest::write_text(path(name), text);
    }
    fw::LineListView* activeList() {
        fw::ChildFrame* f = app.frame()->activeChildFrame();
        return f != nullptr ? dynamic_cast<fw::LineListView*>(f->view()) : nullptr;
    }
    // The active O-C input window (null when another is active).
    COCView* ocView() {
        fw::ChildFrame* f = app.frame()->activeChildFrame();
        return f != nullptr ? dynamic_cast<COCView*>(f->view()) : nullptr;
    }
    fw::LineDocument* activeDoc() {
        fw::ChildFrame* f = app.frame()->activeChildFrame();
        return f != nullptr ? dynamic_cast<fw::LineDocument*>(f->document()) : nullptr;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& s : boxes.shown) t.push_back(s.text);
        return t;
    }
    // Tasks|O - C on the file name with lines; OC1.cfg is created.
    void openOc(const std::vector<std::string>& lines, Answer create = Answer::Yes) {
        writeLines("obs.oc", lines);
        boxes.answers.push_back(create);
        files.answers.push_back(path("obs.oc"));
        app.OnTasksOc();
    }
    void openIdent(const std::vector<std::string>& lines) {
        writeLines("list.idn", lines);
        files.answers.push_back(path("list.idn"));
        app.OnTasksIdentifications();
    }
};

}  // namespace zeltest
