// Handing files to the desktop: showing a workbook in the desktop's spreadsheet program and
// giving a file to the desktop's mail program as an attachment. Programs are started with an
// argument vector (never through a shell) and left running on their own.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace store::sheet {

class Desktop {
public:
    virtual ~Desktop() = default;
    // Opens the file with the desktop's default program for it. Returns false, doing nothing,
    // when the desktop offers no way to open files.
    virtual bool openDocument(const std::filesystem::path& file) = 0;
    // Opens a new message in the desktop's mail program with the file attached and the
    // subject filled in; the recipients may be empty (the user chooses them). Throws
    // SheetError when there is no mail program.
    virtual void composeMail(const std::filesystem::path& attachment, const std::string& subject,
                             const std::vector<std::string>& recipients) = 0;
};

// The desktop of this computer (on Linux and other POSIX desktops: xdg-open and xdg-email).
Desktop& systemDesktop();

} // namespace store::sheet
