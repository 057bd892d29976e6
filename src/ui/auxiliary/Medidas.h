#pragma once

#include "platform/widgets/Twips.h"

#include <QFont>
#include <QString>

namespace Medidas {

// Courier New at the given size; where it is missing fontconfig substitutes a face
// with the same metrics (Liberation Mono).
[[nodiscard]] inline QFont CourierNew(double puntos, bool negrita) {
  QFont fuente(QStringLiteral("Courier New"));
  fuente.setStyleHint(QFont::TypeWriter);
  fuente.setPointSizeF(puntos);
  fuente.setBold(negrita);
  return fuente;
}

} // namespace Medidas
