#pragma once

// Registers, once, the accessible interface of TBtnRot with Qt.
void InstallBtnRotAccessibility();
