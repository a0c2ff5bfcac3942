#include "ScriptedSeam.h"

#include <QDialog>
#include <gtest/gtest.h>

namespace testing_support {
namespace {

const char* kindName(int k) {
    static const char* names[] = {"message box", "input box", "open dialog", "save dialog",
                                  "folder dialog", "modal dialog", "help"};
    return names[k];
}

} // namespace

ScriptedSeam::ScriptedSeam() : installed_(new modal::ScopedSeam(*this)) {}

ScriptedSeam::~ScriptedSeam() {
    delete installed_;
    for (const auto& s : script_)
        ADD_FAILURE() << "scripted " << kindName(static_cast<int>(s.kind)) << " \""
                      << s.match.toStdString() << "\" was never shown";
}

ScriptedSeam& ScriptedSeam::expectMessage(const QString& textPart, modal::Answer answer) {
    script_.push_back({Kind::Message, textPart, answer, {}, {}});
    return *this;
}
ScriptedSeam& ScriptedSeam::expectInput(const QString& promptPart, std::optional<QString> reply) {
    script_.push_back({Kind::Input, promptPart, modal::Answer::Ok, std::move(reply), {}});
    return *this;
}
ScriptedSeam& ScriptedSeam::expectOpenFile(std::optional<QString> reply) {
    script_.push_back({Kind::OpenFile, {}, modal::Answer::Ok, std::move(reply), {}});
    return *this;
}
ScriptedSeam& ScriptedSeam::expectSaveFile(std::optional<QString> reply) {
    script_.push_back({Kind::SaveFile, {}, modal::Answer::Ok, std::move(reply), {}});
    return *this;
}
ScriptedSeam& ScriptedSeam::expectFolder(std::optional<QString> reply) {
    script_.push_back({Kind::Folder, {}, modal::Answer::Ok, std::move(reply), {}});
    return *this;
}
ScriptedSeam& ScriptedSeam::expectDialog(const QString& name, std::function<void(QDialog&)> drive) {
    script_.push_back({Kind::Dialog, name, modal::Answer::Ok, {}, std::move(drive)});
    return *this;
}
ScriptedSeam& ScriptedSeam::expectHelp(const QString& topic) {
    script_.push_back({Kind::Help, topic, modal::Answer::Ok, {}, {}});
    return *this;
}

ScriptedSeam::Step* ScriptedSeam::next(Kind kind, const QString& what) {
    log_.push_back(what);
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected " << kindName(static_cast<int>(kind)) << ": \""
                      << what.toStdString() << "\"";
        return nullptr;
    }
    Step step = std::move(script_.front());
    script_.pop_front();
    if (step.kind != kind || !what.contains(step.match)) {
        ADD_FAILURE() << "expected " << kindName(static_cast<int>(step.kind)) << " \""
                      << step.match.toStdString() << "\" but got "
                      << kindName(static_cast<int>(kind)) << " \"" << what.toStdString() << "\"";
        return nullptr;
    }
    current_ = std::move(step);
    return &current_;
}

modal::Answer ScriptedSeam::message(const modal::Message& m) {
    messages.push_back(m);
    if (m.beep)
        ++beeps;
    Step* s = next(Kind::Message, m.text);
    if (!s)
        return m.buttons == modal::Buttons::Ok ? modal::Answer::Ok : modal::Answer::Cancel;
    return s->answer;
}

QString ScriptedSeam::inputBox(const QString& caption, const QString& prompt, const QString& value) {
    Step* s = next(Kind::Input, caption + '\n' + prompt);
    if (!s || !s->reply)
        return value;
    return *s->reply;
}

std::optional<QString> ScriptedSeam::openFile(const modal::FileDialog& d) {
    fileDialogs.push_back(d);
    Step* s = next(Kind::OpenFile, d.caption);
    return s ? s->reply : std::nullopt;
}

std::optional<QString> ScriptedSeam::saveFile(const modal::FileDialog& d) {
    fileDialogs.push_back(d);
    Step* s = next(Kind::SaveFile, d.caption);
    return s ? s->reply : std::nullopt;
}

std::optional<QString> ScriptedSeam::browseFolder(const QString& caption, const QString&) {
    Step* s = next(Kind::Folder, caption);
    return s ? s->reply : std::nullopt;
}

int ScriptedSeam::runModal(QDialog& dialog) {
    QString name = QString::fromLatin1(dialog.metaObject()->className());
    if (!dialog.objectName().isEmpty())
        name += ' ' + dialog.objectName();
    Step* s = next(Kind::Dialog, name);
    if (!s)
        return QDialog::Rejected;
    dialog.setResult(QDialog::Rejected);
    if (s->drive)
        s->drive(dialog);
    return dialog.result();
}

void ScriptedSeam::showHelp(const QString& helpFile, const QString& topic) {
    next(Kind::Help, helpFile + ' ' + topic);
}

} // namespace testing_support
