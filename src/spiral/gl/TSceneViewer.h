#pragma once

#include "spiral/StandIns.h"
#include "spiral/TSceneBuffer.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

class TSceneViewerSurface;

// The child window that shows a scene through a camera with OpenGL. Its
// Buffer holds the rendering state (camera, background colour, context
// options, viewport) and answers picking. Without OpenGL it draws nothing and
// its owner hides it.
class TSceneViewer : public QWidget {
    Q_OBJECT
public:
    explicit TSceneViewer(QWidget* parent = nullptr);
    ~TSceneViewer() override;

    // True when this process can make an OpenGL context (probed once).
    bool OpenGLAvailable() const;

    TSceneBuffer& Buffer() { return m_buffer; }
    const TSceneBuffer& Buffer() const { return m_buffer; }
    TCamera* Camera() const { return m_buffer.Camera(); }
    void SetCamera(TCamera* camera) { m_buffer.SetCamera(camera); }

    // Bits of TContextOption. A different set recreates the rendering context
    // with the new surface format; the same set changes nothing.
    void SetContextOptions(unsigned options);
    unsigned ContextOptions() const { return m_buffer.ContextOptions(); }

    // The nearest object drawn in the 2 x 2 pixels around (x, y) (y downwards), or none.
    TBaseSceneObject* PickAt(int x, int y) { return m_buffer.PickAt(x, y); }

    // The hint (tooltip) shows only while this is on.
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool on);

    // Repaints the view at once, without waiting for the event loop.
    void RepaintNow();
    // Draws one frame now and returns it (an empty image without OpenGL).
    QImage GrabFrame();
    // Draws the scene into an image of `size` pixels through an offscreen
    // frame buffer of its own context, whatever the viewer's size or
    // visibility (the camera keeps the viewer's proportions). A null image
    // when OpenGL or frame buffers are not available.
    QImage RenderImage(const QSize& size);
    // Draws one frame now and waits until OpenGL has finished it (for
    // measurements); false without a context.
    bool RenderNow();
    // Sends every triangle of every mesh instead of only those that can reach
    // a pixel (the reference picture for tests).
    void SetSendAllTriangles(bool on);
    // Whole spheres a frame must hold before the small ones are drawn as
    // stand-ins (spiral/StandIns.h), and how many the last frame drew.
    void SetStandInThreshold(std::size_t n);
    std::size_t StandInsDrawn() const;
    // Frames drawn and contexts made so far (for tests and measurements).
    int FrameCount() const { return m_frameCount; }
    int ContextCount() const { return m_contextCount; }
    // Frames that drew only the date sphere (the blended objects) over the
    // kept picture of the rest.
    int FramesOverKeptPicture() const;
    // The error met when the rendering context was made ("Failed to create
    // RenderingContext." or "Need at least OpenGL version 1.1"); the viewer
    // then hides itself. Empty when all went well.
    const QString& ContextError() const { return m_contextError; }

signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    bool event(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    friend class TSceneViewerSurface;
    void createSurface();
    void requestRepaint();

    TSceneBuffer m_buffer;
    TSceneViewerSurface* m_surface = nullptr; // child widget, owned by Qt
    bool m_showHint = true;
    bool m_sendAll = false;
    std::size_t m_standInThreshold = kStandInThreshold;
    int m_frameCount = 0;
    // How long the last frame took, and the deferred repaint after a slow one.
    double m_lastFrameMs = 0;
    QTimer m_deferredRepaint;
    int m_contextCount = 0;
    QString m_contextError;
};
