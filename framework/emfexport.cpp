#include "emfexport.h"

#include "emfdc.h"
#include "filedialogs.h"
#include "messages.h"

namespace fw {

WriteStatus write_emf(const std::string& path, const DeviceInfo& reference, const std::function<void(EmfDc&)>& draw) {
    EmfDc dc(reference);
    draw(dc);
    return dc.save(path);
}

bool save_as_emf(const std::string& initialName, const std::function<WriteStatus(const std::string&)>& write) {
    FileDialogRequest request;
    request.open = false;
    request.defaultExt = "emf";
    request.filter = "Windows Metafile (*.emf)|*.emf||";
    request.initialPath = initialName;
    request.overwritePrompt = true;
    const std::optional<std::string> path = fileDialogs().ask(request);
    if (!path) return false;
    const WriteStatus written = write(*path);
    if (written) return true;
    message(std::string(kEmfWriteFailed) + "\n" + written.error, Buttons::Ok, Icon::Warning);
    return false;
}

}  // namespace fw
