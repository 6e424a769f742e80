// The computing library as the main program sees it. The program calls the
// library only through this interface, so tests can put a recording one in
// its place.
#pragma once

#include <string>

namespace zelvo {

class Library {
public:
    virtual ~Library() = default;
    // Brings the settings file's path records in step with the path file;
    // the library's message on failure, empty on success.
    virtual std::string setpat() = 0;
    // Path of the observatory text list.
    virtual std::string obspat() = 0;
    // Rebuilds the observatory record list from the text list.
    virtual void obswri() = 0;
    // Loads the package settings; the library's message on failure.
    virtual std::string inpo() = 0;
};

// The shared library libzelvomat.
class ZelvomatLibrary final : public Library {
public:
    std::string setpat() override;
    std::string obspat() override;
    void obswri() override;
    std::string inpo() override;
};

}  // namespace zelvo
