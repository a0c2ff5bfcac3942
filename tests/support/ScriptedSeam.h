#pragma once
// A modal seam for tests: every question the code under test asks must have been scripted, in
// order; an unexpected question or one left unasked at the end fails the test.

#include "ModalSeam.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

class ScriptedSeam : public modal::Seam {
public:
    ScriptedSeam();
    ~ScriptedSeam() override; // fails the test when scripted questions were never asked

    // Expect a message box whose text contains `textPart` (empty matches any) and answer it.
    ScriptedSeam& expectMessage(const QString& textPart, modal::Answer answer = modal::Answer::Ok);
    // Expect an input box; answer with `reply`, or with the shown value when `reply` is nullopt.
    ScriptedSeam& expectInput(const QString& promptPart, std::optional<QString> reply);
    ScriptedSeam& expectOpenFile(std::optional<QString> reply);
    ScriptedSeam& expectSaveFile(std::optional<QString> reply);
    ScriptedSeam& expectFolder(std::optional<QString> reply);
    // Expect a modal dialog of the given class name (Qt metaObject class name, or object name);
    // `drive` acts on it (fills fields, clicks buttons) and the dialog's result is given back.
    ScriptedSeam& expectDialog(const QString& name, std::function<void(QDialog&)> drive);
    ScriptedSeam& expectHelp(const QString& topic);

    // Everything that was shown, in order (message texts, prompts, dialog names...).
    const std::vector<QString>& log() const { return log_; }
    std::vector<modal::Message> messages; // every message box, in order
    int beeps = 0;
    bool allAnswered() const { return script_.empty(); }

    modal::Answer message(const modal::Message& m) override;
    QString inputBox(const QString& caption, const QString& prompt, const QString& value) override;
    std::optional<QString> openFile(const modal::FileDialog& d) override;
    std::optional<QString> saveFile(const modal::FileDialog& d) override;
    std::optional<QString> browseFolder(const QString& caption, const QString& initialDir) override;
    int runModal(QDialog& dialog) override;
    void showHelp(const QString& helpFile, const QString& topic) override;
    void beep() override { ++beeps; }

    std::vector<modal::FileDialog> fileDialogs; // every file dialog request, in order

private:
    enum class Kind { Message, Input, OpenFile, SaveFile, Folder, Dialog, Help };
    struct Step {
        Kind kind;
        QString match;
        modal::Answer answer = modal::Answer::Ok;
        std::optional<QString> reply;
        std::function<void(QDialog&)> drive;
    };
    Step* next(Kind kind, const QString& what);
    std::deque<Step> script_;
    std::vector<QString> log_;
    Step current_;
    modal::ScopedSeam* installed_ = nullptr;
};

} // namespace testing_support
