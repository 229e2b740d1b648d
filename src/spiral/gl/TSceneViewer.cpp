#include "spiral/gl/TSceneViewer.h"

#include "spiral/gl/SceneRenderer.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QtGui/qopengl.h>
#include <QOpenGLWidget>
#include <QSurfaceFormat>
#include <QToolTip>

#include <algorithm>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Whether this process can make an OpenGL context of at least version 1.1;
// probed once (creating a context is what the viewer will need).
bool probeOpenGL() {
    static const bool available = [] {
        QOpenGLContext context;
        if (!context.create())
            return false;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        if (!surface.isValid() || !context.makeCurrent(&surface))
            return false;
        const QSurfaceFormat f = context.format();
        const bool ok = f.majorVersion() > 1 || (f.majorVersion() == 1 && f.minorVersion() >= 1);
        context.doneCurrent();
        return ok;
    }();
    return available;
}

// The surface format of a set of context options, as far as the platform
// offers them: colour and depth 24 bits always, no accumulation buffers.
QSurfaceFormat formatFor(unsigned options) {
    QSurfaceFormat f;
    f.setRenderableType(QSurfaceFormat::OpenGL);
    f.setProfile(QSurfaceFormat::CompatibilityProfile);
    f.setVersion(2, 1);
    f.setSwapBehavior((options & roDoubleBuffer) ? QSurfaceFormat::DoubleBuffer : QSurfaceFormat::SingleBuffer);
    const int colourBits = (options & roNoColorBuffer) ? 0 : 8;
    f.setRedBufferSize(colourBits);
    f.setGreenBufferSize(colourBits);
    f.setBlueBufferSize(colourBits);
    f.setAlphaBufferSize((options & roDestinationAlpha) ? 8 : 0);
    f.setDepthBufferSize(24);
    f.setStencilBufferSize((options & roStencilBuffer) ? 8 : 0);
    f.setStereo((options & roStereo) != 0);
    return f;
}

} // namespace

// The OpenGL drawing surface filling the viewer. Mouse events pass through to
// the viewer, which owns the state; one surface (and context) per set of
// context options.
class TSceneViewerSurface : public QOpenGLWidget {
public:
    explicit TSceneViewerSurface(TSceneViewer* viewer) : QOpenGLWidget(viewer), m_viewer(viewer) {
        setFormat(formatFor(viewer->m_buffer.ContextOptions()));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(viewer->rect());
        m_renderer.SetKeepPicture(true);
    }
    ~TSceneViewerSurface() override {
        // The kept picture belongs to this context.
        if (isValid()) {
            makeCurrent();
            m_renderer.ReleaseKeptPicture();
            doneCurrent();
        }
    }
    const SceneRenderer& Renderer() const { return m_renderer; }
    bool RenderNow() {
        if (!isValid() || m_failed)
            return false;
        makeCurrent();
        paintGL();
        glFinish();
        doneCurrent();
        return true;
    }

protected:
    void initializeGL() override {
        ++m_viewer->m_contextCount;
        QOpenGLContext* ctx = context();
        const QSurfaceFormat f = ctx ? ctx->format() : QSurfaceFormat();
        QString error;
        if (!ctx || !ctx->isValid())
            error = QStringLiteral("Failed to create RenderingContext.");
        else if (f.majorVersion() < 1 || (f.majorVersion() == 1 && f.minorVersion() < 1))
            error = QStringLiteral("Need at least OpenGL version 1.1");
        if (!error.isEmpty()) {
            // Nothing can be drawn: the viewer steps aside so that its panel's caption shows.
            m_failed = true;
            m_viewer->m_contextError = error;
            QMetaObject::invokeMethod(m_viewer, [v = m_viewer] { v->setVisible(false); }, Qt::QueuedConnection);
        }
    }

    void paintGL() override {
        TSceneBuffer& buffer = m_viewer->m_buffer;
        if (m_failed || buffer.Busy())
            return;
        TSceneBuffer::BusyGuard busy(buffer);
        const qreal dpr = devicePixelRatioF();
        // The widget draws into a frame buffer object with the colour depth of its format.
        const int blueBits = format().blueBufferSize() > 0 ? format().blueBufferSize() : 8;
        m_renderer.SetSendAllTriangles(m_viewer->m_sendAll);
        m_renderer.SetStandInThreshold(m_viewer->m_standInThreshold);
        QElapsedTimer clock;
        clock.start();
        m_renderer.Render(buffer, int(width() * dpr + 0.5), int(height() * dpr + 0.5), blueBits);
        m_viewer->m_lastFrameMs = double(clock.nsecsElapsed()) / 1e6;
        ++m_viewer->m_frameCount;
    }

private:
    TSceneViewer* m_viewer;
    SceneRenderer m_renderer;
    bool m_failed = false;
};

TSceneViewer::TSceneViewer(QWidget* parent) : QWidget(parent) {
#if defined(__GLIBC__)
    // The software renderer takes and gives back large buffers at every
    // frame. Returned to the system at once (the allocator's default as soon
    // as the top of the heap is free), they must be faulted in and cleared
    // anew each time, which can cost more than the frame itself: freed
    // memory up to 256 MB stays with the process. Every thread's arena would
    // keep as much (the reading of a large event file leaves hundreds of
    // megabytes in its thread's arena, out of reach of the markers made
    // next): the process has one arena.
    static const bool kept =
        mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024) != 0 && mallopt(M_ARENA_MAX, 1) != 0;
    (void)kept;
