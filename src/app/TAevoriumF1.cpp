#include "app/TAevoriumF1.h"

#include "app/Dialogs.h"
#include "app/DisplayOptions.h"
#include "app/window/Navigation.h"
#include "app/window/Projection.h"
#include "app/window/Tours.h"
#include "spiral/gl/TSceneViewer.h"
#include "timescale/AevError.h"
#include "widgets/TBtnRot.h"
#include "widgets/TEmbossedText.h"
#include "widgets/TImage.h"
#include "widgets/TImageSlider.h"
#include "widgets/TLEDDisplay.h"
#include "widgets/TLEDLabel.h"
#include "widgets/TPanel.h"
#include "widgets/TPanelLabel.h"
#include "widgets/TScrewPanel.h"
#include "widgets/WinColor.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

#include <algorithm>

namespace {

QFont sansSerif(int pixelSize, bool bold = false) {
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

// A panel of the instrument: lowered teal frame.
TPanel* tealFrame(QWidget* parent, const QRect& geometry, int bevelWidth = 1) {
    auto* p = new TPanel(parent);
    p->setGeometry(geometry);
    p->SetBevelOuter(bvLowered);
    p->SetBevelWidth(bevelWidth);
    p->SetColor(cl::Teal);
    return p;
}

// A label filling the client area of a panel: aqua text on teal, word wrap,
// 13-pixel font. Its lines are spaced so that `lines` of them fit the panel.
QLabel* aquaLabel(TPanel* parent, int bevel, int lines) {
    auto* l = new TPanelLabel(parent);
    l->setGeometry(parent->rect().adjusted(bevel, bevel, -bevel, -bevel));
    l->setFont(sansSerif(13));
    l->SetLinePitch(l->PitchToFit(lines, l->height()));
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, WinColor(cl::Teal));
    pal.setColor(QPalette::WindowText, WinColor(cl::Aqua));
    l->setPalette(pal);
    return l;
}

// The 16 x 16 globe of the information buttons: blue and navy sea, olive land,
// on a transparent background.
QIcon globeIcon() {
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(WinColor(cl::Navy));
    p.setBrush(WinColor(cl::Blue));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(WinColor(cl::Olive));
    p.drawPolygon(QPolygonF({{4, 4}, {8, 3}, {9, 6}, {7, 8}, {5, 8}, {4, 6}}));
    p.drawPolygon(QPolygonF({{9, 9}, {12, 8}, {13, 11}, {10, 13}, {9, 11}}));
    p.end();
    return QIcon(QPixmap::fromImage(img));
}

// A fixed filled circle without outline, centred in its box.
class TDot : public QWidget {
public:
    TDot(TColor color, QWidget* parent) : QWidget(parent), m_color(color) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        // Exact colours on whole pixels, as the readout's segments are drawn.
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(WinColor(m_color));
        const int d = std::min(width(), height());
        p.drawEllipse(QRect((width() - d) / 2, (height() - d) / 2, d, d));
    }

private:
    TColor m_color;
};

// A dial of the instrument panel with its stored values, in their order, and
// the window's three handlers.
TBtnRot* createDial(TAevoriumF1* window, QWidget* parent, const QString& name, const QPoint& pos,
                    const QString& hint, const QString& text) {
    auto* d = new TBtnRot(parent);
    d->setObjectName(name);
    d->move(pos);
    d->SetHint(hint);
    d->SetColor(cl::BtnFace);
    d->SetColorDiodeOff(cl::Teal);
    d->SetColorDiodeON(cl::Aqua);
    d->SetTaille(80);
    d->SetTailleDiode(15);
    d->SetDiodeVisible(true);
    d->SetDiodeBlink(false);
    d->SetShowHint(true);
    d->SetBevelBtn(2);
    d->SetCursorBtn(Qt::PointingHandCursor);
    d->SetMargeDiode(4);
    d->SetTour(0);
    d->OnAngleChange = [window](TBtnRot* sender) { window->BtnRot1AngleChange(sender); };
    d->OnMouseDown = [window](TBtnRot* sender, Qt::MouseButton b, Qt::KeyboardModifiers k, int x, int y) {
        window->BtnRot1MouseDown(sender, b, k, x, y);
    };
    d->OnMouseUp = [window](TBtnRot* sender, Qt::MouseButton b, Qt::KeyboardModifiers k, int x, int y) {
        window->BtnRot3MouseUp(sender, b, k, x, y);
    };
    d->SetBlockZero(false);
    d->SetBlockMax(true);
    d->SetBlockMin(true);
    d->SetTexteBtn(text);
    d->SetTexteBtnTaille(8);
    d->SetHoraire(true);
    // Diagnostics go through the window's message boxes.
    d->OnDebugMessage = [window](TBtnRot*, const QString& message) { ShowNotice(window, message); };
    return d;
}

