// The program-wide values of the main program, in one object owned by the
// application. Windows and commands read and set them; a window that must
// not follow later changes keeps its own copy when it is created.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelvo {

struct AppContext {
    // Set at start-up.
    std::string ProgramDir;      // directory of the program, ending with "/"
    std::string WorkDir;         // working directory at start, ending with "/"
    std::string DataDir;         // data directory of the installation, ending with "/"
    bool CometMode = false;      // the comets edition
    std::string AppTitle = "ZELVO-21";
    std::string EpochText;       // epoch and equinox of the catalogue elements
    std::string ObservatoryDir;  // directory of the observatory list, ending with "/"
    bool ElementObjectListChosen = false;

    // Tasks.
    int TaskCode = 0;            // kind of task document being opened
    std::string HeaderText;      // description of the current result ("\r\n" between lines)
    int ObservationTypeCode = 0; // P x 100 + C x 10 + E of the O-C observations
    std::string PlateFilePath, OcFilePath, IdentFilePath, ObservatoryFilePath;
    bool EphemerisMode = false;       // the ephemeris task is current
    bool ReopenElementsTask = false;  // the element query was accepted
    std::vector<std::string> LineClipboard;  // lines copied between line lists

    // Main frame.
    int CurrentToolbarId = 128;  // toolbar held by the main frame's toolbar
};

}  // namespace zelvo
