#pragma once

// What the journal tests do to the real window, and what they read back from it.

#include "form1.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTest>

inline const QString JournalName = QStringLiteral("抽奖日志.txt");

inline void drawOne(Form1 &window)
{
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
    window.tick();
    QTest::keyClick(window.controls().T1, Qt::Key_Space);
}

inline QStringList shownState(const Form1 &window)
{
    const Form1Controls &c = window.controls();
    QStringList enabled;
    for (QPushButton *button : c.tierButtons)
        enabled << (button->isEnabled() ? QStringLiteral("1") : QStringLiteral("0"));
    return {c.T1->toPlainText(), c.Text2->toPlainText(), enabled.join(u',')};
}
