#include "ui/widgets/Estilo.h"

#include <QPalette>
#include <QWidget>

namespace Estilo {

QFont Courier(double puntos, bool negrita) {
  static const bool sustituto = [] {
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
    return true;
  }();
  (void)sustituto;
  QFont fuente(QStringLiteral("Courier New"));
  fuente.setStyleHint(QFont::TypeWriter);
  fuente.setPointSizeF(puntos);
  fuente.setBold(negrita);
  return fuente;
}

void AmarilloSobreAzul(QWidget *control) {
  QPalette paleta = control->palette();
  constexpr Disposicion::Tinta fila = Disposicion::TintaFila(false);
  constexpr Disposicion::Tinta elegida = Disposicion::TintaFila(true);
  // The headings are drawn as buttons.
  constexpr Disposicion::Tinta cabecera = Disposicion::TintaCabecera;
  for (const auto grupo : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (const auto rol : {QPalette::Window, QPalette::Base, QPalette::AlternateBase}) {
      paleta.setColor(grupo, rol, ColorQt(fila.fondo));
    }
    for (const auto rol : {QPalette::WindowText, QPalette::Text}) {
      paleta.setColor(grupo, rol, ColorQt(fila.texto));
    }
    paleta.setColor(grupo, QPalette::Button, ColorQt(cabecera.fondo));
    paleta.setColor(grupo, QPalette::ButtonText, ColorQt(cabecera.texto));
    paleta.setColor(grupo, QPalette::Highlight, ColorQt(elegida.fondo));
    paleta.setColor(grupo, QPalette::HighlightedText, ColorQt(elegida.texto));
  }
  control->setPalette(paleta);
  control->setAutoFillBackground(true);
}

} // namespace Estilo
