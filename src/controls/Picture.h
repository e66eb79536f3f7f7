#pragma once
#include <string>
#include <vector>

#include "controls/Control.h"

namespace vorpline {

// An image on a form, held as the encoded file bytes (JPEG, PNG, ...) so the form logic needs
// no image library: the view decodes what it is given. The bytes are kept exactly as read.
// Main thread only.
class Picture : public Control {
public:
    explicit Picture(std::string name) : Control(std::move(name)) {}

    // Reads the whole file. A missing, unreadable or empty file changes nothing and returns
    // false: the old picture stays on screen.
    bool LoadFromFile(const std::string& path);
    void Clear();

    bool Empty() const { return bytes.empty(); }
    const std::vector<unsigned char>& Bytes() const { return bytes; }
    // The file the current picture came from; empty while there is none.
    const std::string& Path() const { return path; }

private:
    std::vector<unsigned char> bytes;
    std::string path;
};

} // namespace vorpline
