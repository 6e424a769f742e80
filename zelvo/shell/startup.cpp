#include "zelvo/shell/startup.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>

#include "framework/binfile.h"
#include "framework/messages.h"
#include "zelvomat/io/files.h"

namespace zelvo {

namespace fs = std::filesystem;
namespace files = zelvomat::files;

std::string startupDoc(const std::string& programDir) { return programDir + std::string(kStartupDoc); }

std::string msgNoPathFile(const std::string& tried, const std::string& doc) {
    return "Setpath. file is not found; \nlook " + doc + " for possible solution.\n(Tried: " + tried + ")";
}
std::string msgBadPathFile(const std::string& tried, const std::string& pathFile, const std::string& doc) {
    return "Wrong Setpath. file. \nlook " + doc + " for possible solution.\n(Tried: the data directory \"" + tried +
           "\" named in " + pathFile + ")";
}
std::string msgNoSettings(const std::string& tried, const std::string& doc) {
    return "Setpar file is not found; \nlook " + doc + " about possible solution.\n(Tried: " + tried + ")";
}
std::string msgWorkDirTooLong(const std::string& dir) {
    return "The working directory name is too long (at most " + std::to_string(kMaxWorkDir) + " characters):\n" + dir;
}
std::string msgDataDirTooLong(const std::string& dir, const std::string& doc) {
    return "The data directory named in Setpath. is too long (at most " + std::to_string(kMaxDataDir) +
           " characters):\n" + dir + "\nlook " + doc + " for possible solution.";
}

std::string findFileAnyCase(const std::string& dir, const std::string& name) {
    const std::string exact = dir + name;
    std::error_code ec;
    if (fs::exists(exact, ec)) return exact;
    auto lower = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return s;
    };
    const std::string want = lower(name);
    for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end; it.increment(ec))
        if (lower(it->path().filename().string()) == want) return dir + it->path().filename().string();
    return exact;
}

namespace {

bool readable(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

// The edition byte: the first byte of settings record 14 (offset 1040).
std::optional<unsigned char> editionByte(const std::string& settings) {
    std::ifstream in(settings, std::ios::binary);
    if (!in) return std::nullopt;
    char b = 0;
    in.seekg(13 * 80);
    if (!in.get(b)) return std::nullopt;
    return static_cast<unsigned char>(b);
}

// The first line of a text file (CR LF, LF or none), at most max characters,
// trailing blanks removed; nullopt when the file cannot be read.
std::optional<std::string> first_line(const std::string& path, std::size_t max, bool* tooLong = nullptr) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto end = line.find_last_not_of(" \t");
    line.erase(end == std::string::npos ? 0 : end + 1);
    if (tooLong != nullptr) *tooLong = line.size() > max;
    if (line.size() > max) line.resize(max);
    return line;
}

bool copyOver(const std::string& from, const std::string& to) {
    std::error_code ec;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

void removeQuietly(const std::string& path) {
    std::error_code ec;
    fs::remove(path, ec);
}

void setEdition(AppContext& ctx, std::optional<unsigned char> flag) {
    ctx.CometMode = flag && *flag == 1;
    ctx.AppTitle = ctx.CometMode ? "ZELVO-21 for Comets" : "ZELVO-21";
    fw::setMessageTitle(ctx.AppTitle);
}

}  // namespace

bool runStartupCheck(AppContext& ctx, Library& lib, const std::string& programDir) {
    ctx.ElementObjectListChosen = false;
    fw::setMessageTitle(ctx.AppTitle);

    // The working directory; task commands return to it.
    std::error_code ec;
    std::string work = fs::current_path(ec).string();
    if (work.size() > kMaxWorkDir) {
        fw::message(msgWorkDirTooLong(work));
        return false;
    }
    ctx.WorkDir = work.back() == '/' ? work : work + "/";

    const std::string settings(files::kSettings);
    const std::string pathFile(files::kPathFile);
    std::optional<unsigned char> flag = editionByte(settings);
    const bool haveSettings = readable(settings);

    const std::string doc = startupDoc(programDir);
    if (!readable(pathFile)) {
        fw::message(msgNoPathFile(ctx.WorkDir + pathFile, doc));
        return false;
    }
    ctx.ProgramDir = programDir;

    // The data directory: the first line of the path file, which ends with
    // "/" (added when the line lacks it, as the library does).
    bool tooLong = false;
    std::string dir = first_line(pathFile, 79, &tooLong).value_or(std::string());
    if (!dir.empty() && dir.back() != '/') dir.push_back('/');
    if (tooLong || dir.size() > kMaxDataDir) {
        fw::message(msgDataDirTooLong(dir, doc));
        return false;
    }
    {
        const std::string probe = dir + std::string(files::kWriteProbe);
        if (dir.empty() || !fw::write_file(probe, std::string_view())) {
            fw::message(msgBadPathFile(dir, ctx.WorkDir + pathFile, doc));
            return false;
        }
        removeQuietly(probe);
    }
    ctx.DataDir = dir;

    setEdition(ctx, flag);

    ctx.EpochText = "Ecliptic and equinox 2000.0, epoch 2007 October 27.0 TT";
    if (auto epoch = first_line(findFileAnyCase(dir, std::string(files::kEpochText)), 79)) ctx.EpochText = *epoch;

    // Settings: install a delivered file, or bring the installation's into an
    // empty working directory. The delivered file is deleted only once it has
    // been copied; when the copy fails it stays for the next start.
    const std::string delivered = findFileAnyCase(dir, std::string(files::kSettingsDelivered));
    const std::string installed = findFileAnyCase(dir, settings);
    bool done = false;
    if (readable(delivered) && copyOver(delivered, installed)) {
        removeQuietly(delivered);
        removeQuietly(findFileAnyCase(dir, std::string(files::kElementCacheData)));
        removeQuietly(findFileAnyCase(dir, std::string(files::kElementCacheText)));
        copyOver(installed, settings);
        // The installation keeps a copy beside the program's directory.
        const fs::path parent = fs::path(programDir).parent_path().parent_path();
        if (!parent.empty())
            copyOver(installed, (parent / std::string(files::kInstallSettingsDir) / settings).string());
        done = true;
    }
    if (!done && !haveSettings) {
        if (!readable(installed)) {
            fw::message(msgNoSettings(ctx.WorkDir + settings + " and " + installed, doc));
            return false;
        }
        copyOver(installed, settings);
    }
    // The edition byte could not be read when the working directory had no
    // settings file yet: read it from the file now there.
    if (!flag) setEdition(ctx, editionByte(settings));

    if (std::string err = lib.setpat(); !err.empty()) {
        fw::message(err);
        return false;
    }
    const std::string list = lib.obspat();
    const auto slash = list.find_last_of('/');
    ctx.ObservatoryDir = slash == std::string::npos ? std::string() : list.substr(0, slash + 1);
    return true;
}

}  // namespace zelvo
