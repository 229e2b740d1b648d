#include "widgets/TBtnRot.h"

#include "timescale/CalendarDate.h"
#include "widgets/AccessibleEvents.h"
#include "widgets/TBtnRotAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <QStaticText>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double TwoPi = 2.0 * Pi;

// Adds 2pi while the value is below 0, then subtracts 2pi while it is above
// 2pi (exactly 2pi stays 2pi). Values many turns away are first brought near
// the range so that the loops stay short.
double NormaliseAngle(double v) {
    if (!std::isfinite(v))
        return v;
    if (std::fabs(v) > 4.0 * TwoPi)
        v = std::fmod(v, TwoPi);
    while (v < 0.0)
        v += TwoPi;
    while (v > TwoPi)
        v -= TwoPi;
    return v;
}

// Whether a turn count truncated toward zero fits the 32-bit Tour.
bool FitsTour(double turns) {
    if (!std::isfinite(turns))
        return false;
    const double t = std::trunc(turns);
    return t >= double(INT_MIN) && t <= double(INT_MAX);
}

int RoundToInt(double v) {
    return int(RoundHalfEven(v));
}

// Font points to pixels at 96 dots per inch (8 points are 11 pixels).
int PointsToPixels(int points) {
    return std::max(1, int(std::lround(points * 96.0 / 72.0)));
}

// A circle in the box (right and bottom exclusive) filled with `fill`, with a
// rim `width` pixels wide: the half from 45 degrees counterclockwise to 225
// degrees (top and left) in `upperLeft`, the other half in `lowerRight`.
void DrawRimmedCircle(QPainter& p, const QRectF& box, const QColor& fill, int width, const QColor& upperLeft,
                      const QColor& lowerRight) {
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(fill, 1.0));
    p.setBrush(fill);
    p.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
    if (width <= 0)
        return;
    // The pen runs along the middle of the rim, so the rim stays inside the box.
    const double half = width / 2.0;
    const QRectF arcBox = box.adjusted(half, half, -half, -half);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(upperLeft, width, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcBox, 45 * 16, 180 * 16);
    p.setPen(QPen(lowerRight, width, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcBox, 225 * 16, 180 * 16);
}

} // namespace

// The knob or the lamp: a drawn part of the dial that hands its paint and
// mouse events to the dial. Qt's implicit grab gives the pressed part every
// move and the release until the button goes up, also outside the dial.
class TBtnRotPart : public QWidget {
public:
    enum Role { Knob, Lamp };
    TBtnRotPart(TBtnRot* owner, Role role) : QWidget(owner), m_owner(owner), m_role(role) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (m_role == Knob)
            m_owner->PaintCorps(p);
        else
            m_owner->PaintDiode(p);
    }
    void mousePressEvent(QMouseEvent* e) override {
        const QPoint pos = e->position().toPoint();
        if (m_role == Knob)
            m_owner->CorpsMouseDown(e->button(), e->modifiers(), pos.x(), pos.y());
        else // the lamp reports a left-button press in knob coordinates
            m_owner->CorpsMouseDown(Qt::LeftButton, e->modifiers(), pos.x() + x(), pos.y() + y());
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        const QPoint pos = e->position().toPoint();
        if (m_role == Knob)
            m_owner->CorpsMouseMove(e->modifiers(), pos.x(), pos.y());
        else
            m_owner->CorpsMouseMove(e->modifiers(), pos.x() + x(), pos.y() + y());
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        // Reported with the coordinates this part received, not translated.
        const QPoint pos = e->position().toPoint();
        m_owner->CorpsMouseUp(e->button(), e->modifiers(), pos.x(), pos.y());
    }

private:
    TBtnRot* m_owner;
    Role m_role;
};

