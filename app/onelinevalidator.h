#pragma once

#include <QValidator>

// Keeps a line box to one line: pasted CR and LF are dropped, the text around them kept,
// so a winner's name never carries a line break into the log, the report or the journal.
class OneLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &position) const override
    {
        for (qsizetype i = input.size() - 1; i >= 0; --i) {
            if (input[i] == QLatin1Char('\r') || input[i] == QLatin1Char('\n')) {
                input.remove(i, 1);
                if (i < position)
                    --position;
            }
        }
        return Acceptable;
    }
};