// The two screw panels of the window: raised inner and lowered outer bevel,
// button-face plate, margin 3, screws of size 4.
void configureScrewPanel(TScrewPanel* p) {
    p->SetBevelInner(bvRaised);
    p->SetBevelOuter(bvLowered);
    p->SetColor(cl::BtnFace);
    p->SetMargin(3);
    p->SetScrewSize(4);
    p->SetShowScrews(true);
}

// Lettering engraved in the panel: bold Arial in the inactive-caption colour, sunken.
void configureEngraved(TEmbossedText* t, int pixelSize, TFxCaption fx) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixelSize);
    f.setBold(true);
    t->setFont(f);
    t->SetFontColor(cl::InactiveCaption);
    fx.Style = tdSunken;
    t->SetFontFX(fx);
}

} // namespace

TAevoriumF1::TAevoriumF1(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("AevoriumF1"));
    setWindowTitle(QStringLiteral("Aevorium v beta 2.3.2.0"));
    // A fixed-size window with a title bar and a close box, no maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::WindowMinimizeButtonHint);
    setFont(sansSerif(11));
    ExeDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    createMenus();
    createControls();
    CreateSceneObjects();
    Navigation = new TNavigation(this);
    Projection = new TProjection(this, RunScaleFactor());
    if (SavedHighContrast())
        Projection->ApplyHighContrast(true);
    Tours = new TTours(this);
    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = this->screen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - rect().center());
    }
}

TAevoriumF1::~TAevoriumF1() {
    // The dials outlive this destructor (Qt deletes children afterwards) and
    // a dial losing focus then ends its turn: its handlers must no longer
    // reach this window.
    for (TBtnRot* dial : {BtnRot1, BtnRot2, BtnRot3}) {
        if (!dial)
            continue;
        dial->OnAngleChange = nullptr;
        dial->OnMouseDown = nullptr;
        dial->OnMouseUp = nullptr;
        dial->OnDebugMessage = nullptr;
        dial->ValueDetail = nullptr;
    }
    DestroySceneObjects();
}

void TAevoriumF1::createMenus() {
    QMenuBar* bar = menuBar();
    Fichier1 = bar->addMenu(QStringLiteral("Fichier"));
    Fichier1->setObjectName(QStringLiteral("Fichier1"));
    Quitter1 = Fichier1->addAction(QStringLiteral("Quitter"), this, [this] { Quitter1Click(); });
    Quitter1->setObjectName(QStringLiteral("Quitter1"));
    createLessonMenuItems();
    createChartMenuItem();

    Donnes1 = bar->addMenu(QStringLiteral("Données"));
    Donnes1->setObjectName(QStringLiteral("Donnes1"));

    Spirale1 = bar->addMenu(QStringLiteral("Spirale"));
    Spirale1->setObjectName(QStringLiteral("Spirale1"));
    Personnalise1 = Spirale1->addAction(QStringLiteral("Personnalisée"));
    Personnalise1->setObjectName(QStringLiteral("Personnalise1"));
    Personnalise1->setCheckable(true);
    connect(Personnalise1, &QAction::triggered, this, [this] {
        // The tick is the mode: the handler toggles it itself.
        Personnalise1->setChecked(!Personnalise1->isChecked());
        Personnalise1Click(Personnalise1);
    });
    Editervnement1 = Spirale1->addAction(QStringLiteral("Editer événement"), this, [this] { Editervnement1Click(); });
    Editervnement1->setObjectName(QStringLiteral("Editervnement1"));
    Editervnement1->setEnabled(false);
    Sauvegarder1 = Spirale1->addAction(QStringLiteral("Sauvegarder"), this, [this] { Sauvegarder1Click(); });
    Sauvegarder1->setObjectName(QStringLiteral("Sauvegarder1"));
    Sauvegarder1->setEnabled(false);
    Ouvrir1 = Spirale1->addAction(QStringLiteral("Ouvrir"), this, [this] { Ouvrir1Click(); });
    Ouvrir1->setObjectName(QStringLiteral("Ouvrir1"));
    Ouvrir1->setEnabled(false);

    N1 = bar->addMenu(QStringLiteral("?"));
    N1->setObjectName(QStringLiteral("N1"));
    Aide1 = N1->addAction(QStringLiteral("Aide"), this, [this] { Aide1Click(); });
    Aide1->setObjectName(QStringLiteral("Aide1"));
    Aide1->setShortcut(QKeySequence(Qt::Key_F1));
    Aide1->setShortcutContext(Qt::ApplicationShortcut);
    Crdits1 = N1->addAction(QStringLiteral("Crédits"), this, [this] { Crdits1Click(); });
    Crdits1->setObjectName(QStringLiteral("Crdits1"));
    Apropos1 = N1->addAction(QStringLiteral("A propos..."), this, [this] { Apropos1Click(); });
    Apropos1->setObjectName(QStringLiteral("Apropos1"));
}

