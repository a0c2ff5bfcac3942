#pragma once
// A wizard without a form, for installs nobody watches (benchmarks, fuzzing): every component
// is ticked, the worker's reports are dropped, and `ended` tells that the worker has finished.

#include "WizardLink.h"

#include <QStringList>

namespace setup {

class HeadlessWizard : public WizardLink {
public:
    void ClearParts() override { parts.clear(); }
    void AddPart(const QString& text) override { parts.append(text); }
    int PartCount() const override { return static_cast<int>(parts.size()); }
    QString PartText(int index) const override { return parts.at(index); }
    bool IsPartChecked(int) const override { return true; }
    void SetPartChecked(int, bool) override {}
    bool IsCommonShortcutsChecked() const override { return false; }
    void DisableCommonShortcuts() override {}
    void UseTahomaFont() override {}
    void SetProgressText(const QString&) override {}
    void SetProgressPosition(int) override {}
    void SetHeader(const QString&, const QString&) override {}
    void SetErrorText(const QString&) override {}
    void SetEndButtonCaption(const QString&) override {}
    void EnableEndSignal() override { ended = true; }

    QStringList parts;
    bool ended = false;
};

} // namespace setup