TBtnRot::TBtnRot(QWidget* parent) : QWidget(parent) {
    // The container draws nothing itself: the parent's colour shows round the knob.
    applyTaille(100); // the lamp does not exist yet: no lamp placement
    m_timerDiode = new QTimer(this);
    m_timerDiode->setInterval(100);
    connect(m_timerDiode, &QTimer::timeout, this, [this] { timerDiodeTick(); });

    m_corps = new TBtnRotPart(this, TBtnRotPart::Knob);
    m_corps->setGeometry(0, 0, m_taille, m_taille);
    m_corps->setCursor(m_cursorBtn);
    m_diode = new TBtnRotPart(this, TBtnRotPart::Lamp);
    m_diode->resize(m_tailleDiode, m_tailleDiode);
    m_diode->setCursor(m_cursorBtn);

    // At creation the lamp radius is worked out in integer arithmetic; later
    // changes of the geometry use real arithmetic.
    m_rayonDiode = double((m_taille - m_tailleDiode) / 2 - m_margeDiode);
    m_diode->move(RoundToInt(m_rayonDiode - m_diode->width() / 2.0) + m_centreX,
                  m_centreY - m_tailleDiode / 2);

    // Keys and the wheel: Tab or a click gives the dial focus; a press on a
    // part first ends a turn held by a key.
    setFocusPolicy(Qt::StrongFocus);
    m_corps->installEventFilter(this);
    m_diode->installEventFilter(this);
    InstallBtnRotAccessibility();
}

TBtnRot::~TBtnRot() {
    if (m_focusRing)
        m_focusRing->deleteLater();
}

QWidget* TBtnRot::Corps() const {
    return m_corps;
}
QWidget* TBtnRot::Diode() const {
    return m_diode;
}

void TBtnRot::applyTaille(int size) {
    size = std::max(0, size);
    m_taille = size;
    setFixedSize(size, size);
    if (m_corps)
        m_corps->setGeometry(0, 0, size, size);
    m_centreX = size / 2;
    m_centreY = size / 2;
    if (m_diode) {
        // The lamp goes back to display angle 0, whatever Angle holds.
        m_rayonDiode = (size - m_tailleDiode) / 2.0 - m_margeDiode;
        m_diode->move(RoundToInt(m_rayonDiode - m_diode->width() / 2.0) + m_centreX,
                      m_centreY - m_tailleDiode / 2);
    }
}

void TBtnRot::SetTaille(int size) {
    applyTaille(size);
}

void TBtnRot::SetTailleDiode(int size) {
    m_tailleDiode = std::max(0, size);
    if (m_diode)
        m_diode->resize(m_tailleDiode, m_tailleDiode);
    applyTaille(m_taille);
}

void TBtnRot::SetMargeDiode(int margin) {
    m_margeDiode = margin;
    applyTaille(m_taille);
}

void TBtnRot::SetColor(TColor color) {
    m_color = color;
    m_corps->update();
}

void TBtnRot::SetColorDiodeOff(TColor color) {
    m_colorDiodeOff = color;
    setDiodeColor(color);
}

void TBtnRot::SetDiodeVisible(bool visible) {
    m_diodeVisible = visible;
    m_diode->setVisible(visible);
}

void TBtnRot::SetDiodeBlink(bool blink) {
    m_diodeBlink = blink;
    if (blink) {
        // Restarting a running timer would hold back its ticks while the
        // coarser dial is being turned.
        if (!m_timerDiode->isActive())
            m_timerDiode->start();
    } else {
        m_timerDiode->stop();
        setDiodeColor(m_colorDiodeOff);
    }
}

void TBtnRot::SetBevelBtn(int width) {
    m_bevelBtn = width;
    m_corps->update();
}

void TBtnRot::SetCursorBtn(Qt::CursorShape shape) {
    m_cursorBtn = shape;
    m_corps->setCursor(shape);
    m_diode->setCursor(shape);
}

void TBtnRot::SetTexteBtn(const QString& text) {
    m_texteBtn = text;
    m_corps->update();
}

void TBtnRot::SetTexteBtnTaille(int points) {
    m_texteBtnTaille = points;
    m_corps->update();
}

