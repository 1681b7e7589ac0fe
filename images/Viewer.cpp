// The page image viewer: its controls, loading a page, zooming, wheel scrolling and dragging.

#include "shell/Main.h"

#include "corpus/Error.h"
#include "images/JpegImage.h"
#include "images/PageView.h"
#include "images/ViewerMath.h"

#include <QAction>
#include <QCursor>
#include <QFont>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>

// The right-button press belongs to the position capture (images/Capture.cpp).
void CaptureRightClick(TfmMain &window, int x, int y);

void TfmMain::CreateViewerControls() {
    ScrollBox = new ScrollBoxArea(this);
    ScrollBox->resize(S(469), S(692));
    ScrollBox->horizontalScrollBar()->setSingleStep(S(81));
    ScrollBox->SetWheelHandler([this](Qt::KeyboardModifiers mods, int delta, bool &handled) {
        ScrollBoxMouseWheel(mods, delta, handled);
    });

    // Image first, so that the overlay lies on top of it.
    Image = new PageImage(ScrollBox->Content());
    Image->setGeometry(0, 0, S(270), S(201));
    imgPoint = new PointOverlay(ScrollBox->Content());
    // The overlay sits 3 pixels left of the page; stored positions are measured from its corner.
    imgPoint->setGeometry(-3, 0, S(372), S(129));
    imgPoint->ResizeSurface(imgPoint->size());
    imgPoint->SetHandlers(
        [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
            imgPointMouseDown(b, m, x, y);
        },
        [this](Qt::KeyboardModifiers m, int x, int y) { imgPointMouseMove(m, x, y); },
        [this](Qt::MouseButton b, Qt::KeyboardModifiers m, int x, int y) {
            imgPointMouseUp(b, m, x, y);
        });
    ScrollBox->UpdateExtent();

    ImagePopupMenu = new QMenu(this);
    // Captions without "&": no access keys are added, so the captions are read back exactly.
    const auto add = [this](const QString &caption) { return ImagePopupMenu->addAction(caption); };
    itemImage100 = add(QStringLiteral("25%"));
    N501 = add(QStringLiteral("50%"));
    N751 = add(QStringLiteral("75%"));
    N1004 = add(QStringLiteral("100%"));
    N1003 = add(QStringLiteral("150%"));
    N1002 = add(QStringLiteral("200%"));
    QFont bold = N1003->font();
    bold.setBold(true);
    N1003->setFont(bold);
    ImagePopupMenu->setDefaultAction(N1003);
    connect(ImagePopupMenu, &QMenu::triggered, this,
            [this](QAction *action) { itemImage100Click(action); });
    imgPoint->SetPopupMenu(ImagePopupMenu, [this] { return imagePopupAuto; });

    Timer = new QTimer(this);
    Timer->setInterval(3000);
    // A repeating timer that TimerTimer switches off: one shot per marker.
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(); });
}

void TfmMain::LoadPageImage(const QString &path) {
    // Decode first: when it fails the old picture, its sizes and currentImagePath stay.
    const QImage picture = DecodeJpegFile(path);
    Image->SetPicture(picture);
    const QSize size = viewer::SizeAfterLoad(picture.size(), imageRate);
    Image->resize(size);
    imgPoint->resize(size);
    ScrollBox->UpdateExtent();
    currentImagePath = path;
}

void TfmMain::ScrollBoxMouseWheel(Qt::KeyboardModifiers shift, int wheelDelta, bool &handled) {
    handled = true;
    if (shift & Qt::ShiftModifier) {
        ScrollBox->SetHorz(viewer::TruncCoord(double(ScrollBox->Horz()) - wheelDelta));
        return;
    }
    if (shift & Qt::ControlModifier) {
        const double f = viewer::WheelFactor(wheelDelta);
        imageRate = viewer::RateAfterWheel(imageRate, f);
        Image->resize(viewer::ScaleSize(Image->size(), f));
        imgPoint->resize(viewer::ScaleSize(imgPoint->size(), f));
        imgPoint->ResizeSurface(imgPoint->size());
        ScrollBox->UpdateExtent();
        return;
    }
    ScrollBox->SetVert(viewer::TruncCoord(double(ScrollBox->Vert()) - wheelDelta));
}

void TfmMain::itemImage100Click(QAction *sender) {
    if (!sender)
        return;
    int percent = 0;
    if (!viewer::MenuPercent(sender->text(), percent))
        throw VelmoraError(QStringLiteral("'%1' is not a valid integer value").arg(sender->text().chopped(1)));
    const double newRate = percent / 100.0;
    const float oldRate = imageRate;
    Image->resize(viewer::SizeAfterMenu(Image->size(), newRate, oldRate));
    imgPoint->resize(viewer::SizeAfterMenu(imgPoint->size(), newRate, oldRate));
    imgPoint->ResizeSurface(imgPoint->size());
    ScrollBox->UpdateExtent();
    imageRate = float(newRate);
}

void TfmMain::imgPointMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (button == Qt::RightButton) {
        CaptureRightClick(*this, x, y);
        return;
    }
    Q_UNUSED(shift);
    const QPoint pos = QCursor::pos();
    dragStartX = pos.x();
    dragStartY = pos.y();
    dragStartHorz = ScrollBox->Horz();
    dragStartVert = ScrollBox->Vert();
    dragging = true;
}

void TfmMain::imgPointMouseMove(Qt::KeyboardModifiers, int, int) {
    if (!dragging)
        return;
    // Screen coordinates: moving the content under the pointer does not feed back into the distance.
    const QPoint pos = QCursor::pos();
    ScrollBox->SetHorz(viewer::TruncCoord(double(dragStartHorz) + dragStartX - pos.x()));
    ScrollBox->SetVert(viewer::TruncCoord(double(dragStartVert) + dragStartY - pos.y()));
}

void TfmMain::imgPointMouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    dragging = false;
}
