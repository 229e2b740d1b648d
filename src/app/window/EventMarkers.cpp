// Event markers on the spiral, hovering and the touched event.
#include "app/TAevoriumF1.h"
#include "spiral/CollisionManager.h"
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"
#include "timescale/StrToFloat.h"

#include <QLabel>

namespace {

// Marker colours: teal at rest, olive under the mouse. The alpha of the
// emission, copied from the date sphere, is left as it is.
void setMarkerColours(TBaseSceneObject* object, bool highlighted) {
    auto* shape = dynamic_cast<TCustomSceneObject*>(object);
    if (!shape)
        return;
    TFaceProperties& f = shape->Material().FrontProperties();
    const float red = highlighted ? 0.5f : 0.0f;
    const float blue = highlighted ? 0.0f : 0.5f;
    f.Diffuse().SetRed(red);
    f.Diffuse().SetBlue(blue);
    f.Diffuse().SetGreen(0.5f);
    f.Diffuse().SetAlpha(1);
    f.Emission().SetRed(red);
    f.Emission().SetBlue(blue);
    f.Emission().SetGreen(0.5f);
}

} // namespace

void TAevoriumF1::CreateEventMarkers() {
    TSpiralScene& s = *Scene;
    // Markers are always made anew for the whole list.
    if (!s.EventMarkers.empty())
        ClearEventMarkers();
    const int count = EventList.Count();
    s.EventMarkers.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        auto* marker = new TSphere(s.BaseSpirale);
        s.EventMarkers.push_back(marker);
        marker->Reparent(s.BaseSpirale);
        marker->SetRadius(0.03f);
        marker->SetSlices(20);
        marker->SetStacks(20);
        marker->Position().SetPoint(0, 0, 0);
        marker->Material() = s.SpherePos->Material();
        marker->Material().SetBlendingMode(s.Spirale->Material().BlendingMode());
        setMarkerColours(marker, false);
        marker->SetTag(i + 1);
        marker->SetName(QStringLiteral("Evenement") + QString::number(i + 1));
        marker->Behaviours().Assign(s.SpherePos->Behaviours());
        if (marker->Behaviours().Count() > 0)
            if (auto* collision = dynamic_cast<TCollisionBehaviour*>(marker->Behaviours()[0]))
                collision->SetBoundingMode(cbmSphere);
        PlaceOnSpiral(*marker, 5, 1.0, 0.3, StrToFloatLenient(EventList.Date(i)));
    }
}

void TAevoriumF1::ClearEventMarkers() {
    TSpiralScene& s = *Scene;
    // Each marker leaves BaseSpirale and unregisters its collision behaviour.
    for (TSphere* marker : s.EventMarkers)
        delete marker;
    s.EventMarkers.clear();
    s.HoveredMarker = nullptr;
}

void TAevoriumF1::RunCollisionCheck() { Scene->CollisionManager1.RunCollisionCheck(); }

void TAevoriumF1::CollisionManager1Collision(TCollisionManager*, TBaseSceneObject* object1,
                                             TBaseSceneObject* object2) {
    // A pair of markers touching each other says nothing.
    if (!object1 || !object2 || object1->Name() != QLatin1String("SpherePos"))
        return;
    const int index = object2->Tag() - 1;
    if (index < 0 || index >= EventList.Count())
        return;
    SelectedEventIndex = index;
    Label3->setText(QLatin1Char(' ') + EventList.Text(index));
}

void TAevoriumF1::HoverMarkerAt(int X, int Y) {
    TSpiralScene& s = *Scene;
    if (s.HoveredMarker && s.HoveredMarker->Tag() != 0)
        setMarkerColours(s.HoveredMarker, false);
    TBaseSceneObject* o = SceneViewer1->PickAt(X, Y);
    if (o && o->Tag() != 0) {
        SceneViewer1->SetShowHint(false);
        SceneViewer1->setCursor(Qt::PointingHandCursor);
        s.HoveredMarker = o;
        setMarkerColours(o, true);
        const int index = o->Tag() - 1;
        Label2->setText(QLatin1Char(' ') + (index >= 0 && index < EventList.Count() ? EventList.Text(index) : QString()));
    } else {
        // The last marker keeps its place in HoveredMarker; its colours are back already.
        SceneViewer1->SetShowHint(true);
        SceneViewer1->unsetCursor();
        Label2->clear();
    }
}
