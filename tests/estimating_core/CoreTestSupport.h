#pragma once
// Helpers shared by the estimating core tests: a recorder of the model's messages and a
// scratch folder that is removed afterwards.

#include "Seams.h"

#include <filesystem>
#include <string>
#include <vector>

namespace estimating::testing {

class MessageRecorder {
public:
    MessageRecorder() : scope_([this](const std::string& text) { messages.push_back(text); }) {}
    std::vector<std::string> messages;

private:
    ScopedMessageSink scope_;
};

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

} // namespace estimating::testing
