#include "spiral/gl/TSceneViewer.h"

#include <QMouseEvent>
#include <QToolTip>

// Temporary body without drawing; the OpenGL surface follows.
class TSceneViewerSurface {};

TSceneViewer::TSceneViewer(QWidget* parent) : QWidget(parent) {
    m_buffer.SetContextOptions(roDoubleBuffer | roRenderToWindow);
    m_buffer.OnChange = [this] { requestRepaint(); };
    setMouseTracking(true);
}

TSceneViewer::~TSceneViewer() { m_buffer.OnChange = nullptr; }

bool TSceneViewer::OpenGLAvailable() const { return false; }

void TSceneViewer::SetContextOptions(unsigned options) {
    if (options == m_buffer.ContextOptions())
        return;
    m_buffer.SetContextOptions(options);
}

void TSceneViewer::SetShowHint(bool on) {
    m_showHint = on;
    if (!on)
        QToolTip::hideText();
}

QImage TSceneViewer::GrabFrame() { return {}; }

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

void TSceneViewer::mouseDoubleClickEvent(QMouseEvent* e) { mousePressEvent(e); }

void TSceneViewer::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    m_buffer.SetViewport(width(), height());
}

void TSceneViewer::showEvent(QShowEvent* e) { QWidget::showEvent(e); }

void TSceneViewer::createSurface() {}

void TSceneViewer::requestRepaint() { update(); }
