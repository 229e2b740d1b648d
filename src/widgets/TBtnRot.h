#pragma once

#include "widgets/WinColor.h"

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QStaticText>
#include <QWidget>
#include <functional>

class QKeyEvent;
class QPainter;
class QTimer;
class TBtnRotPart;

// A round knob turned with the mouse over any number of whole turns.
//
// The turned angle is kept as whole turns `Tour` and the angle within the turn
// `Angle` (radians): the total is Tour * 2pi + Angle, Tour being the total in
// turns truncated toward zero and Angle the rest, with the sign of the total.
// A small lamp travels along the rim to show the angle, lights while the knob
// is dragged and can blink; the caption in the middle turns with the knob.
// Drags may stop at an upper limit, a lower limit and at zero.
//
// The dial is a square container of side `Taille` holding two drawn parts: the
// knob `Corps`, which fills it, and the lamp `Diode` over it. Both take the
// mouse; a press on either captures the pointer for the rest of the drag.
// Display angle 0 points right of the centre, growing clockwise on the screen.
class TBtnRot : public QWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TBtnRot* sender)>;
    using TMouseEvent = std::function<void(TBtnRot* sender, Qt::MouseButton button,
                                           Qt::KeyboardModifiers shift, int x, int y)>;

    explicit TBtnRot(QWidget* parent = nullptr);
    ~TBtnRot() override;

    // ---- Published properties ----
    // Fill colour of the knob (the container's own background is the parent's).
    TColor Color() const { return m_color; }
    void SetColor(TColor color);
    // Lamp colour when off; setting it paints the lamp in it at once.
    TColor ColorDiodeOff() const { return m_colorDiodeOff; }
    void SetColorDiodeOff(TColor color);
    // Lamp colour when lit; only stored.
    TColor ColorDiodeON() const { return m_colorDiodeOn; }
    void SetColorDiodeON(TColor color) { m_colorDiodeOn = color; }
    // Side of the square in pixels; width and height always equal it. Puts the
    // lamp back at the right-hand position.
    int Taille() const { return m_taille; }
    void SetTaille(int size);
    // Diameter of the lamp in pixels.
    int TailleDiode() const { return m_tailleDiode; }
    void SetTailleDiode(int size);
    // Gap in pixels between the lamp and the knob's edge.
    int MargeDiode() const { return m_margeDiode; }
    void SetMargeDiode(int margin);
    bool DiodeVisible() const { return m_diodeVisible; }
    void SetDiodeVisible(bool visible);
    // Starts or stops the 100 ms blink timer; stopping paints the lamp off.
    bool DiodeBlink() const { return m_diodeBlink; }
    void SetDiodeBlink(bool blink);
    // The container's tooltip and its switch.
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& hint) { setToolTip(hint); }
    bool ShowHint() const { return m_showHint; }
    void SetShowHint(bool show) { m_showHint = show; }
    // Width in pixels of the knob's bevelled rim.
    int BevelBtn() const { return m_bevelBtn; }
    void SetBevelBtn(int width);
    // Pointer shape over the knob and the lamp.
    Qt::CursorShape CursorBtn() const { return m_cursorBtn; }
    void SetCursorBtn(Qt::CursorShape shape);
    // Angle within the current turn, radians, strictly between -2pi and 2pi.
    double Angle() const { return m_angle; }
    // The setter of Angle: sets the dial to a total angle in radians over any
    // number of turns. No limit applies and no notification is fired.
    void SetAngleBtn(double total);
    // Whole turns. Writing moves nothing and fires nothing.
    int Tour() const { return m_tour; }
    void SetTour(int tour) { m_tour = tour; }
    // A drag may not take the total angle below zero.
    bool BlockZero() const { return m_blockZero; }
    void SetBlockZero(bool on) { m_blockZero = on; }
    // A drag stops at AngleMax (upper limit of the total angle, radians).
    bool BlockMax() const { return m_blockMax; }
    void SetBlockMax(bool on) { m_blockMax = on; }
    double AngleMax() const { return m_angleMax; }
    void SetAngleMax(double angle) { m_angleMax = angle; }
    // A drag stops at AngleMin (lower limit of the total angle, radians).
    bool BlockMin() const { return m_blockMin; }
    void SetBlockMin(bool on) { m_blockMin = on; }
    double AngleMin() const { return m_angleMin; }
    void SetAngleMin(double angle) { m_angleMin = angle; }
    // Caption drawn on the knob and its font size in points.
    QString TexteBtn() const { return m_texteBtn; }
    void SetTexteBtn(const QString& text);
    int TexteBtnTaille() const { return m_texteBtnTaille; }
    void SetTexteBtnTaille(int points);
    // True: the angle grows when the knob is turned clockwise.
    bool Horaire() const { return m_horaire; }
    void SetHoraire(bool clockwise) { m_horaire = clockwise; }
    // Pen width in pixels of the ring that shows the keyboard focus: 1 draws
    // it dotted, more draws it solid (high contrast).
    int FocusRingWidth() const { return m_focusRingWidth; }
    void SetFocusRingWidth(int width);

    // Fired by a drag step (and by a stop during a drag), never by SetAngleBtn.
    TNotifyEvent OnAngleChange;
    // Fired when a press starts a drag (after the lamp is lit) and when a drag
    // ends (after the lamp is turned off). The sender is always the dial.
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    // When set, the guarded computations that fail show their diagnostic text.
    bool DebugMessages = false;
    // Where diagnostic texts go; a plain modal box with an OK button when empty.
    std::function<void(TBtnRot* sender, const QString& text)> OnDebugMessage;

    // ---- State for callers and tests ----
    bool Dragging() const { return m_dragging; }
    double AngleGrip() const { return m_angleGrip; }
    int CentreX() const { return m_centreX; }
    int CentreY() const { return m_centreY; }
    double RayonDiode() const { return m_rayonDiode; }
    // The lamp's current colour.
    TColor DiodeColor() const { return m_diodeColor; }
    // Caption rotation in whole degrees counterclockwise (drawn modulo 360).
    int CaptionRotation() const { return m_captionRotation; }
    QWidget* Corps() const;
    QWidget* Diode() const;
    QTimer* TimerDiode() const { return m_timerDiode; }

    // ---- Mouse algorithms, in knob coordinates ----
    // A press on the knob; the lamp reports its presses here as left-button
    // presses translated into knob coordinates.
    void CorpsMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // A drag step; the lamp translates its moves into knob coordinates.
    void CorpsMouseMove(Qt::KeyboardModifiers shift, int x, int y);
    // The end of a drag, with the coordinates the pressed part received.
    void CorpsMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

    // Drawing from the dial's state: what the two parts' paint events call.
    void PaintCorps(QPainter& painter) const;
    void PaintDiode(QPainter& painter) const;

    // ---- Turning without the mouse (keys, wheel, commands) ----
    // A turn made by other means behaves exactly as a drag and its release:
    // BeginTurn is the press (lamp lit, OnMouseDown), each TurnTo a drag step
    // to a total angle in radians (limits and stops, OnAngleChange)
    // and EndTurn the release (OnMouseUp). BeginTurn refuses while a mouse
    // drag is under way; TurnTo does nothing once a stop has ended the turn.
    bool BeginTurn(Qt::KeyboardModifiers shift = Qt::NoModifier);
    void TurnTo(double total, Qt::KeyboardModifiers shift = Qt::NoModifier);
    void EndTurn(Qt::KeyboardModifiers shift = Qt::NoModifier);
    // A whole gesture: press, one step to `total`, release.
    void TurnOnce(double total, Qt::KeyboardModifiers shift = Qt::NoModifier);
    // Whether a turn begun by BeginTurn is held (until EndTurn).
    bool TurnHeld() const { return m_turnHeld; }
    // One key or wheel step: 1/40 of a turn; Page Up / Page Down turn a quarter.
    static constexpr int StepsPerTurn = 40;
    // Whether the dial turns for this key (arrows, Page Up/Down, Home, End
    // without Ctrl or Alt).
    static bool IsTurnKey(const QKeyEvent* event);
    // What one turn is worth in the unit assistive technology reads (the main
    // window gives the Ma of each dial's gearing), and that unit's text.
    double UnitsPerTurn = 1.0;
    QString UnitText;
    // What follows the value and its unit, after a comma, when the owner has
    // more to say of it (the window names the period); empty: nothing.
    std::function<QString()> ValueDetail;
    // The value as assistive technology reads it: "-66,000 millions d'années"
    // (three decimals, five when a turn is worth less than one unit), then
    // ", " and the detail.
    QString AccessibleValueText() const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Watches the dial's parts (a press ends a key turn) and, during a drag,
    // its window for the loss of the mouse.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyTaille(int size);
    void placeForAngle();
    void setDiodeColor(TColor color);
    void timerDiodeTick();
    void debugMessage(const QString& text);
    // Puts the dial on a total angle given in turns: false when the turn count
    // does not fit Tour (the dial is then left alone).
    bool splitTotal(double turns);
    void stopDrag(double limit, Qt::KeyboardModifiers shift, int x, int y);
    void notifyAccessibleValue();
    void placeFocusRing();
    // The window stops giving the dial the mouse in the middle of a drag (a
    // modal box opens, the window is deactivated): the drag ends as a release
    // at the last position, at once or, inside a drag step, once its
    // notifications have run.
    void dragInterrupted();

    TColor m_color = cl::BtnFace;
    TColor m_colorDiodeOff = cl::Red;
    TColor m_colorDiodeOn = cl::Lime;
    TColor m_diodeColor = cl::Red;
    int m_taille = 100;
    int m_tailleDiode = 15;
    int m_margeDiode = 0;
    bool m_diodeVisible = true;
    bool m_diodeBlink = false;
    bool m_showHint = true;
    int m_bevelBtn = 2;
    Qt::CursorShape m_cursorBtn = Qt::PointingHandCursor;
    double m_angle = 0.0;
    int m_tour = 0;
    bool m_blockZero = false;
    bool m_blockMax = false;
    bool m_blockMin = false;
    double m_angleMax = 0.0;
    double m_angleMin = 0.0;
    QString m_texteBtn = QStringLiteral("TexteBtn");
    int m_texteBtnTaille = 8;
    bool m_horaire = true;

    bool m_dragging = false;
    double m_angleGrip = 0.0;
    int m_centreX = 50;
    int m_centreY = 50;
    double m_rayonDiode = 0.0;
    int m_captionRotation = 0;
    // The drag's button, last position and keys, for ending it when the mouse is lost.
    Qt::MouseButton m_dragButton = Qt::LeftButton;
    QPoint m_dragPos;
    Qt::KeyboardModifiers m_dragShift;
    QPointer<QWidget> m_watchedWindow;
    int m_stepDepth = 0;
    bool m_endAfterStep = false;

    // Prepared drawings, remade when what they depend on changes.
    struct CacheKey {
        int side = -1;
        int rim = -1;
        TColor color = 0;
        qreal dpr = 0;
        bool operator!=(const CacheKey& o) const {
            return side != o.side || rim != o.rim || color != o.color || dpr != o.dpr;
        }
    };
    mutable QImage m_corpsCache;
    mutable CacheKey m_corpsCacheKey;
    mutable QImage m_diodeCache;
    mutable CacheKey m_diodeCacheKey;
    mutable QStaticText m_caption;
    mutable QFont m_captionFont;
    mutable QString m_captionKey;

    TBtnRotPart* m_corps = nullptr; // owned through the Qt parent
    TBtnRotPart* m_diode = nullptr; // owned through the Qt parent
    QTimer* m_timerDiode = nullptr; // owned through the Qt parent

    // Turning by keys and wheel.
    bool m_turnHeld = false;    // between BeginTurn and EndTurn
    int m_turnKey = 0;          // the key whose press began the held turn
    int m_wheelRest = 0;        // wheel eighths of a degree not yet turned
    // The dotted focus ring lies outside the knob, so it is drawn by a widget
    // beside the dial in the same parent, shown only while the dial has focus
    // that came from the keyboard (Tab, Shift+Tab, a shortcut), as Qt's own
    // widgets show their focus frame: a click gives focus without the ring.
    QPointer<QWidget> m_focusRing;
    int m_focusRingWidth = 1;
    bool m_keyboardFocus = false; // the focus came from the keyboard

};
