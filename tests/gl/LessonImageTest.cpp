// The picture of the window with the 3D view drawn offscreen at the picture's size.
#include "app/Dialogs.h"
#include "app/LessonFileDialog.h"
#include "app/LessonPage.h"
#include "app/TAevoriumF1.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"
#include "widgets/TBtnRot.h"

#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

constexpr double Pi = 3.14159265358979323846;

// The pixel of the view where the camera projects a point of the scene.
QPointF projected(TSceneViewer* viewer, Vector3f world) {
    const TSceneBuffer& b = viewer->Buffer();
    const Vector4f clip = Transform(Vector4f(world, 1), b.ViewMatrix() * b.ProjectionMatrix());
    return {(clip.x / clip.w + 1) / 2 * viewer->width(), (1 - clip.y / clip.w) / 2 * viewer->height()};
}

bool reddish(QColor c) { return c.red() > 150 && c.red() > c.green() + 60 && c.red() > c.blue() + 60; }

TEST(LessonImageTest, TheDateSphereShowsWhereTheCameraProjectsIt) {
    SetMessageHook([](const TMessageRequest&) { return 1; });
    TAevoriumF1 window;
    window.FormCreate();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(window.SceneViewer1->isVisible());
    window.BtnRot3->SetAngleBtn(-66 * 2 * Pi * 100);
    window.BtnRot1AngleChange(window.BtnRot3);

    TSceneViewer* v = window.SceneViewer1;
    const QPointF sphere = projected(v, window.Scene->SpherePos->WorldPosition());
    const QPoint origin = v->mapTo(window.centralWidget(), QPoint());
    for (int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        const QImage image = window.WindowImage(scale);
        ASSERT_EQ(image.size(), QSize(912, 654) * scale);
        EXPECT_TRUE(reddish(image.pixelColor(((origin + sphere) * scale).toPoint())));
        // The view's teal background in its corner.
        EXPECT_EQ(image.pixelColor((origin + QPoint(3, 3)) * scale), QColor(0, 128, 128));
    }
    // The offscreen frame is the view drawn again, not the window's frame enlarged.
    const QImage big = v->RenderImage(v->size() * 2);
    ASSERT_EQ(big.size(), v->size() * 2);
    EXPECT_TRUE(reddish(big.pixelColor((sphere * 2).toPoint())));
    SetMessageHook({});
}

// The printed page draws the view white with a dark spiral (no teal block),
// and the window's view keeps its teal look.
TEST(LessonImageTest, ThePrintedViewIsLight) {
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty())
        GTEST_SKIP() << "poppler-utils missing";
    SetMessageHook([](const TMessageRequest&) { return 1; });
    TAevoriumF1 window;
    window.FormCreate();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("fiche.pdf"));
    SetPrintDialogHook([&pdf](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    window.Imprimer1Click();
    if (qEnvironmentVariableIsSet("AEV_KEEP_PDF"))
        QFile::copy(pdf, qEnvironmentVariable("AEV_KEEP_PDF"));
    QProcess render;
    render.start(pdftoppm, {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"), QStringLiteral("-singlefile"),
                            pdf, dir.filePath(QStringLiteral("page"))});
    ASSERT_TRUE(render.waitForFinished(30000));
    const QImage page(dir.filePath(QStringLiteral("page.png")));
    ASSERT_FALSE(page.isNull());
    // The view's box (A4 landscape, 10 mm margins), a little inside.
    const QSizeF view = LessonViewSizeMm(QRectF(0, 0, 277, 190), 25.4);
    const double px = 30 / 25.4;
    const QRect box(int((10 + std::round(277 * 0.36) + 8 + 2) * px), int((10 + 29 + 2) * px), int((view.width() - 4) * px),
                    int((view.height() - 4) * px));
    int teal = 0, dark = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x) {
            const QColor c = page.pixelColor(x, y);
            teal += std::abs(c.red()) < 30 && std::abs(c.green() - 128) < 30 && std::abs(c.blue() - 128) < 30;
            dark += c.value() < 170; // the spiral, not the cyan markers
        }
    EXPECT_LT(teal, box.width() * box.height() / 100);
    EXPECT_GT(dark, 20);
    EXPECT_EQ(window.SceneViewer1->RenderImage(QSize(40, 40)).pixelColor(2, 2), QColor(0, 128, 128));
    SetPrintDialogHook({});
    SetMessageHook({});
}

} // namespace
