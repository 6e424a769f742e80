#include "zelvo/app/lineedit.h"

#include <algorithm>

#include "framework/document.h"
#include "framework/messages.h"
#include "zelvo/app/tables.h"

namespace zelvo {

namespace {

const RecordFormat* formatOf(int key) {
    for (const RecordFormat& f : RecordFormatTable)
        if (f.key == key) return &f;
    return nullptr;
}

std::string padded(std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
}

}  // namespace

int windowFormatKey(const std::string& docName, int observationTypeCode) {
    if (docName == "OC") return (observationTypeCode / 10) % 10;
    if (docName == "Indent") return 10;
    if (docName == "UltPla") return 100;
    if (docName == "Observ1") return 200;
    return 0;
}

int editLength(int key) {
    const RecordFormat* f = formatOf(key);
    if (f == nullptr) return 0;
    // The observatory list's lines are records without line ends.
    return key == 200 ? f->lineLength : f->lineLength - 2;
}

std::string formatLine(std::string_view text, int key) {
    const int n = editLength(key);
    if (n <= 0) return std::string(text);
    std::string line(text.substr(0, std::min(text.size(), static_cast<std::size_t>(n))));
    line.resize(static_cast<std::size_t>(n), ' ');
    if (key != 200) line += "\r\n";
    return line;
}

int ReportControlError(int code, int lineIndex) {
    const std::string_view what = code >= 0 && code < static_cast<int>(ControlErrorText.size())
                                      ? ControlErrorText[static_cast<std::size_t>(code)]
                                      : std::string_view("Unknown error");
    std::string text = std::string(what) + " in line " + std::to_string(static_cast<long long>(lineIndex) + 1);
    if (code == 3) {
        text += ". \n Geocenter?";
        return fw::message(text, fw::Buttons::YesNo, fw::Icon::Question) == fw::Answer::Yes ? 0 : 1;
    }
    fw::message(text, fw::Buttons::Ok, fw::Icon::Warning);
    return 1;
}

int EditTableLine(LineEditSession& session, TaskDialogs& dialogs, LineWindow& window) {
    int key = window.formatKey;
    if (key == 0 || formatOf(key) == nullptr) {
        fw::message("Error: No such type.");
        key = 1;
    }
    const RecordFormat& f = *formatOf(key);
    const auto length = static_cast<std::size_t>(editLength(key));
    std::string work(length, ' ');

    int j = -1;
    std::string note;
    if (session.newLine != 0) {
        j = session.row;  // a new line: the work line stays blank
    } else if (session.check[0] > 0) {
        j = session.row;
        const auto err = static_cast<std::size_t>(std::min(session.check[0], 10));
        note = "After the error: " + std::string(ControlErrorText[err]);
    } else {
        j = window.selected.empty() ? -1 : window.selected.front();
        if (j >= 0 && window.lines != nullptr && j < static_cast<int>(window.lines->size()))
            session.savedText = (*window.lines)[static_cast<std::size_t>(j)];
    }
    if (j < 0 || window.lines == nullptr) {
        fw::message("No string selected to edit");
        return 0;
    }
    std::vector<std::string>& lines = *window.lines;
    if (session.newLine == 0 && j < static_cast<int>(lines.size()))
        work = padded(lines[static_cast<std::size_t>(j)].substr(0, length), length);

    const auto variant = static_cast<std::size_t>(24 + std::max<int>(f.captionVariant, 0));
    StringEditRequest req;
    req.title = std::string(ColumnCaptionTable[variant][0]);
    req.secondsMask = std::string(ColumnCaptionTable[variant][2]);
    req.minutesMask = std::string(ColumnCaptionTable[variant][4]);
    req.lineText = work;
    req.message = note;
    req.lineNumber = j + 1;
    if (session.check[0] != 0 && session.check[1] > 0) req.caret = session.check[1] - 1;
    session.row = j;

    const std::optional<std::string> edited = dialogs.editLine(req);
    if (!edited) return 0;
    if (window.document != nullptr) window.document->setModified();
    const std::string r = edited->substr(0, length);
    if (r != work || IsBlankText(r)) {
        if (j >= static_cast<int>(lines.size())) lines.resize(static_cast<std::size_t>(j) + 1);
        lines[static_cast<std::size_t>(j)] = formatLine(r, key);
    }
    return 1;
}

void SetGeocentricCode(int row, LineWindow& window) {
    if (window.lines == nullptr) {
        fw::message("No Table");
        return;
    }
    if (!window.viewPresent) {
        fw::message("No ActiveView");
        return;
    }
    const RecordFormat* f = formatOf(window.formatKey);
    if (f == nullptr || f->columnCount != 1) f = formatOf(1);
    std::vector<std::string>& lines = *window.lines;
    if (row < 0 || row >= static_cast<int>(lines.size())) return;
    std::string& line = lines[static_cast<std::size_t>(row)];
    const auto at = static_cast<std::size_t>(f->columnStart[5]);
    if (line.size() < at + 3) line.resize(at + 3, ' ');
    line.replace(at, 3, "500");
}

namespace {

// The check protocol; batch (may be null) offers "Skip all".
BatchLine check_line(LineEditSession& session, Library& lib, TaskDialogs& dialogs, LineWindow& window, int i, int task,
                     int system, int key, BatchCheck* batch) {
    session.row = i;
    const int recordLength = GetRecordLength(key);
    if (recordLength <= 2 || window.lines == nullptr) return BatchLine::Cancelled;
    for (;;) {
        // The line as its record: the text blank-padded to its length and
        // CR LF.
        const std::string& text = (*window.lines)[static_cast<std::size_t>(session.row)];
        const std::string buffer = padded(text.substr(0, static_cast<std::size_t>(recordLength - 2)),
                                          static_cast<std::size_t>(recordLength - 2)) +
                                   "\r\n";
        session.check = {0, 0, 0, 0};
        auto& r = session.check;
        lib.cntl(task, system, r[0], r[1], r[2], r[3], buffer.data(), recordLength);
        if (r[0] == 0) return BatchLine::Accepted;
        auto skip = [&] {
            ++batch->skipped;
            r[0] = 0;
            return BatchLine::Skipped;
        };
        if (batch != nullptr &&
            std::find(batch->skippedErrors.begin(), batch->skippedErrors.end(), r[0]) != batch->skippedErrors.end())
            return skip();
        if (ReportControlError(r[0], session.row) == 0) {
            if (window.document != nullptr) window.document->setModified();
            SetGeocentricCode(session.row, window);
            r[0] = 0;
            return BatchLine::Accepted;
        }
        const fw::Answer a = fw::message("Try to correct or cancel",
                                         batch == nullptr ? fw::Buttons::RetryCancel : fw::Buttons::RetrySkipAllCancel,
                                         fw::Icon::Warning);
        if (a == fw::Answer::SkipAll && batch != nullptr) {
            batch->skippedErrors.push_back(r[0]);
            return skip();
        }
        if (a != fw::Answer::Retry) return BatchLine::Cancelled;
        if (window.document != nullptr) window.document->setModified();
        if (EditTableLine(session, dialogs, window) == 0) {
            r[0] = 0;
            return BatchLine::Cancelled;
        }
    }
}

}  // namespace

bool CheckLine(LineEditSession& session, Library& lib, TaskDialogs& dialogs, LineWindow& window, int i, int task,
               int system, int key) {
    return check_line(session, lib, dialogs, window, i, task, system, key, nullptr) == BatchLine::Accepted;
}

BatchLine checkBatchLine(LineEditSession& session, Library& lib, TaskDialogs& dialogs, LineWindow& window, int i,
                         int task, int system, int key, BatchCheck& batch) {
    return check_line(session, lib, dialogs, window, i, task, system, key, &batch);
}

std::string BatchCheck::summary() const {
    return skipped == 0 ? std::string() : "Skipped lines: " + std::to_string(skipped);
}

}  // namespace zelvo
