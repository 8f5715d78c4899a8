// Form1's stage view: F5 opens it on the projector with the operator's own picture, and
// closes it again.
#include "form1.h"

#include "drawproof.h"
#include "notifier.h"
#include "programpaths.h"
#include "stagepicture.h"
#include "stageview.h"

#include <QScreen>

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
        connect(this, &Form1::proofChanged, stage_, [this] { showProofOnStage(); });
    }
    showProofOnStage();
    stage_->showDraw();
    // The main window stays where it is, at its size.
    stage_->open(screen());
    // Read at every opening: the operator may put a picture beside the program during
    // the evening. The stage shows first, in red, so the audience never sees the desktop.
    QStringList paths;
    for (const QString &name : StagePictureNames)
        paths << readerPath(programDirectory_, name, nativeSeparator());
    const StagePicture picture = readStagePicture(paths, stage_->screen()->size());
    stage_->setPicture(picture.image);
    if (!picture.error.isEmpty())
        laterNotices_.warning(QStringLiteral("提示"), picture.error);
}

void Form1::showProofOnStage()
{
    const DrawProof proof = drawProof();
    stage_->setProof(fingerprintText(proof.names, proof.listDigest), proof.resultCode,
                     proof.chainHead);
}