void TBtnRot::setDiodeColor(TColor color) {
    m_diodeColor = color;
    m_diode->update();
}

void TBtnRot::timerDiodeTick() {
    setDiodeColor(m_diodeColor == m_colorDiodeOn ? m_colorDiodeOff : m_colorDiodeOn);
}

void TBtnRot::debugMessage(const QString& text) {
    if (!DebugMessages)
        return;
    if (OnDebugMessage) {
        OnDebugMessage(this, text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, this);
    box.exec();
}

bool TBtnRot::splitTotal(double turns) {
    if (!FitsTour(turns))
        return false;
    const double whole = std::trunc(turns);
    m_tour = int(whole);
    m_angle = (turns - whole) * TwoPi;
    return true;
}

void TBtnRot::placeForAngle() {
    const double a = m_horaire ? m_angle : -m_angle;
    if (!std::isfinite(a))
        return;
    m_diode->move(RoundToInt(std::cos(a) * m_rayonDiode - m_tailleDiode / 2.0) + m_centreX,
                  RoundToInt(std::sin(a) * m_rayonDiode - m_tailleDiode / 2.0) + m_centreY);
    // Whole degrees counterclockwise, so the caption turns clockwise with the
    // display angle; 360 is held as 0.
    double degrees = RoundHalfEven(a * 180.0 / Pi);
    if (std::fabs(degrees) > 30000.0) // a far-off angle after a failed split
        degrees = std::fmod(degrees, 360.0);
    int rotation = 360 - int(degrees);
    if (rotation == 360)
        rotation = 0;
    if (rotation != m_captionRotation) {
        m_captionRotation = rotation;
        m_corps->update();
    }
    notifyAccessibleValue();
}

void TBtnRot::SetAngleBtn(double total) {
    if (!std::isfinite(total)) {
        // Not an angle: the dial keeps its position rather than a value it
        // could neither show nor turn from.
        debugMessage(QStringLiteral("Erreur calcul teta0 dans SetAngleBtn"));
        return;
    }
    m_tour = 0;
    m_angle = total;
    if (!splitTotal(total / TwoPi))
        debugMessage(QStringLiteral("Erreur calcul teta0 dans SetAngleBtn"));
    placeForAngle();
}

void TBtnRot::CorpsMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    m_dragging = true;
    m_dragButton = button;
    m_dragPos = QPoint(x, y);
    m_dragShift = shift;
    m_endAfterStep = false;
    if (QWidget* top = window(); top != this) {
        if (m_watchedWindow && m_watchedWindow != top)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = top;
        top->installEventFilter(this);
    }
    if (x == m_centreX)
        return;
    double p = std::atan2(double(y - m_centreY), double(x - m_centreX));
    if (!std::isfinite(p))
        return;
    p = NormaliseAngle(p);
    m_angleGrip = m_horaire ? p - m_angle : p + m_angle;
    setDiodeColor(m_colorDiodeOn);
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TBtnRot::stopDrag(double limit, Qt::KeyboardModifiers shift, int x, int y) {
    splitTotal(limit / TwoPi);
    if (OnAngleChange)
        OnAngleChange(this);
    CorpsMouseUp(Qt::LeftButton, shift, x, y);
}

void TBtnRot::CorpsMouseMove(Qt::KeyboardModifiers shift, int x, int y) {
    if (!m_dragging)
        return;
    m_dragPos = QPoint(x, y);
    m_dragShift = shift;
    // A drag step whose notifications lose the mouse (a box they open) ends
    // the drag once they have run.
    struct Step {
        TBtnRot* dial;
        explicit Step(TBtnRot* d) : dial(d) { ++dial->m_stepDepth; }
        ~Step() {
            if (--dial->m_stepDepth == 0 && dial->m_endAfterStep) {
                dial->m_endAfterStep = false;
                if (dial->m_dragging)
                    dial->CorpsMouseUp(dial->m_dragButton, dial->m_dragShift, dial->m_dragPos.x(),
                                       dial->m_dragPos.y());
            }
        }
    } step(this);
    const int w = m_corps->width();
    if (x == w / 2)
        return;
    const double prev = NormaliseAngle(m_angle);
    double t = std::atan2(y - w / 2.0, x - w / 2.0);
    if (!std::isfinite(t)) {
        t = prev;
        debugMessage(QStringLiteral("Erreur calcul teta dans CorpsMouseMove"));
    }
    t -= m_angleGrip;
    if (!m_horaire)
        t = -t;
    t = NormaliseAngle(t);

    // Crossing the zero direction: a jump of more than half a turn means the
    // pointer went round through the right-hand position.
    std::int64_t tour = m_tour;
    if (std::fabs(t - prev) > Pi) {
        if (t > prev)
            --tour;
        else
            ++tour;
    }
    if (m_angle < 0.0) // prev was taken one turn up
        --tour;
    const double total = 2.0 * double(tour) * Pi + t;
    if (!splitTotal(total / TwoPi))
        debugMessage(QStringLiteral("Erreur calcul tourbtn dans CorpsMouseMove"));

    if (m_blockMax && m_tour * TwoPi + m_angle >= m_angleMax)
        stopDrag(m_angleMax, shift, x, y);
    if (m_blockMin && m_tour * TwoPi + m_angle <= m_angleMin)
        stopDrag(m_angleMin, shift, x, y);
    if (m_blockZero && m_angle < 0.0) {
        m_tour = 0;
        m_angle = 0.0;
        if (OnAngleChange)
            OnAngleChange(this);
        CorpsMouseUp(Qt::LeftButton, shift, x, y);
    }

    placeForAngle();
    m_corps->repaint();
    if (OnAngleChange)
        OnAngleChange(this);
}

void TBtnRot::CorpsMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    m_dragging = false;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    setDiodeColor(m_colorDiodeOff);
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

bool TBtnRot::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip && !m_showHint) {
        QToolTip::hideText();
        e->accept();
        return true;
    }
    return QWidget::event(e);
}

