#pragma once

#include "notifier.h"

class BoxPlacement;

// The real thing: modal message boxes, the system beep and the desktop's browser.
class MessageBoxNotifier : public Notifier {
public:
    // Without a placement a box opens over the active window, where Qt puts it.
    void setPlacement(const BoxPlacement *placement) { placement_ = placement; }

    void information(const QString &title, const QString &text) override;
    void warning(const QString &title, const QString &text) override;
    FailedWriteChoice askAfterFailedWrite(const QString &title, const QString &text) override;
    ResumeChoice askResume(const QString &title, const QString &text) override;
    bool confirm(const QString &title, const QString &text) override;
    bool askRecordAnyway(const QString &title, const QString &text) override;
    std::optional<QString> chooseFolder(const QString &title, const QString &start) override;
    void beep() override;
    void openUrl(const QUrl &url) override;

private:
    const BoxPlacement *placement_ = nullptr;
};
