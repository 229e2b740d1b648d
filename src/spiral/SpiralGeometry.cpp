#include "spiral/SpiralGeometry.h"

#include "spiral/TPipe.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
}

Vector3f SpiralPoint(int turns, double radius, double heightPerTurn, double date) {
    const double bigTheta = 2 * kPi * turns;
    const double k = radius / bigTheta;
    const double l = k * bigTheta * bigTheta / 2;
    // ln(1 + x), accurate for small x.
    const double lnCentre = std::log1p(4550.0);
    double theta, r;
    if (date > 0) {
        const double s = l * (1 + std::log1p(date) / lnCentre);
        theta = std::sqrt(2 * s / k);
        r = std::sqrt(2 * l * k);
    } else {
        const double s = l * (1 - std::log1p(-date) / lnCentre);
        theta = s > 0 ? std::sqrt(2 * s / k) : 0.0;
        r = k * theta;
    }
    return {float(r * std::cos(theta)), float(r * std::sin(theta)), float(theta * heightPerTurn / (2 * kPi))};
}

void BuildSpiral(TPipe& spirale, TPipe& spirale2, int turns, double radius, double heightPerTurn) {
    spirale.Nodes().Clear();
    spirale.SetRadius(0.01f);
    spirale.SetDivision(4);
    for (int i = 0; i <= 100; ++i) {
        const double q = i * radius / 100;
        const double a = 2 * i * kPi * turns / 100;
        spirale.AppendNode(float(q * std::cos(a)), float(q * std::sin(a)), float(turns * heightPerTurn * (i / 100.0)));
    }
    spirale2.Nodes().Clear();
    spirale2.SetRadius(0.005f);
    spirale2.SetDivision(4);
    for (int j = 0; j <= 25; ++j) {
        const double a = 2 * j * kPi * turns / 134 + 2 * kPi * turns;
        spirale2.AppendNode(float(radius * std::cos(a)), float(radius * std::sin(a)),
                            float(turns * heightPerTurn * (j / 134.0) + turns * heightPerTurn));
    }
}

void PlaceOnSpiral(TBaseSceneObject& object, int turns, double radius, double heightPerTurn, double date) {
    const Vector3f p = SpiralPoint(turns, radius, heightPerTurn, date);
    object.Position().SetX(p.x);
    object.Position().SetY(p.y);
    object.Position().SetZ(p.z);
    object.SetUncachedGeometry(true);
}
