#include "process.h"

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <fstream>

#include "binfile.h"
#include "messages.h"

namespace fw {

bool start_detached(const std::string& program, const std::vector<std::string>& args) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromLocal8Bit(a.data(), static_cast<qsizetype>(a.size()));
    return QProcess::startDetached(QString::fromLocal8Bit(program.data(), static_cast<qsizetype>(program.size())),
                                   list);
}

bool start_editor(const std::string& program, const std::string& field) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    const std::string name = field.substr(first, field.find_last_not_of(' ') - first + 1);
    std::error_code ec;
    std::filesystem::path file = std::filesystem::absolute(name, ec);
    if (ec) file = name;
    if (const WriteStatus s =
            std::filesystem::exists(file, ec) ? WriteStatus{} : write_file(file.string(), std::string_view());
        !s) {
        message("Cannot create the file " + name + "\n" + s.reason, Buttons::Ok, Icon::Warning);
        return false;
    }
    if (start_detached(program, {file.string()})) return true;
    message("Cannot start the editor " + program, Buttons::Ok, Icon::Warning);
    return false;
}

}  // namespace fw
