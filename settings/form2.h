#pragma once

#include <QString>
#include <QWidget>

#include <array>

class Notifier;
class QLineEdit;
class QPushButton;
class QShowEvent;

// The settings window: edits the event title and the four quotas in bt.txt. Saving
// writes the file and asks for a fresh main window (settingsSaved), during which ys()
// is raised so the old main window writes no report.
class Form2 : public QWidget {
    Q_OBJECT
public:
    Form2(Notifier &notifier, const QString &programDirectory, QWidget *parent = nullptr);

    bool ys() const { return ys_; }

signals:
    // Emitted between writing bt.txt and the confirmation; the receiver closes the old
    // main window and shows a new one before returning.
    void settingsSaved();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void load();
    void save();

    Notifier &notifier_;
    QString programDirectory_;
    bool ys_ = false;
    QPushButton *command1_ = nullptr;
    std::array<QLineEdit *, 5> texts_{};
};
