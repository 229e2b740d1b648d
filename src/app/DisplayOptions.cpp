#include "app/DisplayOptions.h"

#include <QSettings>

#include <algorithm>
#include <cmath>

namespace {

// Made without the application object: main reads the settings before Qt's
// scale factor is fixed.
QSettings settings() { return QSettings(QStringLiteral("Aevorium"), QStringLiteral("Aevorium")); }

const QString kWindowPercent = QStringLiteral("affichage/taille");
const QString kHighContrast = QStringLiteral("affichage/contraste-eleve");

double linear(unsigned channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(unsigned rgb) {
    return 0.2126 * linear((rgb >> 16) & 0xFF) + 0.7152 * linear((rgb >> 8) & 0xFF) + 0.0722 * linear(rgb & 0xFF);
}

double g_runFactor = 1;

} // namespace

double RunScaleFactor() { return g_runFactor; }

void SetRunScaleFactor(double factor) { g_runFactor = factor; }

TProgramOptions TakeProgramOptions(QStringList& arguments) {
    TProgramOptions o;
    for (qsizetype i = 0; i < arguments.size();) {
        const QString& a = arguments[i];
        if (!a.startsWith(QStringLiteral("--"))) {
            ++i;
            continue;
        }
        if (a == QStringLiteral("--plein-ecran")) {
            o.FullScreen = true;
        } else if (a.startsWith(QStringLiteral("--reprise="))) {
            o.ResumeFile = a.mid(10);
        } else if (a.startsWith(QStringLiteral("--echelle="))) {
            bool ok = false;
            const double f = a.mid(10).toDouble(&ok);
            o.Scale = ok && f >= 0.5 && f <= 8 ? f : 0;
        }
        arguments.removeAt(i);
    }
    return o;
}

int SavedWindowPercent() {
    const int p = settings().value(kWindowPercent, 100).toInt();
    return std::find(std::begin(WindowPercents), std::end(WindowPercents), p) != std::end(WindowPercents) ? p : 100;
}

void SaveWindowPercent(int percent) { settings().setValue(kWindowPercent, percent); }

bool SavedHighContrast() { return settings().value(kHighContrast, false).toBool(); }

void SaveHighContrast(bool on) { settings().setValue(kHighContrast, on); }

double FullScreenScale(const QSizeF& screen, const QSizeF& layout) {
    if (layout.isEmpty())
        return 1;
    const double f = std::min(screen.width() / layout.width(), screen.height() / layout.height());
    return std::max(1.0, std::floor(f * 100 + 1e-9) / 100);
}

bool FitsScreen(const QSizeF& screen, const QSizeF& layout, double factor) {
    return layout.width() * factor <= screen.width() + 0.5 && layout.height() * factor <= screen.height() + 0.5;
}

double ContrastRatio(unsigned rgb1, unsigned rgb2) {
    const double a = luminance(rgb1), b = luminance(rgb2);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}
