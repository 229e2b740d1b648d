#include "imaging/TUndecodedGraphic.h"

#include "timescale/AevError.h"

void TUndecodedGraphic::Decode(const unsigned char*, std::size_t, QSize) {
    throw EAevError(
        QStringLiteral("Format graphique non pris en charge : %1").arg(QLatin1String(m_formatName)));
}