bool TBtnRot::eventFilter(QObject* watched, QEvent* e) {
    // A press on a part first ends a turn held by a key.
    if (e->type() == QEvent::MouseButtonPress && m_turnHeld && (watched == m_corps || watched == m_diode))
        EndTurn();
    // The mouse takes over: the focus ring goes, the focus stays.
    if (e->type() == QEvent::MouseButtonPress && (watched == m_corps || watched == m_diode)) {
        m_keyboardFocus = false;
        if (m_focusRing)
            m_focusRing->hide();
    }
    // During a drag, the dial's window stops giving it the mouse.
    if (watched == m_watchedWindow && m_dragging &&
        (e->type() == QEvent::WindowBlocked || e->type() == QEvent::WindowDeactivate))
        dragInterrupted();
    return QWidget::eventFilter(watched, e);
}

void TBtnRot::dragInterrupted() {
    if (m_stepDepth > 0) {
        m_endAfterStep = true;
        return;
    }
    CorpsMouseUp(m_dragButton, m_dragShift, m_dragPos.x(), m_dragPos.y());
}

void TBtnRot::PaintCorps(QPainter& p) const {
    const int side = m_taille;
    const int w = std::max(0, m_bevelBtn);
    const qreal dpr = p.device() ? p.device()->devicePixelRatio() : 1.0;
    // The face and rim change only with the colour, the rim width and the
    // size: they are drawn once into an image and copied at each repaint.
    if (m_corpsCache.isNull() || m_corpsCacheKey != CacheKey{side, w, m_color, dpr}) {
        const int left = w / 2;
        const int right = side - (w - 1) / 2; // exclusive
        m_corpsCache = QImage(QSize(side, side) * dpr, QImage::Format_ARGB32_Premultiplied);
        m_corpsCache.setDevicePixelRatio(dpr);
        m_corpsCache.fill(Qt::transparent);
        if (side > 0) {
            QPainter cp(&m_corpsCache);
            DrawRimmedCircle(cp, QRectF(left, left, right - left, right - left), WinColor(m_color), w,
                             WinColor(cl::BtnHighlight), WinColor(cl::BtnShadow));
        }
        m_corpsCacheKey = CacheKey{side, w, m_color, dpr};
    }
    p.drawImage(QPointF(0, 0), m_corpsCache);

    // The caption, engraved: a light copy one pixel right and down on the
    // screen, then the text, both turned about the centre of the area inside
    // the rim. The offset is taken before the rotation, so the light edge stays
    // at the lower right whatever the angle.
    const QString fontKey = m_texteBtn + QLatin1Char('\n') + QString::number(m_texteBtnTaille);
    if (fontKey != m_captionKey) {
        QFont font(QStringLiteral("Arial"));
        font.setBold(true);
        font.setPixelSize(PointsToPixels(m_texteBtnTaille));
        m_captionFont = font;
        m_caption.setText(m_texteBtn);
        m_caption.setTextFormat(Qt::PlainText);
        m_caption.prepare(QTransform(), font);
        m_captionKey = fontKey;
    }
    const QRectF area(w, w, side - 2 * w, side - 2 * w);
    const int rotation = m_captionRotation % 360;
    const QSizeF size = m_caption.size();
    const QPointF topLeft(-size.width() / 2.0, -size.height() / 2.0);
    auto drawCaption = [&](QPointF centre, TColor color) {
        p.save();
        p.setFont(m_captionFont);
        p.translate(centre);
        if (rotation != 0)
            p.rotate(-rotation); // QPainter turns clockwise
        p.setPen(WinColor(color));
        p.drawStaticText(topLeft, m_caption);
        p.restore();
    };
    drawCaption(area.center() + QPointF(1.0, 1.0), cl::BtnHighlight);
    drawCaption(area.center(), cl::WindowText);
}

