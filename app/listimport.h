#pragma once

#include <QObject>
#include <QString>

#include <functional>

class Form1;
class JournalWriter;
class Notifier;
class QAction;
class QWidget;

// Importing a name list from a spreadsheet into cjk.txt, from the main window without a
// control of its own: a file dropped onto the window, or "导入名单…" in the context menu
// of the window's background and of the results log. Refused while a tier rolls; with
// winners recorded the operator is asked first, as the import starts the draw afresh. The
// import dialog (import/) shows what the file gives; its OK writes cjk.txt (the previous
// one kept beside it), journals the import and runs the reset, so the pool holds the new
// list. Cancel, or a file that gives no list, writes nothing.
class ListImport : public QObject {
    Q_OBJECT
public:
    ListImport(Form1 &window, Notifier &notifier, JournalWriter &journal,
               const QString &programDirectory);

    // "导入名单…": asks for a file, then imports it.
    void chooseAndImport();
    // A file dropped onto the window, or chosen.
    void importFile(const QString &path);

    QAction *action() const { return action_; }
    // Asks for the file to import; the file dialog unless a test puts its own. An empty
    // answer imports nothing.
    std::function<QString(QWidget *parent)> chooseFile;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool mayImport();
    void importFile(const QString &path, bool ask);

    Form1 &window_;
    Notifier &notifier_;
    JournalWriter &journal_;
    QString programDirectory_;
    QAction *action_ = nullptr;
    bool busy_ = false;
};
