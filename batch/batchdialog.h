#pragma once

#include <QDialog>

#include <array>

class QSpinBox;

// "每次抽取人数": one spin box a tier, 1 to MostWinnersPerPress, for how many winners one
// press draws. It only edits the four numbers; the main window keeps them in their file
// and gives them to the draw.
class BatchDialog : public QDialog {
    Q_OBJECT
public:
    // quotas: the tiers' places, shown beside each box as a guide.
    BatchDialog(const std::array<int, 4> &sizes, const std::array<qint32, 4> &quotas,
                QWidget *parent = nullptr);

    std::array<int, 4> sizes() const;
    QSpinBox *spinBox(std::size_t tier) const { return boxes_[tier]; }

private:
    std::array<QSpinBox *, 4> boxes_{};
};
