#include "spiral/SpiralScene.h"

namespace {
// n / 255 as a 32-bit float.
float c255(int n) { return float(n / 255.0); }
} // namespace

TSpiralScene::TSpiralScene() : Scene1(std::make_unique<TScene>()) {
    TBaseSceneObject& root = Scene1->Objects();

    LightSource1 = root.AddNewChild<TLightSource>();
    LightSource1->SetName(QStringLiteral("LightSource1"));
    LightSource1->SetLightStyle(lsOmni);
    LightSource1->Position().SetPoint(5, 0, 0);
    LightSource1->Ambient().SetColor(1, 1, 1, 1);
    LightSource1->SetConstAttenuation(0.7f);
    LightSource1->SetSpotCutOff(180);
    LightSource1->SpotDirection().SetPoint(0, 0, 1);

    BaseSpirale = root.AddNewChild<TDummyCube>();
    BaseSpirale->SetName(QStringLiteral("BaseSpirale"));
    BaseSpirale->Direction().SetPoint(0.707106769f, 0.707106769f, 0);
    BaseSpirale->Up().SetPoint(4.07438137e-08f, -4.07438137e-08f, -1);
    BaseSpirale->SetCubeSize(1);
    BaseSpirale->EdgeColor().SetColor(0.85f, 0.85f, 0.1f, 1);

    Spirale = BaseSpirale->AddNewChild<TPipe>();
    Spirale->SetName(QStringLiteral("Spirale"));
    {
        TFaceProperties& f = Spirale->Material().FrontProperties();
        f.Ambient().SetColor(c255(32), c255(45), c255(55), 1);
        f.Diffuse().SetColor(c255(77), c255(168), c255(170), 1);
        f.Emission().SetColor(c255(18), c255(14), c255(12), 1);
    }
    Spirale->SetDivision(4);
    Spirale->SetSplineMode(lsmCubicSpline);
    Spirale->SetSlices(6);
    Spirale->SetRadius(0.01f);
    Spirale->AppendNode(0, 0, 0);
    Spirale->AppendNode(0, 0, 1);

    SpherePos = BaseSpirale->AddNewChild<TSphere>();
    SpherePos->SetName(QStringLiteral("SpherePos"));
    {
        TFaceProperties& f = SpherePos->Material().FrontProperties();
        f.Ambient().SetColor(0, 0, c255(4), 1);
        f.Diffuse().SetColor(c255(245), c255(34), c255(32), 0.722f);
        f.Emission().SetColor(c255(85), c255(14), c255(4), 0.706f);
        f.Specular().SetColor(c255(20), 0, 0, 1);
    }
    SpherePos->Material().SetBlendingMode(bmTransparency);
    SpherePos->SetRadius(0.05f);
    SpherePos->SetSlices(20);
    SpherePos->SetStacks(20);
    {
        auto* collision = SpherePos->Behaviours().Add(std::make_unique<TCollisionBehaviour>());
        collision->SetManager(&CollisionManager1);
        collision->SetBoundingMode(cbmPoint);
    }

    Spirale2 = BaseSpirale->AddNewChild<TPipe>();
    Spirale2->SetName(QStringLiteral("Spirale2"));
    Spirale2->Material().FrontProperties().Diffuse().SetColor(c255(61), c255(215), c255(63), 0.429f);
    Spirale2->SetDivision(4);
    Spirale2->SetSplineMode(lsmCubicSpline);
    Spirale2->SetSlices(6);
    Spirale2->SetRadius(1);

    CibleCamera = root.AddNewChild<TDummyCube>();
    CibleCamera->SetName(QStringLiteral("CibleCamera"));
    CibleCamera->Position().SetPoint(0, 0.7f, 0);
    CibleCamera->Direction().SetPoint(0.947220623f, -0.32058242f, 0);
    CibleCamera->Up().SetPoint(0.320578247f, 0.947208285f, -0.0051054405f);
    CibleCamera->SetCubeSize(1);

    Camera1 = CibleCamera->AddNewChild<TCamera>();
    Camera1->SetName(QStringLiteral("Camera1"));
    Camera1->Position().SetPoint(0, 0, 4);
    Camera1->Direction().SetPoint(0, 0, 1);
    Camera1->Up().SetPoint(0, 1, 0);
    Camera1->SetDepthOfView(100);
    Camera1->SetFocalLength(80);
    Camera1->SetTargetObject(CibleCamera);
}

TSpiralScene::~TSpiralScene() {
    // The tree frees every object, markers included.
    EventMarkers.clear();
    HoveredMarker = nullptr;
    Scene1.reset();
}
