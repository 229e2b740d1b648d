#pragma once

#include <QWidget>

// Placeholder of the 3D viewer until the scene layer lands.
class TSceneViewer : public QWidget {
    Q_OBJECT
public:
    explicit TSceneViewer(QWidget* parent = nullptr);
    bool OpenGLAvailable() const { return false; }
    void SetContextOptions(unsigned options) { m_contextOptions = options; }
    unsigned ContextOptions() const { return m_contextOptions; }

private:
    unsigned m_contextOptions = 63;
};
