#include "module1.h"

#include <QRect>
#include <QVariant>
#include <QWidget>

namespace {

// One reference for every window; only the main window records and scales.
qint32 origScaleWidth = 0;
qint32 origScaleHeight = 0;

const char RecordProperty[] = "layoutRecord";

bool isControl(const QWidget &widget)
{
    const QString name = widget.objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// Visits the controls at every nesting level. Child windows (dialogs parented to the
// window) have their own coordinates and are not part of its layout, so their subtrees
// are left out.
template <typename Visit> void forEachControl(QWidget &parent, const Visit &visit)
{
    const auto children = parent.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (child->isWindow()) {
            continue;
        }
        if (isControl(*child)) {
            visit(*child);
        }
        forEachControl(*child, visit);
    }
}

bool isTitleLabel(const QWidget &widget)
{
    const QString name = widget.objectName();
    return name == QLatin1String("L2") || name == QLatin1String("L3");
}

} // namespace

namespace Module1 {

void RecordLayout(QWidget &window)
{
    origScaleWidth = window.width();
    origScaleHeight = window.height();
    forEachControl(
        window, [](QWidget &control) { control.setProperty(RecordProperty, control.geometry()); });
}

void ScaleLayout(QWidget &window)
{
    // Without a reference size (none recorded yet, or recorded while the window had no
    // client area in one direction) the ratios are undefined, and nothing is moved.
    if (origScaleWidth == 0 || origScaleHeight == 0) {
        return;
    }
    const double rW = double(window.width()) / origScaleWidth;
    const double rH = double(window.height()) / origScaleHeight;
    forEachControl(window, [rW, rH](QWidget &control) {
        const QVariant record = control.property(RecordProperty);
        if (!record.isValid() || isTitleLabel(control)) {
            return;
        }
        // Always from the record, so repeated resizes cannot accumulate rounding.
        const QRect r = record.toRect();
        control.setGeometry(qRound(r.x() * rW), qRound(r.y() * rH), qRound(r.width() * rW),
                            qRound(r.height() * rH));
    });
}

int OrigScaleWidth()
{
    return origScaleWidth;
}

int OrigScaleHeight()
{
    return origScaleHeight;
}

} // namespace Module1