#endif
    m_buffer.OnChange = [this] { requestRepaint(); };
    m_deferredRepaint.setSingleShot(true);
    connect(&m_deferredRepaint, &QTimer::timeout, this, [this] {
        if (m_surface)
            m_surface->update();
    });
    m_buffer.SetViewport(width(), height());
    setMouseTracking(true);
    if (OpenGLAvailable()) {
        // The frame covers the whole viewer: no background erase.
        setAttribute(Qt::WA_OpaquePaintEvent);
        createSurface();
    }
}

TSceneViewer::~TSceneViewer() {
    m_buffer.OnChange = nullptr;
    delete m_surface;
    m_surface = nullptr;
}

bool TSceneViewer::OpenGLAvailable() const { return probeOpenGL(); }

void TSceneViewer::SetContextOptions(unsigned options) {
    if (options == m_buffer.ContextOptions())
        return;
    m_buffer.SetContextOptions(options);
    if (m_surface)
        createSurface();
}

void TSceneViewer::createSurface() {
    delete m_surface;
    m_surface = new TSceneViewerSurface(this);
    m_surface->setVisible(true);
}

void TSceneViewer::SetShowHint(bool on) {
    m_showHint = on;
    if (!on)
        QToolTip::hideText();
}

QImage TSceneViewer::GrabFrame() {
    if (!m_surface)
        return {};
    return m_surface->grabFramebuffer();
}

void TSceneViewer::SetSendAllTriangles(bool on) {
    m_sendAll = on;
    requestRepaint();
}

QImage TSceneViewer::RenderImage(const QSize& size) {
    if (size.isEmpty() || !OpenGLAvailable() || m_buffer.Busy())
        return {};
    QSurfaceFormat format = formatFor(m_buffer.ContextOptions());
    format.setStereo(false);
    QOpenGLContext context;
    context.setFormat(format);
    if (!context.create())
        return {};
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return {};
    QImage image;
    GLint maxSize[2] = {0, 0}; // width and height
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxSize);
    if (QOpenGLFramebufferObject::hasOpenGLFramebufferObjects() && size.width() <= maxSize[0] &&
        size.height() <= maxSize[1]) {
        QOpenGLFramebufferObjectFormat fboFormat;
        fboFormat.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
        // No alpha: the picture is the view as it shows, without the
        // transparency that blending leaves in the destination alpha.
        fboFormat.setInternalTextureFormat(GL_RGB8);
        QOpenGLFramebufferObject fbo(size, fboFormat);
        if (fbo.isValid() && fbo.bind()) {
            TSceneBuffer::BusyGuard busy(m_buffer);
            SceneRenderer renderer;
            renderer.SetSendAllTriangles(m_sendAll);
            renderer.Render(m_buffer, size.width(), size.height(), 8);
            glFinish();
            image = fbo.toImage();
            fbo.release();
        }
    }
    context.doneCurrent();
    return image.isNull() ? image : image.convertToFormat(QImage::Format_RGB32);
}

void TSceneViewer::SetStandInThreshold(std::size_t n) {
    m_standInThreshold = n;
    requestRepaint();
}

std::size_t TSceneViewer::StandInsDrawn() const { return m_surface ? m_surface->Renderer().StandInsDrawn() : 0; }

int TSceneViewer::FramesOverKeptPicture() const {
    return m_surface ? m_surface->Renderer().FramesOverKeptPicture() : 0;
}

bool TSceneViewer::RenderNow() { return m_surface && m_surface->RenderNow(); }

void TSceneViewer::RepaintNow() {
    if (m_surface && isVisible())
        m_surface->repaint();
}

void TSceneViewer::requestRepaint() {
    if (!m_surface)
        return;
    // After a slow frame (a scene of hundreds of thousands of markers) the
    // next one waits twice as long as the last took: the window, the dials
    // among them, keeps answering in between, and the view shows the latest
    // state when it is drawn.
    // A frame drawn over the kept picture of the opaque part (a dial step)
    // is quick whatever came before.
    constexpr double kSlowFrameMs = 100;
    if (m_lastFrameMs > kSlowFrameMs && !m_surface->Renderer().KeptPictureHolds(m_buffer)) {
        if (!m_deferredRepaint.isActive())
            m_deferredRepaint.start(int(std::min(2 * m_lastFrameMs, 4000.0)));
        return;
    }
    m_surface->update();
}

bool TSceneViewer::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && !m_showHint)
        return true;
    return QWidget::event(e);
}

void TSceneViewer::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit MouseDown(e->button(), e->modifiers(), p.x(), p.y());
}

void TSceneViewer::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit MouseMove(e->buttons(), e->modifiers(), p.x(), p.y());
}

void TSceneViewer::mouseReleaseEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    emit MouseUp(e->button(), e->modifiers(), p.x(), p.y());
}

// A double click is a press as far as the handlers go.
void TSceneViewer::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void TSceneViewer::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    m_buffer.SetViewport(width(), height());
    if (m_surface)
        m_surface->setGeometry(rect());
}

