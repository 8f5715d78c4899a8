#include "batchdialog.h"

#include "drawengine.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

BatchDialog::BatchDialog(const std::array<int, 4> &sizes, const std::array<qint32, 4> &quotas,
                         QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("batchDialog"));
    setWindowTitle(QStringLiteral("每次抽取人数"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("每按一次（空格、回车或奖项按钮）抽出几位中奖者。\n"
                                            "一次不会超过该奖项剩下的名额和名单里剩下的人数。"),
                             this);
    layout->addWidget(intro);

    auto *grid = new QGridLayout;
    for (PrizeTier tier : AllTiers) {
        const std::size_t i = tierIndex(tier);
        const int row = int(i);
        auto *label =
            new QLabel(tierRow(tier).statusLabel.toString() + QStringLiteral("每次抽取"), this);
        auto *box = new QSpinBox(this);
        box->setObjectName(QStringLiteral("batch") + tierRow(tier).buttonName.toString());
        box->setRange(1, MostWinnersPerPress);
        box->setValue(qBound(1, sizes[i], MostWinnersPerPress));
        box->setSuffix(QStringLiteral(" 人"));
        label->setBuddy(box);
        auto *places = new QLabel(QStringLiteral("（名额 %1 名）").arg(quotas[i]), this);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(places, row, 2);
        boxes_[i] = box;
    }
    layout->addLayout(grid);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)
        ->setObjectName(QStringLiteral("batchOk"));
    buttons->addButton(QStringLiteral("取　消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("batchCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    boxes_[0]->setFocus();
}

std::array<int, 4> BatchDialog::sizes() const
{
    std::array<int, 4> sizes{};
    for (std::size_t i = 0; i < boxes_.size(); ++i)
        sizes[i] = boxes_[i]->value();
    return sizes;
}
