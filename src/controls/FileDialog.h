#pragma once
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace vorpline {

// What a file dialog is asked to show. The dialog itself is the platform's business: a form
// holds a service function that the view supplies and tests replace.
struct FileRequest {
    std::string title;
    // Appended to a typed name that has none, without its dot ("wav").
    std::string defaultExtension;
    // Description and pattern pairs separated by '|': "Wave files|*.wav|All files|*.*".
    std::string filter;
    // Where the dialog starts.
    std::filesystem::path folder;
    // The file name proposed in a save dialog; empty for none.
    std::string proposedName;
    // Save dialogs: ask before replacing an existing file.
    bool confirmOverwrite = true;
};

using SaveFileRequest = FileRequest;

// The chosen file name, or nothing when the user cancels.
using SaveFileService = std::function<std::optional<std::string>(const FileRequest&)>;
// The same for choosing an existing file to open.
using OpenFileService = std::function<std::optional<std::string>(const FileRequest&)>;

} // namespace vorpline
