#include "process.h"

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <fstream>

#include "messages.h"

namespace fw {

bool start_detached(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromLocal8Bit(a.data(), static_cast<qsizetype>(a.size()));
    return QProcess::startDetached(QString::fromLocal8Bit(program.data(), static_cast<qsizetype>(program.size())),
                                   list);
}

bool start_editor(const std::string& program, const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) std::ofstream(path, std::ios::binary);
    if (start_detached(program, {path})) return true;
    message("Cannot start the editor " + program, Buttons::Ok, Icon::Warning);
    return false;
}

}  // namespace fw