void TBtnRot::PaintDiode(QPainter& p) const {
    // Set into the knob: the rim's colours are those of the knob swapped. The
    // lamp is small and its rim one pixel wide, so it is drawn on whole pixels.
    const int side = m_tailleDiode;
    if (side <= 0)
        return;
    const qreal dpr = p.device() ? p.device()->devicePixelRatio() : 1.0;
    if (m_diodeCache.isNull() || m_diodeCacheKey != CacheKey{side, 1, m_diodeColor, dpr}) {
        m_diodeCache = QImage(QSize(side, side) * dpr, QImage::Format_ARGB32_Premultiplied);
        m_diodeCache.setDevicePixelRatio(dpr);
        m_diodeCache.fill(Qt::transparent);
        QPainter dp(&m_diodeCache);
        const QRect box(0, 0, side - 1, side - 1); // outline through the outer pixels
        const QColor fill = WinColor(m_diodeColor);
        dp.setRenderHint(QPainter::Antialiasing, false);
        dp.setPen(fill);
        dp.setBrush(fill);
        dp.drawEllipse(box);
        // The rim is the ellipse's own outline, so that it follows the fill
        // pixel for pixel: all of it in shadow, then the lower-right half
        // (beyond the diagonal from the upper right to the lower left) in light.
        dp.setBrush(Qt::NoBrush);
        dp.setPen(WinColor(cl::BtnShadow));
        dp.drawEllipse(box);
        dp.setClipRegion(QRegion(QPolygon({QPoint(side, 0), QPoint(side, side), QPoint(0, side)})));
        dp.setPen(WinColor(cl::BtnHighlight));
        dp.drawEllipse(box);
        m_diodeCacheKey = CacheKey{side, 1, m_diodeColor, dpr};
    }
    p.drawImage(QPointF(0, 0), m_diodeCache);
}

