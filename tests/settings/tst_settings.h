#pragma once

#include "form2.h"
#include "recordingnotifier.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QLineEdit;

// Also notes ys() at every information message, so a test can see whether the flag is
// still raised when the confirmation is shown.
class ProbingNotifier : public RecordingNotifier {
public:
    QPointer<Form2> form;
    QList<bool> ysAtInformation;

    void information(const QString &title, const QString &text) override
    {
        ysAtInformation.append(form && form->ys());
        RecordingNotifier::information(title, text);
    }
};

// Each test gets an empty program directory and a fresh notifier; it writes bt.txt
// (GB18030, CR LF) and opens the settings window over it.
class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Window and controls
    void windowFrame();
    void controlGeometryAndCaptions_data();
    void controlGeometryAndCaptions();
    void titleLabelShowsBothLines();
    void focusStartsOnSaveAndFollowsTabOrder();

    // Loading bt.txt
    void loadShowsFileValues_data();
    void loadShowsFileValues();
    void unreadableFileWarnsAndShowsDefaults();

    // Saving and leaving
    void saveWritesTextsAsTyped_data();
    void saveWritesTextsAsTyped();
    void saveRecreatesMainWindowThenConfirmsAndCloses();
    void failedSaveWarnsAndKeepsEdits();
    void leavingWithoutSaveWritesNothing_data();
    void leavingWithoutSaveWritesNothing();
    void enterAndEscapeNeitherSaveNorCancel_data();
    void enterAndEscapeNeitherSaveNorCancel();

private:
    QString directory() const;
    QString settingsPath() const;
    void writeSettings(const QByteArray &bytes) const;
    QByteArray readSettings() const;
    Form2 *openForm();
    QLineEdit *text(int index) const;
    QStringList shownTexts() const;

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<ProbingNotifier> notifier_;
    QPointer<Form2> form_;
};
