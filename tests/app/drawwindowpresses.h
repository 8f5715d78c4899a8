#pragma once

// The texts and presses the main window's tests share.

#include "form1.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QTest>

inline const QString Title = QStringLiteral("新春联欢会");
inline const QString Stop = QStringLiteral("停止");
inline const QString NoOneLeft = QStringLiteral("名单中已没有可抽取的人");

inline QPushButton *tierButton(Form1 &w, PrizeTier tier)
{
    return w.controls().tierButtons[tierIndex(tier)];
}

inline void press(QWidget *focus, Qt::Key key)
{
    focus->setFocus();
    QTest::keyClick(focus, key);
}
