#pragma once

#include "glyphimages.h"
#include "namefit.h"
#include "stagelayout.h"
#include "stagescene.h"
#include "winnergrid.h"

#include <QFont>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

struct DrawState;
class QScreen;

// The draw for the audience: a borderless full-screen window on a projector, showing the
// title, the tier being drawn and the rolling name large, then the winner and that tier's
// winners, and what the audience should know (a void, one name left, the draw complete).
// It is only a view: it paints the draw's state and has no rules of its own; the main
// window tells it when that state changed and handles its keys (Space, Enter and PageDown
// drive the draw from here as there, F5 closes it). Esc closes it too.
class StageView : public QWidget {
public:
    // parent: the main window, which owns it and whose draw it shows.
    StageView(const DrawState &state, QWidget *parent);

    // Shows it full screen on a screen other than that one when there is one (a projector
    // beside a laptop), otherwise on that one.
    void open(QScreen *mainWindowScreen);
    // The operator's own background; a null image gives the party red.
    void setPicture(const QImage &picture);
    // What the audience may photograph to check the draw later: the list's fingerprint,
    // shown before the first winner; the code of the result shown (a winner, or a void),
    // in bold at the foot after each stop; and the evening's head, shown instead once
    // nothing more can be drawn (every place drawn, or no name left).
    void setProof(const QString &fingerprint, const QString &winnerCode, const QString &head);
    // The code of a winner's journal line (DrawnWinner::journalLine), empty while the line
    // waits to be written: the winners of a press of several stand each over their own.
    void setCodeSource(std::function<QString(const QString &journalLine)> codeOf);

    // Anything in the draw may have changed.
    void showDraw();
    // Only the display changed (a tick, or the operator typing): while a tier rolls, only
    // the name is painted again.
    void showRollingName();

    const StageScene &scene() const { return scene_; }
    // The operator's picture as setPicture() gave it.
    const QImage &picture() const { return picture_; }
    // The proof the audience sees now, as setProof() gave it: empty while a tier rolls.
    QString proofLine() const;
    // Where a winner's or a void's proof stands, at its font's full size; null when none.
    QRect proofRect() const;
    const QFont &proofFont() const { return proofFont_; }
    // The font of the codes under a press's winners.
    const QFont &codeFont() const { return codeFont_; }
    // The name as it is painted now: its font and lines.
    const FittedName &fittedName() const { return placedName_.fitted; }
    // The tier's winners as they stand, and the page shown when they take more than one.
    const WinnerGrid &winnerGrid() const { return grid_; }
    qsizetype winnerPage() const { return page_; }
    // The names of a batch, rolling or just drawn, in the name's band (stagebatch.cpp).
    const WinnerGrid &batchGrid() const { return batchGrid_; }
    qsizetype batchPage() const { return batchPage_; }
    QRect batchCell(qsizetype index) const;
    // The codes under the batch's winners on the page shown, in their order.
    QStringList batchCodes() const;
    void turnPage();
    // The parts where a name or a title may stand, in this window's coordinates: what a
    // box for the operator must leave visible when it opens over this view.
    QRect namesArea() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // The name as it is painted: fitted to the band, each line's top-left, and the
    // rectangle a change of it repaints.
    struct PlacedName {
        FittedName fitted;
        QList<QPointF> topLefts;
        QRect bounds;
    };
    PlacedName placeName(const QString &name) const;
    void makeBackground();
    // The texts' areas, in the order the backdrop gives their plates.
    enum class Area { Title, Heading, Name, ListHeading, List, Tiers, Foot };
    int plate(Area area) const { return plates_.value(qsizetype(area)); }
    void fitWinnerGrid();
    void fitBatch(bool wasRolling);
    void showRollingBatch();
    void paintBatch(QPainter &painter);
    void fitRollingBatch(qsizetype count);
    QSize codeCaption() const;
    QString headingShown() const;
    QRect listArea() const;
    QString listHeadingShown() const;

    void paintName(QPainter &painter);
    void paintWinners(QPainter &painter) const;
    void paintTiers(QPainter &painter) const;
    void paintNotice(QPainter &painter) const;
    void paintProof(QPainter &painter) const;

    const DrawState &state_;
    StageScene scene_;
    StageLayout layout_;
    QFont titleFont_, headingFont_, nameFont_, listHeadingFont_, listFont_, tierFont_, noticeFont_,
        proofFont_, codeFont_;
    std::optional<QFont> rollFont_; // while a tier rolls: its one size
    PlacedName placedName_;
    GlyphImages glyphImages_;
    WinnerGrid grid_;
    qsizetype page_ = 0;
    WinnerGrid batchGrid_;
    qsizetype batchPage_ = 0;
    QStringList rollWidest_; // while a tier rolls: the widest names of the pool
    QTimer pageTimer_;
    QImage picture_;
    QImage background_;
    QList<int> plates_; // how dark each area's plates are (of 255); none on the party red
    QString fingerprint_, winnerCode_, head_;
    std::function<QString(const QString &)> codeOf_;
};
