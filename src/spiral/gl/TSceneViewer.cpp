#include "spiral/gl/TSceneViewer.h"

TSceneViewer::TSceneViewer(QWidget* parent) : QWidget(parent) {}
