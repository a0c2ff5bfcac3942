#pragma once
// A diagnostics window kept from the program's early days: created at start-up, never shown.

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

class TDebugForm : public QWidget {
    Q_OBJECT
public:
    explicit TDebugForm(QWidget* parent = nullptr);

    QPlainTextEdit* memo;
    QPushButton* btnClose;
    QPushButton* btnClear;

private:
    void FormCreate();
};

extern TDebugForm* DebugForm;
