// The stage's proof: what the audience may photograph to check the draw later.
#include "stageview.h"

#include "stagelook.h"
#include "stagetext.h"

#include <QFontMetrics>
#include <QPainter>

QString StageView::proofLine() const
{
    switch (scene_.kind) {
    case StageScene::Kind::Tiers:
        return fingerprint_.isEmpty() ? QString() : QStringLiteral("名单指纹　") + fingerprint_;
    case StageScene::Kind::Rolling:
        return {};
    case StageScene::Kind::Winner:
    case StageScene::Kind::Voided:
        break;
    }
    // Nothing more will be drawn: the head pins every result of the evening, the last one
    // included (its code is the head's start).
    const bool drawOver = scene_.notice == QStringLiteral("抽奖任务已完成") ||
                          scene_.notice == QStringLiteral("名单中已没有可抽取的人");
    if (drawOver && !head_.isEmpty())
        return QStringLiteral("链头 ") + head_;
    // A press's winners stand each over their own code.
    if (scene_.kind == StageScene::Kind::Winner && scene_.names.size() > 1 && codeOf_)
        return {};
    return winnerCode_.isEmpty() ? QString() : QStringLiteral("链码 ") + winnerCode_;
}

QRect StageView::proofRect() const
{
    const QString text = proofLine();
    if (text.isEmpty())
        return {};
    if (scene_.kind == StageScene::Kind::Tiers)
        return layout_.notice;
    const int width = QFontMetrics(proofFont_).horizontalAdvance(text);
    QRect rect = layout_.notice;
    rect.setLeft(qMax(rect.left(), rect.right() + 1 - width));
    return rect;
}

void StageView::paintProof(QPainter &painter) const
{
    const QString text = proofLine();
    if (text.isEmpty())
        return;
    painter.setPen(StageLook::Text);
    if (scene_.kind == StageScene::Kind::Tiers) {
        // Large enough to photograph from the hall before anyone has won.
        drawFittedLine(painter, layout_.notice, noticeFont_, text, layout_.smallestPixels,
                       plate(Area::Foot));
        return;
    }
    // Bold and never shrunk, in the foot's right end beside any notice: a phone's photo
    // from the hall must read every digit.
    const QRect rect = proofRect();
    plateOver(painter,
              QFontMetrics(proofFont_).boundingRect(rect, Qt::AlignRight | Qt::AlignVCenter, text),
              layout_.notice, plate(Area::Foot));
    painter.setFont(proofFont_);
    painter.drawText(rect, Qt::AlignRight | Qt::AlignVCenter, text);
}
