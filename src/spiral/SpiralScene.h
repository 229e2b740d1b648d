#pragma once

// The 3D scene of the main window (placeholder until the scene layer lands).
struct TSpiralScene {};