// ---- Turning without the mouse ----

namespace {

// Where a turn without the mouse reports its press and release: the lamp's
// centre in knob coordinates.
QPoint LampCentre(const QWidget* lamp) {
    return lamp->geometry().center();
}

} // namespace

bool TBtnRot::BeginTurn(Qt::KeyboardModifiers shift) {
    if (m_dragging || m_turnHeld)
        return false;
    m_turnHeld = true;
    m_dragging = true;
    setDiodeColor(m_colorDiodeOn);
    const QPoint at = LampCentre(m_diode);
    if (OnMouseDown)
        OnMouseDown(this, Qt::LeftButton, shift, at.x(), at.y());
    return true;
}

void TBtnRot::TurnTo(double total, Qt::KeyboardModifiers shift) {
    if (!m_turnHeld || !m_dragging || !std::isfinite(total))
        return;
    // Anything past a limit stops at it: far-off totals are first brought
    // within a turn of the limit so that their turn count fits.
    if (m_blockMax && total > m_angleMax)
        total = std::min(total, m_angleMax + TwoPi);
    if (m_blockMin && total < m_angleMin)
        total = std::max(total, m_angleMin - TwoPi);
    if (!splitTotal(total / TwoPi))
        return;
    // The stops of a drag step, then its notification. The knob is
    // invalidated rather than repainted at once: the press and release around
    // a key step change its rim as well, and one paint then shows it all.
    const QPoint at = LampCentre(m_diode);
    if (m_blockMax && m_tour * TwoPi + m_angle >= m_angleMax)
        stopDrag(m_angleMax, shift, at.x(), at.y());
    if (m_blockMin && m_tour * TwoPi + m_angle <= m_angleMin)
        stopDrag(m_angleMin, shift, at.x(), at.y());
    if (m_blockZero && m_angle < 0.0) {
        m_tour = 0;
        m_angle = 0.0;
        if (OnAngleChange)
            OnAngleChange(this);
        CorpsMouseUp(Qt::LeftButton, shift, at.x(), at.y());
    }
    placeForAngle();
    m_corps->update();
    if (OnAngleChange)
        OnAngleChange(this);
}

void TBtnRot::EndTurn(Qt::KeyboardModifiers shift) {
    if (!m_turnHeld)
        return;
    // As the user's release, also after a stop has ended the drag.
    m_turnHeld = false;
    const QPoint at = LampCentre(m_diode);
    CorpsMouseUp(Qt::LeftButton, shift, at.x(), at.y());
}

void TBtnRot::TurnOnce(double total, Qt::KeyboardModifiers shift) {
    if (!BeginTurn(shift))
        return;
    TurnTo(total, shift);
    EndTurn(shift);
}

