#pragma once
// The one door through which the programs ask the user anything: message boxes, input boxes,
// file and folder dialogs, running a modal dialog, the help viewer. The programs install the
// Qt implementation; tests install a scripted one that fails on any unexpected question.

#include <QString>
#include <exception>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace modal {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, YesNoNoToAllYesToAll };
enum class Icon { None, Information, Warning, Error, Question };
enum class Answer { Ok, Cancel, Yes, No, NoToAll, YesToAll };

struct Message {
    QString caption;
    QString text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    bool beep = false; // sound the system beep before showing the box
};

struct FileDialog {
    QString caption;
    QString initialDir;
    QString initialName;
    QString filter;        // Qt filter text, e.g. "Databases (*.cdb);;All files (*)"
    QString defaultSuffix; // added by the seam when the chosen name has none
    // Save dialogs: the dialog asks before an existing file is chosen. Off for a caller that
    // asks its own question, so that the user is asked once.
    bool confirmOverwrite = true;
};

class Seam {
public:
    virtual ~Seam() = default;
    virtual Answer message(const Message& m) = 0;
    // Cancel gives back the value shown, as the classic input box does.
    virtual QString inputBox(const QString& caption, const QString& prompt,
                             const QString& value) = 0;
    virtual std::optional<QString> openFile(const FileDialog& d) = 0;
    virtual std::optional<QString> saveFile(const FileDialog& d) = 0;
    virtual std::optional<QString> browseFolder(const QString& caption,
                                                const QString& initialDir) = 0;
    // Shows the dialog modally and gives back its result code (QDialog::Accepted / Rejected).
    virtual int runModal(QDialog& dialog) = 0;
    virtual void showHelp(const QString& helpFile, const QString& topic) = 0;
    virtual void beep() = 0;
};

// For runs no one answers (pictures of the windows, benchmarks, fuzzing): an input box gives back
// the value shown, dialogs are cancelled, help and beeps do nothing. Messages are each run's own.
class QuietSeam : public Seam {
public:
    QString inputBox(const QString&, const QString&, const QString& value) override {
        return value;
    }
    std::optional<QString> openFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialog&) override { return std::nullopt; }
    std::optional<QString> browseFolder(const QString&, const QString&) override {
        return std::nullopt;
    }
    int runModal(QDialog&) override { return 0; }
    void showHelp(const QString&, const QString&) override {}
    void beep() override {}
};

// The seam in force; a Qt one unless a test has put its own in place.
Seam& seam();
// Installs a seam (not owned) and gives back the previous one; nullptr restores the Qt seam.
Seam* setSeam(Seam* s);

// Shorthand for the common boxes.
Answer showMessage(const QString& text, const QString& caption = {}, Buttons b = Buttons::Ok,
                   Icon icon = Icon::None, bool beep = false);

// The application's general error report: the error's text in a message box.
void reportException(const std::exception& e);
void reportUnknownException();

// Runs a handler so that no exception ever unwinds into Qt's event loop.
template <class F> void guarded(F&& handler) noexcept {
    try {
        std::forward<F>(handler)();
    } catch (const std::exception& e) {
        reportException(e);
    } catch (...) {
        reportUnknownException();
    }
}

// A slot that runs a form's handler guarded, for connecting a control's signal to it.
template <class Form, class Handler> auto guardedHandler(Form* form, Handler handler) {
    return [form, handler] { guarded([form, handler] { (form->*handler)(); }); };
}

// Restores the previous seam when it goes out of scope (tests).
class ScopedSeam {
public:
    explicit ScopedSeam(Seam& s) : previous_(setSeam(&s)) {}
    ~ScopedSeam() { setSeam(previous_); }
    ScopedSeam(const ScopedSeam&) = delete;
    ScopedSeam& operator=(const ScopedSeam&) = delete;

private:
    Seam* previous_;
};

} // namespace modal