void TAevoriumF1::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(912, 654);
    client->setAutoFillBackground(true);
    QPalette pal = client->palette();
    pal.setColor(QPalette::Window, WinColor(cl::BtnFace));
    client->setPalette(pal);
    setCentralWidget(client);

    // Upper instrument panel.
    ScrewPanel1 = new TScrewPanel(client);
    ScrewPanel1->setObjectName(QStringLiteral("ScrewPanel1"));
    ScrewPanel1->setGeometry(7, 0, 898, 201);
    configureScrewPanel(ScrewPanel1);

    Panel7 = tealFrame(ScrewPanel1, QRect(52, 8, 274, 35));
    Panel7->setObjectName(QStringLiteral("Panel7"));
    Signe = new QLabel(QStringLiteral("+"), Panel7);
    Signe->setObjectName(QStringLiteral("Signe"));
    Signe->setGeometry(1, 1, 27, 33);
    Signe->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Signe->setFont(sansSerif(27));
    Signe->setAutoFillBackground(true);
    {
        QPalette p = Signe->palette();
        p.setColor(QPalette::Window, WinColor(cl::Teal));
        p.setColor(QPalette::WindowText, WinColor(cl::Aqua));
        Signe->setPalette(p);
    }
    LEDDisplay1 = new TLEDDisplay(Panel7);
    LEDDisplay1->setObjectName(QStringLiteral("LEDDisplay1"));
    LEDDisplay1->move(28, 1);
    LEDDisplay1->resize(245, 33);
    LEDDisplay1->SetBevelStyle(bvNone);
    LEDDisplay1->SetBorderStyle(TLEDDisplay::bsNone);
    LEDDisplay1->SetColorBackGround(cl::Teal);
    LEDDisplay1->SetColorLED(cl::Aqua);
    LEDDisplay1->SetDecSeperator(TLEDDisplay::dsComma);
    LEDDisplay1->SetDigitHeight(25);
    LEDDisplay1->SetFractionDigits(3);
    LEDDisplay1->SetNumDigits(7);
    LEDDisplay1->SetSegmentStyle(TLEDDisplay::ssBeveled);
    // The thousands mark at the foot of the display, between its first and
    // second digit.
    Shape1 = new TDot(cl::Aqua, Panel7);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(60, 24, 6, 9);

    StaticText1 = new TEmbossedText(ScrewPanel1);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    // The layout's size, not the stand-in font's measure (3 pixels shorter),
    // so that the centred unit sits level with the readout.
    StaticText1->SetAutoSize(false);
    StaticText1->setGeometry(333, 10, 37, 32);
    configureEngraved(StaticText1, 24, TFxCaption());
    StaticText1->SetCaption(QStringLiteral("Ma"));

    BtnRot1 = createDial(this, ScrewPanel1, QStringLiteral("BtnRot1"), QPoint(32, 56),
                         QStringLiteral("1 tour = 1 millard d'années"), QStringLiteral("1 Ga"));
    BtnRot2 = createDial(this, ScrewPanel1, QStringLiteral("BtnRot2"), QPoint(152, 56),
                         QStringLiteral("1 tour = 1 millon d'années"), QStringLiteral("1 Ma"));
    BtnRot3 = createDial(this, ScrewPanel1, QStringLiteral("BtnRot3"), QPoint(272, 56),
                         QStringLiteral("1 tour = 10 000 ans"), QStringLiteral("10 ma"));

    DateLabel1 = new TLEDLabel(ScrewPanel1);
    DateLabel1->setObjectName(QStringLiteral("DateLabel1"));
    DateLabel1->setGeometry(424, 9, 435, 25);
    DateLabel1->setToolTip(QStringLiteral("Date ramenée à une année"));
    {
        TBevelFrame bevel;
        bevel.StyleInner = TBevelStyle::bvLowered;
        bevel.BorderColor = cl::Teal;
        bevel.BorderInnerWidth = 3;
        bevel.Mode = TBevelMode::bmCustom;
        DateLabel1->SetBevel(bevel);
        DateLabel1->SetColor(cl::Teal);
        DateLabel1->LED().SetActiveColor(cl::Aqua);
        DateLabel1->LED().SetHorzsize(8);
        DateLabel1->LED().SetInActiveColor(cl::Teal);
        DateLabel1->LED().SetThickness(1);
        DateLabel1->LED().SetVertsize(5);
        DateLabel1->SetCaption(QStringLiteral("31 decembre 23h59"));
    }

    Panel4 = tealFrame(ScrewPanel1, QRect(424, 40, 401, 68));
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Label1 = aquaLabel(Panel4, 1, 5); // the five levels
    Label1->setObjectName(QStringLiteral("Label1"));

    PanelColor = new TPanel(ScrewPanel1);
    PanelColor->setObjectName(QStringLiteral("PanelColor"));
    PanelColor->setGeometry(832, 40, 25, 68);
    PanelColor->SetBevelOuter(bvLowered);
    PanelColor->setToolTip(QStringLiteral("Couleur conventionnelle de la période"));

    Panel6 = tealFrame(ScrewPanel1, QRect(424, 115, 435, 22));
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Label3 = aquaLabel(Panel6, 1, 1);
    Label3->setObjectName(QStringLiteral("Label3"));

    ImageSlider1 = new TImageSlider(ScrewPanel1);
    ImageSlider1->setObjectName(QStringLiteral("ImageSlider1"));
    ImageSlider1->setGeometry(38, 144, 822, 42);
    {
        ImageSlider1->BeginLoading();
        ImageSlider1->SetBevelStyle(bvLowered);
        ImageSlider1->SetColor(cl::Teal);
        ImageSlider1->setEnabled(false);
        // The thumb: a red bar 3 pixels wide and 40 high.
        QImage thumb(3, 40, QImage::Format_ARGB32);
        thumb.fill(WinColor(cl::Red));
        ImageSlider1->SetImage(TImageSlider::ImageHThumb, thumb);
        ImageSlider1->SetIncrement(1);
        ImageSlider1->SetMinValue(-4550);
        ImageSlider1->SetMaxValue(30);
        ImageSlider1->SetNumThumbStates(1);
        ImageSlider1->SetEdgeSize(0);
        ImageSlider1->SetOptions(soSmooth | soRulerOpaque | soThumbOpaque);
        ImageSlider1->setFocusPolicy(Qt::NoFocus);
        ImageSlider1->EndLoading();
    }

    // 3D view and the strip under it.
    Panel1 = tealFrame(client, QRect(384, 208, 521, 417), 2);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->SetCaption(QStringLiteral("Affichage 3D impossible car non compatible OpenGL"));
    Panel1->setFont(sansSerif(13));
    SceneViewer1 = new TSceneViewer(Panel1);
    SceneViewer1->setObjectName(QStringLiteral("SceneViewer1"));
    SceneViewer1->setGeometry(2, 2, 517, 413);

    Panel5 = tealFrame(client, QRect(384, 627, 521, 22), 2);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Label2 = aquaLabel(Panel5, 2, 1);
    Label2->setObjectName(QStringLiteral("Label2"));

    // Lower-left panel with the two pictures.
    ScrewPanel2 = new TScrewPanel(client);
    ScrewPanel2->setObjectName(QStringLiteral("ScrewPanel2"));
    ScrewPanel2->setGeometry(7, 208, 369, 441);
    configureScrewPanel(ScrewPanel2);

    Panel2 = tealFrame(ScrewPanel2, QRect(24, 16, 320, 180), 2);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Image1 = new TImage(Panel2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(2, 2, 316, 176);
    StaticTextBio = new TEmbossedText(ScrewPanel2);
    StaticTextBio->setObjectName(QStringLiteral("StaticTextBio"));
    StaticTextBio->SetAutoSize(false);
    StaticTextBio->setGeometry(24, 200, 290, 22);
    {
        TFxCaption fx;
        fx.LightColor = cl::Window;
        fx.ShadowColor = cl::InactiveCaption;
        configureEngraved(StaticTextBio, 16, fx);
    }
    BtnNavBio = new QToolButton(ScrewPanel2);
    BtnNavBio->setObjectName(QStringLiteral("BtnNavBio"));
    BtnNavBio->setGeometry(319, 199, 24, 24);
    BtnNavBio->setIcon(globeIcon());
    BtnNavBio->setEnabled(false);
    connect(BtnNavBio, &QToolButton::clicked, this, [this] { BtnNavBioClick(); });

    Panel3 = tealFrame(ScrewPanel2, QRect(24, 228, 320, 180), 2);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Image2 = new TImage(Panel3);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(2, 2, 316, 176);
    StaticTextPaleo = new TEmbossedText(ScrewPanel2);
    StaticTextPaleo->setObjectName(QStringLiteral("StaticTextPaleo"));
    StaticTextPaleo->SetAutoSize(false);
    StaticTextPaleo->setGeometry(24, 412, 290, 22);
    configureEngraved(StaticTextPaleo, 16, TFxCaption());
    BtnNavPaleo = new QToolButton(ScrewPanel2);
    BtnNavPaleo->setObjectName(QStringLiteral("BtnNavPaleo"));
    BtnNavPaleo->setGeometry(319, 411, 24, 24);
    BtnNavPaleo->setIcon(globeIcon());
    BtnNavPaleo->setEnabled(false);
    connect(BtnNavPaleo, &QToolButton::clicked, this, [this] { BtnNavPaleoClick(); });
}

