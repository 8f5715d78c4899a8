// Form1's stage view: F5 opens it on the projector with the operator's own picture, and
// closes it again.
#include "form1.h"

#include "drawproof.h"
#include "notifier.h"
#include "programpaths.h"
#include "stagepictureloader.h"
#include "stageview.h"

#include <QScreen>

#include <utility>

void Form1::toggleStage()
{
    if (stage_ && stage_->isVisible()) {
        stage_->close();
        activateWindow();
        return;
    }
    openStage();
}

void Form1::openStage()
{
    if (!stage_) {
        stage_ = new StageView(engine_.state(), this);
        stage_->setCodeSource([this](const QString &journalLine) {
            return journal_.ledger().winnerLine(journalLine).code;
        });
        connect(this, &Form1::proofChanged, stage_, [this] { showProofOnStage(); });
        pictureLoader_ = new StagePictureLoader(this);
        connect(pictureLoader_, &StagePictureLoader::loaded, this,
                [this](const StagePicture &picture) { showStagePicture(picture); });
    }
    showProofOnStage();
    stage_->showDraw();
    // The main window stays where it is, at its size.
    stage_->open(screen());
    sound(SoundEvent::StageShown);
    // Read at every opening: the operator may put a picture beside the program during
    // the evening. The stage shows first (in red, or the picture it had) so the audience
    // never sees the desktop, and the picture follows once read.
    QStringList paths;
    for (const QString &name : StagePictureNames)
        paths << readerPath(programDirectory_, name, nativeSeparator());
    pictureLoader_->load(paths, stage_->screen()->size());
}

void Form1::showStagePicture(const StagePicture &picture)
{
    stage_->setPicture(picture.image);
    if (picture.error.isEmpty())
        return;
    // A box over a stage on the operator's own screen is seen by the hall: the operator
    // hears of it once the stage is closed.
    if (stage_->isVisible() && stage_->screen() == screen())
        pictureWarning_ = picture.error;
    else
        laterNotices_.warning(QStringLiteral("提示"), picture.error);
}

void Form1::stageHidden()
{
    sound(SoundEvent::StageHidden);
    if (!pictureWarning_.isEmpty())
        laterNotices_.warning(QStringLiteral("提示"), std::exchange(pictureWarning_, {}));
}

void Form1::showProofOnStage()
{
    const DrawProof proof = drawProof();
    stage_->setProof(fingerprintText(proof.names, proof.listDigest), proof.resultCode,
                     proof.chainHead);
}