bool TBtnRot::IsTurnKey(const QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

void TBtnRot::keyPressEvent(QKeyEvent* e) {
    if (!IsTurnKey(e)) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    // A key held down is one drag: its first press is the press of the knob,
    // every press (repeats included) a step, its release the release.
    if (!m_turnHeld && !BeginTurn(e->modifiers()))
        return; // a mouse drag is under way
    const double total = m_tour * TwoPi + m_angle;
    const double step = (m_horaire ? 1.0 : -1.0) * TwoPi / StepsPerTurn;
    switch (e->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up:
        TurnTo(total + step, e->modifiers());
        break;
    case Qt::Key_Left:
    case Qt::Key_Down:
        TurnTo(total - step, e->modifiers());
        break;
    case Qt::Key_PageUp:
        TurnTo(total + step * (StepsPerTurn / 4), e->modifiers());
        break;
    case Qt::Key_PageDown:
        TurnTo(total - step * (StepsPerTurn / 4), e->modifiers());
        break;
    case Qt::Key_Home:
        if (m_blockMin)
            TurnTo(m_angleMin, e->modifiers());
        break;
    case Qt::Key_End:
        if (m_blockMax)
            TurnTo(m_angleMax, e->modifiers());
        break;
    default:
        break;
    }
}

void TBtnRot::keyReleaseEvent(QKeyEvent* e) {
    if (!IsTurnKey(e)) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    e->accept();
    if (!e->isAutoRepeat())
        EndTurn(e->modifiers());
}

void TBtnRot::wheelEvent(QWheelEvent* e) {
    e->accept();
    if (m_dragging)
        return;
    // One notch (120 eighths of a degree) is one step; finer wheels and
    // touchpads add up until a notch is reached.
    const QPoint delta = e->angleDelta();
    int v = delta.y() != 0 ? delta.y() : delta.x();
    if (e->inverted())
        v = -v;
    m_wheelRest += v;
    const int steps = m_wheelRest / 120;
    m_wheelRest -= steps * 120;
    if (steps == 0)
        return;
    const double step = (m_horaire ? 1.0 : -1.0) * TwoPi / StepsPerTurn;
    TurnOnce(m_tour * TwoPi + m_angle + steps * step, e->modifiers());
}

// ---- Focus ring ----

namespace {

// A thin dotted circle two pixels outside the knob's rim, or a solid one
// PenWidth pixels wide.
class TBtnRotFocusRing : public QWidget {
public:
    static constexpr int Margin = 4;
    int PenWidth = 1;
    explicit TBtnRotFocusRing(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setBrush(Qt::NoBrush);
        if (PenWidth > 1) {
            p.setRenderHint(QPainter::Antialiasing, true);
            p.setPen(QPen(WinColor(cl::WindowText), PenWidth));
            const double inset = PenWidth / 2.0;
            p.drawEllipse(QRectF(inset, inset, width() - 2 * inset, height() - 2 * inset));
            return;
        }
        p.setRenderHint(QPainter::Antialiasing, false);
        QPen pen(WinColor(cl::WindowText), 1, Qt::DotLine);
        p.setPen(pen);
        p.drawEllipse(QRect(Margin - 2, Margin - 2, width() - 2 * Margin + 3, height() - 2 * Margin + 3));
    }
};

} // namespace

void TBtnRot::SetFocusRingWidth(int width) {
    width = std::max(1, width);
    if (width == m_focusRingWidth)
        return;
    m_focusRingWidth = width;
    if (m_focusRing) {
        static_cast<TBtnRotFocusRing*>(m_focusRing.data())->PenWidth = width;
        m_focusRing->update();
    }
}

void TBtnRot::placeFocusRing() {
    if (!m_focusRing)
        return;
    const int m = TBtnRotFocusRing::Margin;
    m_focusRing->setGeometry(geometry().adjusted(-m, -m, m, m));
    m_focusRing->stackUnder(this);
}

void TBtnRot::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    // Focus given back (the window activated again, a menu closed) keeps the
    // way it came; a click gives none.
    switch (e->reason()) {
    case Qt::MouseFocusReason:
        m_keyboardFocus = false;
        break;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason:
        break;
    default:
        m_keyboardFocus = true;
        break;
    }
    if (!m_keyboardFocus)
        return;
    if (!m_focusRing && parentWidget()) {
        auto* ring = new TBtnRotFocusRing(parentWidget());
        ring->PenWidth = m_focusRingWidth;
        m_focusRing = ring;
    }
    if (m_focusRing) {
        placeFocusRing();
        m_focusRing->show();
    }
}

void TBtnRot::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    if (m_focusRing)
        m_focusRing->hide();
    // A key release that will not come here any more.
    EndTurn();
}

void TBtnRot::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (m_focusRing && m_focusRing->isVisible())
        placeFocusRing();
}

void TBtnRot::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    if (m_focusRing)
        m_focusRing->hide();
}

void TBtnRot::notifyAccessibleValue() {
    QAccessibleValueChangeEvent e(this, (m_tour + m_angle / TwoPi) * UnitsPerTurn);
    NotifyAccessible(e);
}
