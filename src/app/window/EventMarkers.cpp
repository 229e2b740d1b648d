// Event markers on the spiral, hovering and the touched event.
#include "app/TAevoriumF1.h"
#include "app/TEditionEven.h"
#include "spiral/CollisionManager.h"
#include "spiral/SpiralGeometry.h"
#include "spiral/SpiralScene.h"
#include "spiral/gl/TSceneViewer.h"
#include "timescale/StrToFloat.h"

#include <QLabel>

#include <memory>
#include <utility>

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

// Tag and name of the marker of event i.
void setMarkerNumber(TSphere* marker, int i) {
    marker->SetTag(i + 1);
    marker->SetName(QStringLiteral("Evenement") + QString::number(i + 1));
}

// The marker of event i, owned by BaseSpirale but not yet in the tree, so that
// none of its settings asks for a repaint.
TSphere* newMarker(TSpiralScene& s, int i, const QString& dateText) {
    // Freed again (and unregistered) should a step fail.
    auto marker = std::make_unique<TSphere>(s.BaseSpirale);
    marker->SetRadius(0.03f);
    marker->SetSlices(20);
    marker->SetStacks(20);
    marker->Position().SetPoint(0, 0, 0);
    marker->Material() = s.SpherePos->Material();
    marker->Material().SetBlendingMode(s.Spirale->Material().BlendingMode());
    setMarkerColours(marker.get(), false);
    setMarkerNumber(marker.get(), i);
    marker->Behaviours().Assign(s.SpherePos->Behaviours());
    if (marker->Behaviours().Count() > 0)
        if (auto* collision = dynamic_cast<TCollisionBehaviour*>(marker->Behaviours()[0]))
            collision->SetBoundingMode(cbmSphere);
    PlaceOnSpiral(*marker, 5, 1.0, 0.3, StrToFloatLenient(dateText));
    return marker.release();
}

// Markers freshly made show no highlight: the one highlighted last gets its
// normal colours back and is forgotten.
void forgetHoveredMarker(TSpiralScene& s) {
    if (s.HoveredMarker && s.HoveredMarker->Tag() != 0)
        setMarkerColours(s.HoveredMarker, false);
    s.HoveredMarker = nullptr;
}

} // namespace

bool TAevoriumF1::MakeEventMarkers(const TEventList& list, std::vector<TSphere*>& markers,
                                   const std::function<bool(int)>& progress) {
    TSpiralScene& s = *Scene;
    markers.clear();
    const int count = list.Count();
    auto discard = [&markers] {
        for (TSphere* marker : markers)
            delete marker;
        markers.clear();
    };
    try {
        markers.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i) {
            if (progress && i % 2048 == 0 && !progress(i)) {
                discard();
                return false;
            }
            markers.push_back(newMarker(s, i, list.Date(i)));
        }
    } catch (...) {
        discard();
        throw;
    }
    return true;
}

void TAevoriumF1::ShowEventMarkers(std::vector<TSphere*> markers) {
    TSpiralScene& s = *Scene;
    TSceneUpdate merged(*s.Scene1);
    ClearEventMarkers();
    // In order, after the children BaseSpirale has (and after earlier
    // registrations with the collision manager, those of freed markers gone).
    for (TSphere* marker : markers)
        marker->Reparent(s.BaseSpirale);
    s.EventMarkers = std::move(markers);
}

void TAevoriumF1::CreateEventMarkers() {
    std::vector<TSphere*> markers;
    ClearEventMarkers();
    MakeEventMarkers(EventList, markers, {});
    ShowEventMarkers(std::move(markers));
}

void TAevoriumF1::ClearEventMarkers() {
    TSpiralScene& s = *Scene;
    TSceneUpdate merged(*s.Scene1);
    // Each marker leaves BaseSpirale and unregisters its collision behaviour.
    for (TSphere* marker : s.EventMarkers)
        delete marker;
    s.EventMarkers.clear();
    s.HoveredMarker = nullptr;
    // The strip under the view names no event of the old list any more.
    if (Label2)
        Label2->clear();
}

void TAevoriumF1::EventMarkersAfterEdit(int action, int index) {
    TSpiralScene& s = *Scene;
    const int count = EventList.Count();
    const int markers = int(s.EventMarkers.size());
    // The markers end as CreateEventMarkers would make them for the new list;
    // only the markers that differ are touched.
    const bool appended = action == TEditionEven::ActionAdd && markers == count - 1 &&
                          (index < 0 || index >= markers);
    const bool textOnly = action == TEditionEven::ActionModify && markers == count;
    const bool deleted = action == TEditionEven::ActionDelete && markers == count + 1 && index >= 0 &&
                         index < markers;
    if (!appended && !textOnly && !deleted) {
        CreateEventMarkers();
        return;
    }
    TSceneUpdate merged(*s.Scene1);
    forgetHoveredMarker(s);
    if (Label2)
        Label2->clear();
    if (appended) {
        TSphere* marker = newMarker(s, count - 1, EventList.Date(count - 1));
        marker->Reparent(s.BaseSpirale);
        s.EventMarkers.push_back(marker);
    } else if (deleted) {
        delete s.EventMarkers[std::size_t(index)];
        s.EventMarkers.erase(s.EventMarkers.begin() + index);
        for (int i = index; i < count; ++i)
            setMarkerNumber(s.EventMarkers[std::size_t(i)], i);
    }
}

void TAevoriumF1::RunCollisionCheck() {
    // The handler reads only the pairs of the date sphere: those alone are
    // looked for, in the order of the full check. Where markers crowd, the
    // sphere touches hundreds of them; the label is written once, with the
    // event the last report names, which is the text it would end with.
    m_touchedDuringCheck = -1;
    m_inCollisionCheck = true;
    struct TEnd {
        TAevoriumF1* w;
        ~TEnd() { w->m_inCollisionCheck = false; }
    } end{this};
    Scene->CollisionManager1.RunCollisionCheckWith(Scene->SpherePos);
    m_inCollisionCheck = false;
    if (m_touchedDuringCheck >= 0 && m_touchedDuringCheck < EventList.Count())
        Label3->setText(QLatin1Char(' ') + EventList.Text(m_touchedDuringCheck));
}

void TAevoriumF1::CollisionManager1Collision(TCollisionManager*, TBaseSceneObject* object1,
                                             TBaseSceneObject* object2) {
    // A pair of markers touching each other says nothing.
    if (!object1 || !object2 || object1->Name() != QLatin1String("SpherePos"))
        return;
    const int index = object2->Tag() - 1;
    if (index < 0 || index >= EventList.Count())
        return;
    SelectedEventIndex = index;
    if (m_inCollisionCheck)
        m_touchedDuringCheck = index;
    else
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
