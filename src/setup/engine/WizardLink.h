#pragma once
// What the installer needs from its wizard form: the component list (`PartsList`), the check box
// `CommonSC`, the fonts, and the controls the worker reports to. The installer calls every member
// on the user-interface thread only; the worker's reports are queued to that thread.

#include <QString>

namespace setup {

class WizardLink {
public:
    virtual ~WizardLink() = default;

    // `PartsList`
    virtual void ClearParts() = 0;
    virtual void AddPart(const QString& text) = 0;
    virtual int PartCount() const = 0;
    virtual QString PartText(int index) const = 0;
    virtual bool IsPartChecked(int index) const = 0;
    virtual void SetPartChecked(int index, bool checked) = 0;

    // `CommonSC` ("Make Shortcuts Visible To All Users")
    virtual bool IsCommonShortcutsChecked() const = 0;
    virtual void DisableCommonShortcuts() = 0;

    // The form's font and its labels that keep a font of their own become "Tahoma".
    virtual void UseTahomaFont() = 0;

    // Reports of the worker, in the order it makes them.
    virtual void SetProgressText(const QString& text) = 0; // `ProgressLabel`
    virtual void SetProgressPosition(int position) = 0;    // `ProgressBar`, 0 to 100
    virtual void SetHeader(const QString& title, const QString& subtitle) = 0; // `Label3`, `Label4`
    virtual void SetErrorText(const QString& text) = 0;                        // `LError`
    virtual void SetEndButtonCaption(const QString& caption) = 0;              // `BEnd`
    // The end signal: the wizard enables `CoThread`, whose handler reads TInstaller::Status.
    virtual void EnableEndSignal() = 0;
};

} // namespace setup
