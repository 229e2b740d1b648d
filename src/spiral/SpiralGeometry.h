#pragma once

// The spiral of time. The main tube winds outwards from the centre (4550 Ma
// ago) to its outer end (the present) over `turns` turns; the future runs on
// a helix of constant radius beyond it. Time runs on a logarithmic scale of
// age: the arc measure from the centre to a past date is proportional to
// 1 - ln(1 + age) / ln(4551). Positions are in the spiral's own frame, whose
// Z axis is the height axis. Dates are in millions of years, negative in the past.

#include "spiral/VectorMath.h"

class TBaseSceneObject;
class TPipe;

// The point of the spiral for date, as 32-bit floats.
Vector3f SpiralPoint(int turns, double radius, double heightPerTurn, double date);

// Replaces the nodes of the main tube (101 nodes, Radius 0.01, Division 4)
// and of the future tube (26 nodes, Radius 0.005, Division 4).
void BuildSpiral(TPipe& spirale, TPipe& spirale2, int turns, double radius, double heightPerTurn);

// Sets the object's Position X, Y, Z (in that order) to the point of the date
// and marks it UncachedGeometry.
void PlaceOnSpiral(TBaseSceneObject& object, int turns, double radius, double heightPerTurn, double date);