void TAevoriumF1::ApplyDisplayMode(QChar c) {
    if (c == QLatin1Char('0')) {
        SceneViewer1->setVisible(false);
    } else if (c == QLatin1Char('1')) {
        SceneViewer1->SetContextOptions(0);
    } else {
        SceneViewer1->SetContextOptions(63);
    }
}

bool TAevoriumF1::IsTrueColorDisplay() const {
    // What counts is the screen's bits per pixel. X11 reports the colour depth:
    // 24-bit (and 30-bit) true colour is stored in 32-bit pixels, while 8, 15
    // and 16-bit displays use fewer bits per pixel.
    const QScreen* s = screen();
    return s && s->depth() >= 24 && s->depth() <= 32;
}

void TAevoriumF1::FormCreate() {
    // 1. Turning limits of the three dials.
    SetDialLimits();
    // 2. The 3D view only with OpenGL; otherwise the panel's caption tells the user.
    const bool gl = SceneViewer1->OpenGLAvailable();
    SceneViewer1->setEnabled(gl);
    SceneViewer1->setVisible(gl);
    // 3. Command line: only the first character of the first argument counts.
    if (!Arguments.isEmpty() && !Arguments.first().isEmpty()) {
        const QChar c = Arguments.first().at(0);
        ApplyDisplayMode(c);
        DebugMessages = c.toUpper() == QLatin1Char('D');
        SetDialsDebugMessages(DebugMessages);
    } else if (!IsTrueColorDisplay()) {
        ApplyDisplayMode(QLatin1Char('1'));
    }
    // 4. Month names.
    const char* const months[12] = {"Janvier", "Fevrier", "Mars",      "Avril",   "Mai",      "Juin",
                                    "Juillet", "Aout",    "Septembre", "Octobre", "Novembre", "Decembre"};
    for (int i = 0; i < 12; ++i)
        MonthNames[i + 1] = QString::fromLatin1(months[i]);
    // 5. The 3D view's hint.
    SceneViewer1->setToolTip(QStringLiteral("Clic gauche pour changer le point de vue"));
    // 6. The default data set.
    ScaleFileName = ExeDir + QStringLiteral("Echelle.ini");
    EventFileName = ExeDir + QStringLiteral("Evenement.ini");
    // 7, 8.
    LoadScale();
    LoadEvents();
    // 9. The gauge's ruler; any failure leaves the built-in ruler.
    LoadGaugeRuler();
    // 10.
    CreateEventMarkers();
    // 11, 12.
    BuildSpiral(5, 1.0, 0.3);
    PlaceDateSphere();
    // 13. The first date update shows the present day.
    BtnRot1AngleChange(BtnRot3);
    // 14.
    EventsModified = false;
    BuildDataSetMenu();
}

void TAevoriumF1::Quitter1Click() { close(); }

void TAevoriumF1::closeEvent(QCloseEvent* event) {
    if (!CanCloseWithUnsavedEvents() || (Tours && !Tours->CanCloseWithUnsavedTour())) {
        event->ignore();
        return;
    }
    event->accept();
}

void ShowDebugMessage(const TAevoriumF1& window, const QString& text) {
    if (window.DebugMessages)
        ShowNotice(const_cast<TAevoriumF1*>(&window), text);
}
