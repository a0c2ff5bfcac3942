#include "ModalSeam.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <vector>

namespace modal {
namespace {

QMessageBox::Icon toQtIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Error:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QWidget* dialogParent() { return QApplication::activeWindow(); }

// The width a window needs for its whole caption to show in its title bar, beside the window
// manager's icon and buttons.
int titleBarWidth(const QWidget& window, const QString& caption) {
    const QFontMetrics metrics(window.font());
    return metrics.horizontalAdvance(caption) + 10 * metrics.height();
}

QString withDefaultSuffix(QString name, const QString& suffix) {
    if (!name.isEmpty() && !suffix.isEmpty() && QFileInfo(name).suffix().isEmpty())
        name += '.' + suffix;
    return name;
}

class QtSeam final : public Seam {
public:
    Answer message(const Message& m) override {
        if (m.beep)
            beep();
        QMessageBox box(toQtIcon(m.icon), captionOf(m), m.text, QMessageBox::NoButton,
                        dialogParent());
        struct Choice {
            QAbstractButton* button;
            Answer answer;
        };
        std::vector<Choice> choices;
        auto add = [&](const QString& text, QMessageBox::ButtonRole role, Answer answer) {
            choices.push_back({box.addButton(text, role), answer});
        };
        switch (m.buttons) {
        case Buttons::Ok:
            add(QStringLiteral("OK"), QMessageBox::AcceptRole, Answer::Ok);
            break;
        case Buttons::OkCancel:
            add(QStringLiteral("OK"), QMessageBox::AcceptRole, Answer::Ok);
            add(QStringLiteral("Cancel"), QMessageBox::RejectRole, Answer::Cancel);
            break;
        case Buttons::YesNo:
            add(QStringLiteral("&Yes"), QMessageBox::YesRole, Answer::Yes);
            add(QStringLiteral("&No"), QMessageBox::NoRole, Answer::No);
            break;
        case Buttons::YesNoCancel:
            add(QStringLiteral("&Yes"), QMessageBox::YesRole, Answer::Yes);
            add(QStringLiteral("&No"), QMessageBox::NoRole, Answer::No);
            add(QStringLiteral("Cancel"), QMessageBox::RejectRole, Answer::Cancel);
            break;
        case Buttons::YesNoNoToAllYesToAll:
            add(QStringLiteral("&Yes"), QMessageBox::YesRole, Answer::Yes);
            add(QStringLiteral("&No"), QMessageBox::NoRole, Answer::No);
            add(QStringLiteral("N&o to All"), QMessageBox::NoRole, Answer::NoToAll);
            add(QStringLiteral("Yes to &All"), QMessageBox::YesRole, Answer::YesToAll);
            break;
        }
        box.setDefaultButton(qobject_cast<QPushButton*>(choices.front().button));
        box.exec();
        for (const auto& c : choices)
            if (box.clickedButton() == c.button)
                return c.answer;
        return escapeAnswer(m.buttons);
    }

    QString inputBox(const QString& caption, const QString& prompt, const QString& value) override {
        QInputDialog box(dialogParent());
        box.setWindowTitle(caption);
        box.setLabelText(prompt);
        box.setTextValue(value);
        // The dialog takes its width from its layout, so the edit box is what makes room.
        if (auto* edit = box.findChild<QLineEdit*>()) {
            const QMargins margins = box.layout() ? box.layout()->contentsMargins() : QMargins();
            edit->setMinimumWidth(titleBarWidth(box, caption) - margins.left() - margins.right());
        }
        return box.exec() == QDialog::Accepted ? box.textValue() : value;
    }

    std::optional<QString> openFile(const FileDialog& d) override {
        QString name = QFileDialog::getOpenFileName(dialogParent(), d.caption,
                                                    startPath(d), d.filter);
        if (name.isEmpty())
            return std::nullopt;
        return name;
    }

    std::optional<QString> saveFile(const FileDialog& d) override {
        const QFileDialog::Options options =
            d.confirmOverwrite ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
        QString name = QFileDialog::getSaveFileName(dialogParent(), d.caption, startPath(d),
                                                    d.filter, nullptr, options);
        if (name.isEmpty())
            return std::nullopt;
        return withDefaultSuffix(name, d.defaultSuffix);
    }

    std::optional<QString> browseFolder(const QString& caption, const QString& initialDir) override {
        QString dir = QFileDialog::getExistingDirectory(dialogParent(), caption, initialDir);
        if (dir.isEmpty())
            return std::nullopt;
        return dir;
    }

    int runModal(QDialog& dialog) override { return dialog.exec(); }

    void showHelp(const QString& helpFile, const QString& topic) override {
        if (!QFileInfo::exists(helpFile)) {
            showMessage(QStringLiteral("Cannot find the help file \"%1\".").arg(helpFile));
            return;
        }
        QUrl url = QUrl::fromLocalFile(helpFile);
        if (!topic.isEmpty())
            url.setFragment(topic);
        // Without a browser Qt would only warn on standard error.
        if (!QDesktopServices::openUrl(url))
            showMessage(QStringLiteral("Cannot show the help file \"%1\": no browser was found.")
                            .arg(helpFile));
    }

    void beep() override { QApplication::beep(); }

private:
    static QString captionOf(const Message& m) {
        return m.caption.isEmpty() ? QApplication::applicationName() : m.caption;
    }
    static QString startPath(const FileDialog& d) {
        if (d.initialName.isEmpty())
            return d.initialDir;
        if (d.initialDir.isEmpty() || QFileInfo(d.initialName).isAbsolute())
            return d.initialName;
        return d.initialDir + '/' + d.initialName;
    }
    static Answer escapeAnswer(Buttons b) {
        switch (b) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::YesNo:
        case Buttons::YesNoNoToAllYesToAll:
            return Answer::No;
        default:
            return Answer::Cancel;
        }
    }
};

QtSeam& qtSeam() {
    static QtSeam instance;
    return instance;
}

Seam* current = nullptr;

} // namespace

Seam& seam() { return current ? *current : qtSeam(); }

Seam* setSeam(Seam* s) {
    Seam* previous = current;
    current = s;
    return previous;
}

Answer showMessage(const QString& text, const QString& caption, Buttons b, Icon icon, bool beep) {
    return seam().message(Message{caption, text, b, icon, beep});
}

void reportException(const std::exception& e) {
    showMessage(QString::fromUtf8(e.what()), {}, Buttons::Ok, Icon::Error);
}

void reportUnknownException() {
    showMessage(QStringLiteral("An unexpected error occurred."), {}, Buttons::Ok, Icon::Error);
}

} // namespace modal
