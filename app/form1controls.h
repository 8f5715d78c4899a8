#pragma once

#include <array>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;

// The main window's controls, built at their design rectangles (twips / 15 = pixels at
// 96 dpi) with their fonts, colours and captions. Form1 wires them.
struct Form1Controls {
    QGroupBox *Frame7, *Frame2, *Frame4, *Frame3, *Frame5, *Frame1, *Frame6;
    QLabel *L2, *L3, *Image1, *Image2, *Image3;
    QLineEdit *Text1;
    QPlainTextEdit *T1, *Text2;
    QWidget *Picture1, *Picture2, *Picture3;
    QPushButton *settxt, *Format, *sava, *Exit;
    std::array<QPushButton *, 4> tierButtons; // Sdj, Edj, Ydj, Tdj in tier order
    QTimer *Timer1;
};

// Pixel size of the main window's client area at creation.
inline constexpr int Form1ClientWidth = 792;
inline constexpr int Form1ClientHeight = 538;

Form1Controls buildForm1Controls(QWidget *window);
