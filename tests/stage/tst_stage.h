#pragma once

#include <QFont>
#include <QObject>

// The stage's pieces below its window: the layout scales with the screen, names stay
// large and whole, text keeps its contrast over any picture, and the rolling name painted
// from kept glyph images looks as QPainter would paint it, emoji in colour.
class TestStage : public QObject {
    Q_OBJECT
private slots:
    void layoutScalesWithTheScreen_data();
    void layoutScalesWithTheScreen();
    void namesStayLargeAndWhole_data();
    void namesStayLargeAndWhole();
    void textKeepsItsContrast_data();
    void textKeepsItsContrast();
    void glyphImagesPaintWhatDrawTextPaints_data();
    void glyphImagesPaintWhatDrawTextPaints();

    void everyWinnerStandsOnAPage_data();
    void everyWinnerStandsOnAPage();
    void bracketsStayWithTheirWords_data();
    void bracketsStayWithTheirWords();
    void aRollKeepsOneSize();
    void rareCharactersHaveGlyphs_data();
    void rareCharactersHaveGlyphs();
};

// The stage's name font as the stage view sets it.
QFont stageNameFont(int pixels);
